// The progress window's steps and counter, its layout's pixels.
#include "rows.h"
#include "system/platform_error.h"
#include "ui/progress_layout.h"
#include "ui/step_logic.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

// StepSuccessivo (when `advance`) then SetInconStep(true): arrow, marked row, or the error.
std::wstring Step(StepLogic& logic, bool advance) {
    std::wstring out;
    try {
        if (advance) {
            const ArrowChange arrow = logic.StepSuccessivo();
            const auto at = arrow.position.value_or(TwipsPoint{-1, -1});
            if (arrow.position) out += L"arrow " + std::to_wstring(at.left) + L"," + std::to_wstring(at.top);
            if (arrow.visible) out += *arrow.visible ? L" +shown" : L" -hidden";
        }
        const auto mark = logic.SetInconStep(true);
        if (mark) out += L" row " + std::to_wstring(mark->row) + (mark->picture == StepPicture::Ok ? L" ok" : L" fail");
        if (!mark) out += L" none";
    } catch (const PlatformError& e) {
        out += L" error " + std::to_wstring(e.Number()) + L" " + e.Description();
    }
    return out;
}

TEST(ProgressWindow, ArrowAndMarkAfterEachStep) {
    StepLogic logic;
    const std::wstring rows[] = {
        L" none", L"arrow 1800,180 +shown row 0 ok", L"arrow 1800,660 row 1 ok", L"arrow 1800,1140 row 2 ok",
        L"arrow 1800,1620 row 3 ok", L" -hidden error 340 L'elemento '4' della matrice di controllo non esiste"};
    test::ForEachRow(rows, [&](const std::wstring& row, std::size_t i) { EXPECT_EQ(Step(logic, i > 0), row); });
}

TEST(ProgressWindow, TheCounterOverflowsAfter32767Steps) {
    StepLogic logic;
    for (int i = 0; i < 32767; ++i) logic.StepSuccessivo();
    EXPECT_EQ(Step(logic, true), L" error 6 Overflow");
    EXPECT_EQ(Step(logic, false), L" error 340 L'elemento '32766' della matrice di controllo non esiste");
}

TEST(ProgressWindow, TwipsToPixelsRoundsToTheNearestPixel) {
    const int rows[][3] = {{7035, 96, 469}, {0, 96, 0}, {7, 96, 0}, {8, 96, 1}, {1725, 120, 144}, {1440, 288, 288}};
    for (const auto& [twips, dpi, pixels] : rows) EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << "@" << dpi;
}

} // namespace
} // namespace orvh
