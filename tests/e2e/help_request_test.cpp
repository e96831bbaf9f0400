// A question mark anywhere in the tail shows the usage message and ends the program,
// before any switch is read or any folder is made.
#include "launched_program.h"
#include "message_box_reader.h"
#include "test_paths.h"

#include "system/unique_handles_win32.h"

#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kBoxTimeout = 20s;
constexpr auto kExitTimeout = 10s;
constexpr wchar_t kUsageText[] = L"/? {Questo messaggio} \r\n\r\n/PathAggiornamento={Percorso dei file di aggiornamento}";

class HelpRequestTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(HelpRequestTest, ShowsTheUsageMessageOnlyAndCreatesNothing) {
    const ScratchFolder folder;
    const std::wstring exe = folder / L"OrvhUpdate.exe";
    ASSERT_TRUE(::CopyFileW(OrvhUpdateExe().c_str(), exe.c_str(), TRUE));
    {
        const LaunchedProgram program(exe, GetParam(), folder.Path());
        const HWND box = WaitForMessageBox(program.ProcessId(), kBoxTimeout);
        ASSERT_NE(box, nullptr) << "no message box appeared";
        EXPECT_EQ(VisibleTopLevelWindows(program.ProcessId()), std::vector<HWND>{box});

        const MessageBoxContents contents = ReadMessageBox(box);
        EXPECT_EQ(contents.title, L"Orvane Hub Update");
        EXPECT_EQ(contents.text, kUsageText);
        EXPECT_EQ(contents.icon, BoxIcon::Information);
        ASSERT_EQ(contents.buttons.size(), 1u);
        EXPECT_EQ(contents.buttons[0].id, IDOK);

        PressButton(box, IDOK);
        const auto shown = WindowsShownUntilExit(program.Process(), program.ProcessId(), kExitTimeout);
        EXPECT_FALSE(program.Running()) << "the program did not end after its message box was closed";
        for (HWND window : shown) EXPECT_EQ(window, box) << "another window was shown";
    }
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::wstring>{L"OrvhUpdate.exe"});
}

INSTANTIATE_TEST_SUITE_P(Tails, HelpRequestTest,
                         ::testing::Values(L"/?", L"?", L"/PathAggiornamento=\\\\?\\C:\\Upd",
                                           L"/ExeName=x /AttendiProcesso=1 /?"));

} // namespace
} // namespace orvh::test
