// A second launcher refused while the first shows its usage message, which creates nothing.
#include "main/command_line.h"
#include "run_checks.h"

#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;

// The program's only window is its box; answered, the program ends.
void ExpectOnlyTheBoxThenTheEnd(const LaunchedProgram& program, HWND box, const std::wstring& text, const char* icon) {
    ASSERT_NE(box, nullptr) << "no message box appeared";
    EXPECT_EQ(VisibleTopLevelWindows(program.ProcessId()), std::vector<HWND>{box});
    const MessageBoxContents contents = ReadMessageBox(box);
    EXPECT_EQ(contents.title, StringText(2));
    EXPECT_EQ(contents.text, text);
    EXPECT_EQ(contents.icon, icon);
    ASSERT_EQ(contents.buttons.size(), 1u);
    PressButton(box, contents.buttons[0]);
    EXPECT_TRUE(program.WaitForExit(10s)) << "the program did not end once its box was answered";
}

TEST(SecondInstance, IsRefusedWhileTheFirstShowsItsUsageMessage) {
    const ScratchFolder folder;
    ASSERT_TRUE(::CopyFileW(OrvhUpdateExe().c_str(), (folder / L"OrvhUpdate.exe").c_str(), TRUE));
    const std::wstring usage = HelpText(StringText(200));
    const LaunchedProgram first(folder / L"OrvhUpdate.exe", L"/?", folder.Path());
    const HWND firstBox = WaitForMessageBox(first.ProcessId(), 20s);
    ASSERT_NE(firstBox, nullptr) << "the first instance showed no usage message";
    {
        const LaunchedProgram second(OrvhUpdateExe(), L"/PathAggiornamento=C:\\x");
        ExpectOnlyTheBoxThenTheEnd(second, WaitForMessageBox(second.ProcessId(), 20s), StringText(10000), "stop");
    }
    EXPECT_EQ(VisibleTopLevelWindows(first.ProcessId()), std::vector<HWND>{firstBox}) << "the first one was disturbed";
    ExpectOnlyTheBoxThenTheEnd(first, firstBox, usage, "information");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::wstring>{L"OrvhUpdate.exe"});
    // Once the first has ended, the next one runs.
    const LaunchedProgram next(OrvhUpdateExe(), L"/?");
    ExpectOnlyTheBoxThenTheEnd(next, WaitForMessageBox(next.ProcessId(), 20s), usage, "information");
}

} // namespace
} // namespace orvh::test
