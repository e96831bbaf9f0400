// The progress window's steps and counter, its layout's pixels, the names of its resources.
#include "resources/resource_names.h"
#include "system/platform_error.h"
#include "test_text.h"
#include "ui/progress_layout.h"
#include "ui/step_logic.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

// StepSuccessivo (when `advance`) then SetInconStep(true): arrow, marked row, or the error.
std::string Step(StepLogic& logic, bool advance) {
    std::string out;
    try {
        if (advance) {
            const ArrowChange arrow = logic.StepSuccessivo();
            const auto at = arrow.position.value_or(TwipsPoint{-1, -1});
            if (arrow.position) out += "arrow " + std::to_string(at.left) + "," + std::to_string(at.top);
            if (arrow.visible) out += *arrow.visible ? " +shown" : " -hidden";
        }
        const auto mark = logic.SetInconStep(true);
        if (mark) out += " row " + std::to_string(mark->row) + (mark->picture == StepPicture::Ok ? " ok" : " fail");
        if (!mark) out += " none";
    } catch (const PlatformError& e) {
        out += " error " + std::to_string(e.Number()) + " " + test::Narrow(e.Description());
    }
    return out;
}

TEST(StepLogic, ArrowAndMarkAfterEachStep) {
    StepLogic logic;
    const std::string rows[] = {
        " none", "arrow 1800,180 +shown row 0 ok", "arrow 1800,660 row 1 ok", "arrow 1800,1140 row 2 ok",
        "arrow 1800,1620 row 3 ok",
        " -hidden error 340 L'elemento '4' della matrice di controllo non esiste"};
    for (std::size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(Step(logic, i > 0), rows[i]) << "row " << i;
}

TEST(StepLogic, TheCounterOverflowsAfter32767Steps) {
    StepLogic logic;
    for (int i = 0; i < 32767; ++i) logic.StepSuccessivo();
    EXPECT_EQ(Step(logic, true), " error 6 Overflow");
    EXPECT_EQ(Step(logic, false), " error 340 L'elemento '32766' della matrice di controllo non esiste");
}

TEST(ProgressLayout, TwipsToPixelsRoundsToTheNearestPixel) {
    const int rows[][3] = {{7035, 96, 469}, {0, 96, 0}, {7, 96, 0}, {8, 96, 1}, {1725, 120, 144}, {1440, 288, 288}};
    for (const auto& [twips, dpi, pixels] : rows) EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << "@" << dpi;
}

TEST(Resources, IntegerIdsRunFrom1To65535) {
    const std::pair<std::int32_t, std::optional<std::uint16_t>> rows[] = {
        {1, 1}, {65535, 65535}, {0, std::nullopt}, {65536, std::nullopt}, {-1, std::nullopt}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(IntegerResourceId(rows[i].first), rows[i].second) << "row " << i;
    }
}

TEST(Resources, ResUrlOfAModuleTypeAndId) {
    const std::wstring dll = L"C:\\res.dll", name256 = L"C:\\" + std::wstring(253, L'a');
    const std::tuple<std::wstring, std::int16_t, std::wstring, std::wstring> rows[] = {
        {dll, 101, L"  MY TYPE   ", L"RES://C:\\res.dll/MY TYPE/101"},
        {dll, 101, L"\tHTML\t", L"RES://C:\\res.dll/\tHTML\t/101"},
        {dll, -32768, L"   ", L"RES://C:\\res.dll//-32768"},
        {L"", 101, L"HTML", L""},
        {name256, 5, L"X", L"RES://" + name256 + L"/X/5"},
        {name256 + L"b", 5, L"X", L""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [name, index, type, expected] = rows[i];
        EXPECT_EQ(ResourceUrl(name, index, type), expected) << "row " << i;
    }
}

} // namespace
} // namespace orvh
