// The progress window's step counter, arrow positions and result rows over every number
// of StepSuccessivo calls, and the twips-to-pixels conversion of its layout.
#include "system/platform_error.h"
#include "ui/progress_layout.h"
#include "ui/step_logic.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orvh {
namespace {

StepLogic AfterCalls(int calls) {
    StepLogic logic;
    for (int i = 0; i < calls; ++i) logic.StepSuccessivo();
    return logic;
}

TEST(StepLogicTest, ArrowMovesDownTheColumnThenHides) {
    struct Case {
        int call;
        ArrowChange change;
    };
    const Case cases[] = {
        {1, {TwipsPoint{1800, 180}, true}},
        {2, {TwipsPoint{1800, 660}, std::nullopt}},
        {3, {TwipsPoint{1800, 1140}, std::nullopt}},
        {4, {TwipsPoint{1800, 1620}, std::nullopt}},
        {5, {std::nullopt, false}},
        {6, {std::nullopt, false}},
    };
    StepLogic logic;
    EXPECT_EQ(logic.Counter(), 0);
    for (const auto& c : cases) {
        const ArrowChange change = logic.StepSuccessivo();
        EXPECT_EQ(change.position, c.change.position) << "call " << c.call;
        EXPECT_EQ(change.visible, c.change.visible) << "call " << c.call;
        EXPECT_EQ(logic.Counter(), c.call);
    }
}

TEST(StepLogicTest, SetInconStepMarksTheRowOfTheStepInProgress) {
    struct Case {
        int calls;
        std::optional<int> row;
    };
    const Case cases[] = {{0, std::nullopt}, {1, 0}, {2, 1}, {3, 2}, {4, 3}};
    for (const auto& c : cases) {
        const StepLogic logic = AfterCalls(c.calls);
        for (const bool success : {true, false}) {
            const auto mark = logic.SetInconStep(success);
            if (!c.row) {
                EXPECT_EQ(mark, std::nullopt) << "calls " << c.calls;
                continue;
            }
            ASSERT_TRUE(mark.has_value()) << "calls " << c.calls;
            EXPECT_EQ(mark->row, *c.row);
            EXPECT_EQ(mark->picture, success ? StepPicture::Ok : StepPicture::Fail);
        }
    }
}

TEST(StepLogicTest, SetInconStepAfterTheFourthStepFindsNoRow) {
    struct Case {
        int calls;
        std::wstring description;
    };
    const Case cases[] = {
        {5, L"L'elemento '4' della matrice di controllo non esiste"},
        {6, L"L'elemento '5' della matrice di controllo non esiste"},
    };
    for (const auto& c : cases) {
        const StepLogic logic = AfterCalls(c.calls);
        try {
            logic.SetInconStep(true);
            ADD_FAILURE() << "no error after " << c.calls << " calls";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.Number(), 340);
            EXPECT_EQ(e.Description(), c.description);
        }
    }
}

TEST(StepLogicTest, CounterOverflowRaisesAndKeepsTheCounter) {
    StepLogic logic = AfterCalls(32767);
    EXPECT_EQ(logic.Counter(), 32767);
    try {
        logic.StepSuccessivo();
        ADD_FAILURE() << "no overflow";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Number(), 6);
        EXPECT_EQ(e.Description(), L"Overflow");
    }
    EXPECT_EQ(logic.Counter(), 32767);
    try {
        logic.SetInconStep(false);
        ADD_FAILURE() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Number(), 340);
        EXPECT_EQ(e.Description(), L"L'elemento '32766' della matrice di controllo non esiste");
    }
}

TEST(ProgressLayoutTest, TwipsToPixelsRoundsToTheNearestPixel) {
    struct Case {
        int twips;
        int dpi;
        int pixels;
    };
    const Case cases[] = {
        {7035, 96, 469}, {2790, 96, 186}, {30, 96, 2},  {0, 96, 0},      {1725, 120, 144},
        {210, 120, 18},  {60, 144, 6},    {7, 96, 0},   {8, 96, 1},      {2850, 192, 380},
        {240, 144, 24},  {1440, 288, 288},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " dpi";
    }
}

} // namespace
} // namespace orvh
