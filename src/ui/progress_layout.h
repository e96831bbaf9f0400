#pragma once
// Design positions of the progress window's controls, in twips (1440 to the inch), and
// their conversion to pixels for a display's DPI.
#include <array>

namespace orvh {

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr int kStepCount = 4;
inline constexpr int kLineCount = 5;

namespace design {

inline constexpr int kClientWidth = 7035;
inline constexpr int kClientHeight = 2790;

inline constexpr TwipsRect imgSfondo{0, 0, 1725, 2850};
inline constexpr std::array<TwipsRect, kStepCount> imgStep{
    {{2520, 240, 240, 240}, {2520, 720, 240, 240}, {2520, 1200, 240, 240}, {2520, 1680, 240, 240}}};
inline constexpr std::array<TwipsRect, kStepCount> imgStepDone{
    {{2280, 240, 240, 240}, {2280, 720, 240, 240}, {2280, 1200, 240, 240}, {2280, 1680, 240, 240}}};
inline constexpr TwipsRect imgOk{5520, 1320, 240, 240};
inline constexpr TwipsRect ImgFail{5520, 1680, 240, 240};
inline constexpr TwipsRect imgFreccia{5400, 120, 360, 360};
// Index 0 above the activity line, 1 to 4 under the four step labels.
inline constexpr std::array<TwipsRect, kLineCount> imgLinea{{{1680, 2400, 4155, 30},
                                                             {2880, 480, 2025, 30},
                                                             {2880, 960, 2025, 30},
                                                             {2880, 1440, 2025, 30},
                                                             {2880, 1920, 2025, 30}}};
inline constexpr TwipsRect lblRicercaVersioni{2880, 240, 1365, 210};
inline constexpr TwipsRect lblOrvhMsi{2880, 720, 810, 210};
inline constexpr TwipsRect lblOrvhMsp{2880, 1200, 810, 210};
inline constexpr TwipsRect lblAvvioOrvh{2880, 1680, 1005, 210};
inline constexpr TwipsRect lblAttivita{1920, 2520, 750, 210};

// The label of each step row, step 0 first.
inline constexpr std::array<TwipsRect, kStepCount> stepLabels{lblRicercaVersioni, lblOrvhMsi, lblOrvhMsp,
                                                              lblAvvioOrvh};

} // namespace design

// Pixels for a length or position in twips (not negative) at `dpi` dots per inch,
// rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi);

} // namespace orvh
