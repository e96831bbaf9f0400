#pragma once
// Child-window identifiers of the progress window's controls. The elements of a control
// array take consecutive identifiers from the array's first one.
namespace orvh::progress_controls {

inline constexpr int imgSfondo = 100;
inline constexpr int imgStep = 110;
inline constexpr int imgStepDone = 120;
inline constexpr int imgOk = 130;
inline constexpr int ImgFail = 131;
inline constexpr int imgFreccia = 132;
inline constexpr int imgLinea = 140;
inline constexpr int lblRicercaVersioni = 150;
inline constexpr int lblOrvhMsi = 151;
inline constexpr int lblOrvhMsp = 152;
inline constexpr int lblAvvioOrvh = 153;
inline constexpr int lblAttivita = 154;

} // namespace orvh::progress_controls
