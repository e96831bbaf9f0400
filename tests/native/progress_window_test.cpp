// The progress window's steps and counter, its layout's pixels, the names of its resources.
#include "resources/resource_names.h"
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

TEST(StepLogic, ArrowAndMarkAfterEachStep) {
    StepLogic logic;
    const std::wstring rows[] = {
        L" none", L"arrow 1800,180 +shown row 0 ok", L"arrow 1800,660 row 1 ok", L"arrow 1800,1140 row 2 ok",
        L"arrow 1800,1620 row 3 ok", L" -hidden error 340 L'elemento '4' della matrice di controllo non esiste"};
    test::ForEachRow(rows, [&](const std::wstring& row, std::size_t i) { EXPECT_EQ(Step(logic, i > 0), row); });
}

TEST(StepLogic, TheCounterOverflowsAfter32767Steps) {
    StepLogic logic;
    for (int i = 0; i < 32767; ++i) logic.StepSuccessivo();
    EXPECT_EQ(Step(logic, true), L" error 6 Overflow");
    EXPECT_EQ(Step(logic, false), L" error 340 L'elemento '32766' della matrice di controllo non esiste");
}

TEST(ProgressLayout, TwipsToPixelsRoundsToTheNearestPixel) {
    const int rows[][3] = {{7035, 96, 469}, {0, 96, 0}, {7, 96, 0}, {8, 96, 1}, {1725, 120, 144}, {1440, 288, 288}};
    for (const auto& [twips, dpi, pixels] : rows) EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << "@" << dpi;
}

TEST(Resources, IntegerIdsRunFrom1To65535) {
    const std::pair<std::int32_t, std::optional<std::uint16_t>> rows[] = {
        {1, 1}, {65535, 65535}, {0, std::nullopt}, {65536, std::nullopt}, {-1, std::nullopt}};
    test::ForEachRow(rows, [&](const auto& row) {
        EXPECT_EQ(IntegerResourceId(row.first), row.second);
    });
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
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [name, index, type, expected] = row;
        EXPECT_EQ(ResourceUrl(name, index, type), expected);
    });
}

} // namespace
} // namespace orvh
