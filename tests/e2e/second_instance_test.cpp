// One instance at a time: a second one shows its refusal and ends, and the running one
// goes on undisturbed.
#include "launched_program.h"
#include "message_box_reader.h"
#include "test_paths.h"

#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kBoxTimeout = 20s;
constexpr auto kExitTimeout = 10s;
constexpr wchar_t kUsageText[] = L"/? {Questo messaggio} \r\n\r\n/PathAggiornamento={Percorso dei file di aggiornamento}";

// The usage message box of an instance started with "/?", its text checked.
HWND UsageBoxOf(const LaunchedProgram& program) {
    const HWND box = WaitForMessageBox(program.ProcessId(), kBoxTimeout);
    if (box) EXPECT_EQ(ReadMessageBox(box).text, kUsageText);
    return box;
}

TEST(SecondInstanceTest, IsRefusedWhileTheFirstRunsUndisturbed) {
    const LaunchedProgram first(OrvhUpdateExe(), L"/?");
    const HWND firstBox = UsageBoxOf(first);
    ASSERT_NE(firstBox, nullptr) << "the first instance showed no usage message";
    {
        const LaunchedProgram second(OrvhUpdateExe(), L"/PathAggiornamento=C:\\x");
        const HWND box = WaitForMessageBox(second.ProcessId(), kBoxTimeout);
        ASSERT_NE(box, nullptr) << "the second instance showed no message box";
        EXPECT_EQ(VisibleTopLevelWindows(second.ProcessId()), std::vector<HWND>{box});

        const MessageBoxContents contents = ReadMessageBox(box);
        EXPECT_EQ(contents.title, L"Orvane Hub Update");
        EXPECT_EQ(contents.text, L"Impossibile avviare pi\u00f9 istanze dell'applicazione");
        EXPECT_EQ(contents.icon, BoxIcon::Stop);
        ASSERT_EQ(contents.buttons.size(), 1u);
        EXPECT_EQ(contents.buttons[0].id, IDOK);

        PressButton(box, IDOK);
        const auto shown = WindowsShownUntilExit(second.Process(), second.ProcessId(), kExitTimeout);
        EXPECT_FALSE(second.Running()) << "the second instance did not end after its message box was closed";
        for (HWND window : shown) EXPECT_EQ(window, box) << "the second instance showed another window";
    }

    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(NoMessageBoxWithin(first.ProcessId(), 300ms, {firstBox}));
    EXPECT_EQ(VisibleTopLevelWindows(first.ProcessId()), std::vector<HWND>{firstBox});
    EXPECT_EQ(ReadMessageBox(firstBox).text, kUsageText);

    PressButton(firstBox, IDOK);
    EXPECT_TRUE(first.WaitForExit(kExitTimeout)) << "the first instance did not end after its message box was closed";

    const LaunchedProgram next(OrvhUpdateExe(), L"/?");
    const HWND nextBox = UsageBoxOf(next);
    ASSERT_NE(nextBox, nullptr) << "an instance started after the first had ended showed no usage message";
    PressButton(nextBox, IDOK);
    EXPECT_TRUE(next.WaitForExit(kExitTimeout));
}

} // namespace
} // namespace orvh::test
