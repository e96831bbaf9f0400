// The progress window and the message boxes on a real display, read from another thread as
// a user's tools see them: the arrow and the result pictures through the steps, the greyed
// close button and the close requests, the boxes' texts and icons. A screenshot of a
// finished run is kept beside the test programs (progress_window.png).
#include "message_box_reader.h"
#include "resources/string_ids.h"
#include "system/unique_handles.h"
#include "test_paths.h"
#include "test_text.h"
#include "ui/message_box_win32.h"
#include "ui/message_pump_win32.h"
#include "ui/progress_controls.h"
#include "ui/progress_window_win32.h"
#include "window_capture.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace orvh {
namespace {

namespace ids = progress_controls;
using namespace std::chrono_literals;

constexpr UINT kSubstitute = 0xFFFFFFF6; // the Close item's identifier while it is greyed

// Runs `read` on another thread while this one, which owns the windows, handles messages.
template <typename Read>
auto Observe(Read read) {
    auto result = std::async(std::launch::async, read);
    Win32MessagePump pump;
    while (result.wait_for(10ms) != std::future_status::ready) pump.ProcessPendingMessages();
    return result.get();
}

RECT Rect(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    return r;
}

HICON Icon(HWND control) { return reinterpret_cast<HICON>(::SendMessageW(control, STM_GETICON, 0, 0)); }

struct Seen {
    bool arrowVisible;
    int arrowRow; // the step row whose label the arrow stands beside; -1 none
    std::string results; // per row: o success picture, x failure picture, - none
    bool closeGreyed;
};

Seen Look(HWND window) {
    Seen seen{(::GetWindowLongW(::GetDlgItem(window, ids::imgFreccia), GWL_STYLE) & WS_VISIBLE) != 0, -1, "", false};
    const RECT arrow = Rect(::GetDlgItem(window, ids::imgFreccia));
    for (int row = 0; row < kStepCount; ++row) {
        const RECT label = Rect(::GetDlgItem(window, ids::lblRicercaVersioni + row));
        if (arrow.top < label.bottom && arrow.bottom > label.top) seen.arrowRow = row;
        const HICON result = Icon(::GetDlgItem(window, ids::imgStepDone + row));
        seen.results += result == nullptr                                  ? '-'
                        : result == Icon(::GetDlgItem(window, ids::imgOk)) ? 'o'
                        : result == Icon(::GetDlgItem(window, ids::ImgFail)) ? 'x' : '?';
    }
    seen.closeGreyed = ::GetMenuState(::GetSystemMenu(window, FALSE), kSubstitute, MF_BYCOMMAND) & MF_GRAYED;
    return seen;
}

TEST(ProgressWindow, StepsArrowResultsCloseRequestsAndScreenshot) {
    const UniqueModule resources(::LoadLibraryExW(test::OrvhUpdateExe().c_str(), nullptr,
                                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(resources);
    ProgressWindow form(resources.get());
    form.SetCaption(test::StringText(text::kHubTitle));
    form.SetLabel(WindowLabel::Attivita, test::StringText(text::kStartingHub));
    form.Show();
    struct Row {
        std::optional<bool> outcome; // the step's result, set after the step
        bool arrowVisible;
        int arrowRow;
        std::string results;
    };
    const Row rows[] = {{std::nullopt, false, -1, "----"}, {true, true, 0, "o---"}, {false, true, 1, "ox--"},
                        {false, true, 2, "oxx-"}, {true, true, 3, "oxxo"}, {std::nullopt, false, 3, "oxxo"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (i > 0) form.StepSuccessivo();
        if (rows[i].outcome) form.SetInconStep(*rows[i].outcome);
        const Seen seen = Observe([&] { return Look(form.Window()); });
        EXPECT_EQ(seen.arrowVisible, rows[i].arrowVisible) << "row " << i;
        if (seen.arrowVisible) EXPECT_EQ(seen.arrowRow, rows[i].arrowRow) << "row " << i;
        EXPECT_EQ(seen.results, rows[i].results) << "row " << i;
        EXPECT_TRUE(seen.closeGreyed) << "row " << i;
    }

    ::SetForegroundWindow(form.Window());
    Observe([] { std::this_thread::sleep_for(500ms); });
    test::WritePng(test::TestProgramFolder() + L"\\progress_window.png", test::CaptureWindow(form.Window()));
    const test::Image client = test::CaptureClientArea(form.Window());
    for (int row = 0; row < kStepCount; ++row) {
        const HWND control = ::GetDlgItem(form.Window(), ids::imgStepDone + row);
        const test::Image expected = test::DrawIconOn(Icon(control), 16, 16, 0x00FFFFFF);
        POINT at{};
        ::MapWindowPoints(control, form.Window(), &at, 1);
        int differing = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) differing += client.At(at.x + x, at.y + y) != expected.At(x, y);
        }
        EXPECT_EQ(differing, 0) << "row " << row << ": the screen does not show its result picture";
    }

    // Each request closes an ordinary window; the progress window obeys only the system's.
    struct Request {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool closes;
    };
    const Request requests[] = {{"close button", WM_SYSCOMMAND, SC_CLOSE, 0, false},
                                {"Alt+F4", WM_SYSKEYDOWN, VK_F4, 0x20000001, false},
                                {"task manager", WM_CLOSE, 0, 0, true}};
    for (std::size_t i = 0; i < std::size(requests); ++i) {
        const Request& r = requests[i];
        const HWND ordinary = ::CreateWindowExW(0, L"STATIC", L"ordinary", WS_OVERLAPPEDWINDOW, 0, 0, 99, 99, nullptr,
                                                nullptr, nullptr, nullptr);
        for (const HWND window : {ordinary, form.Window()}) ::PostMessageW(window, r.message, r.wParam, r.lParam);
        Observe([] { std::this_thread::sleep_for(300ms); });
        EXPECT_FALSE(::IsWindow(ordinary)) << "row " << i << ": " << r.name << " does not close an ordinary window";
        EXPECT_EQ(form.Window() == nullptr, r.closes) << "row " << i << ": " << r.name;
    }
    form.StepSuccessivo(); // the run goes on without its window
}

TEST(MessageBox, ShowsTextTitleIconAndOneOkButton) {
    struct Row {
        MessageIcon icon;
        test::BoxIcon seen;
    };
    const Row rows[] = {{MessageIcon::CriticalStop, test::BoxIcon::Stop}, {MessageIcon::Information, test::BoxIcon::Information}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::wstring text = test::StringText(text::kInstallationFailed);
        std::thread shown([&] { Win32Dialogs().ShowMessage(text, L"OrvhUpdate", rows[i].icon); });
        const HWND box = test::WaitForMessageBox(::GetCurrentProcessId(), 10s);
        ASSERT_NE(box, nullptr) << "row " << i;
        const test::MessageBoxContents contents = test::ReadMessageBox(box);
        test::PressButton(box, IDOK);
        shown.join();
        EXPECT_EQ(test::Narrow(contents.title), "OrvhUpdate") << "row " << i;
        EXPECT_EQ(test::Narrow(contents.text), test::Narrow(text)) << "row " << i;
        EXPECT_EQ(contents.icon, rows[i].seen) << "row " << i;
        ASSERT_EQ(contents.buttons.size(), 1u) << "row " << i;
        EXPECT_EQ(contents.buttons[0].id, IDOK) << "row " << i;
    }
}

} // namespace
} // namespace orvh
