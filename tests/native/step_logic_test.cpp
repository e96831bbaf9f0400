// The progress window's step counter, arrow positions and result rows over every number
// of StepSuccessivo calls, and the twips-to-pixels conversion of its layout.
#include "system/platform_error.h"
#include "test_text.h"
#include "ui/progress_layout.h"
#include "ui/step_logic.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

// What SetInconStep gives: the row and picture, "none", or the error's number and text.
std::string Mark(const StepLogic& logic, bool success) {
    try {
        const auto mark = logic.SetInconStep(success);
        if (!mark) return "none";
        return "row " + std::to_string(mark->row) + (mark->picture == StepPicture::Ok ? " ok" : " fail");
    } catch (const PlatformError& e) {
        return "error " + std::to_string(e.Number()) + " " + test::Narrow(e.Description());
    }
}

TEST(StepLogic, ArrowAndMarkAfterEachStep) {
    const std::string noRow4 = "error 340 L'elemento '4' della matrice di controllo non esiste";
    const struct {
        ArrowChange arrow;  // of this call
        std::string ok, fail;
    } rows[] = {
        {{TwipsPoint{1800, 180}, true}, "row 0 ok", "row 0 fail"},
        {{TwipsPoint{1800, 660}, std::nullopt}, "row 1 ok", "row 1 fail"},
        {{TwipsPoint{1800, 1140}, std::nullopt}, "row 2 ok", "row 2 fail"},
        {{TwipsPoint{1800, 1620}, std::nullopt}, "row 3 ok", "row 3 fail"},
        {{std::nullopt, false}, noRow4, noRow4},
        {{std::nullopt, false}, "error 340 L'elemento '5' della matrice di controllo non esiste", ""},
    };
    StepLogic logic;
    EXPECT_EQ(Mark(logic, true), "none");
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const ArrowChange arrow = logic.StepSuccessivo();
        EXPECT_EQ(arrow.position, rows[i].arrow.position) << "row " << i;
        EXPECT_EQ(arrow.visible, rows[i].arrow.visible) << "row " << i;
        EXPECT_EQ(logic.Counter(), static_cast<int>(i) + 1) << "row " << i;
        EXPECT_EQ(Mark(logic, true), rows[i].ok) << "row " << i;
        if (!rows[i].fail.empty()) EXPECT_EQ(Mark(logic, false), rows[i].fail) << "row " << i;
    }
}

TEST(StepLogic, TheCounterOverflowsAfter32767Steps) {
    StepLogic logic;
    for (int i = 0; i < 32767; ++i) logic.StepSuccessivo();
    EXPECT_THROW(logic.StepSuccessivo(), PlatformError);
    EXPECT_EQ(logic.Counter(), 32767);
    EXPECT_EQ(Mark(logic, false), "error 340 L'elemento '32766' della matrice di controllo non esiste");
}

TEST(ProgressLayout, TwipsToPixelsRoundsToTheNearestPixel) {
    const int rows[][3] = {{7035, 96, 469}, {0, 96, 0}, {7, 96, 0}, {8, 96, 1}, {1725, 120, 144}, {1440, 288, 288}};
    for (const auto& [twips, dpi, pixels] : rows) {
        EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << " twips at " << dpi << " dpi";
    }
}

} // namespace
} // namespace orvh
