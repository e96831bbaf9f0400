// The progress window as a user's tools see it: arrow, result pictures, close button and requests.
#include "rows.h"
#include "system/unique_handles_win32.h"
#include "run_checks.h"
#include "ui/message_pump_win32.h"
#include "ui/progress_controls.h"
#include "ui/progress_window_win32.h"
#include "ui/window_dpi_win32.h"

#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <thread>

namespace orvh {
namespace {

namespace ids = progress_controls;
using namespace std::chrono_literals;

// Runs `read` on another thread while this one, which owns the window, handles messages.
template <typename Read>
auto Observe(Read read) {
    auto result = std::async(std::launch::async, read);
    Win32MessagePump pump;
    while (result.wait_for(10ms) != std::future_status::ready) pump.ProcessPendingMessages();
    return result.get();
}

// The step row the arrow stands beside (-1 when hidden), then per row the result shown:
// o the success picture, x the failure picture, - none; and whether the close button works.
std::string Look(HWND window) {
    const auto Icon = [&](int id) { return reinterpret_cast<HICON>(::SendDlgItemMessageW(window, id, STM_GETICON, 0, 0)); };
    const HWND arrow = ::GetDlgItem(window, ids::imgFreccia);
    RECT at{};
    ::GetWindowRect(arrow, &at);
    int arrowRow = -1;
    std::string results;
    for (int row = 0; row < kStepCount; ++row) {
        RECT label{};
        ::GetWindowRect(::GetDlgItem(window, ids::lblRicercaVersioni + row), &label);
        if (::IsWindowVisible(arrow) && at.top < label.bottom && at.bottom > label.top) arrowRow = row;
        const HICON shown = Icon(ids::imgStepDone + row);
        results += !shown ? '-' : shown == Icon(ids::imgOk) ? 'o' : shown == Icon(ids::ImgFail) ? 'x' : '?';
    }
    // The close item under its greyed identifier.
    const UINT close = ::GetMenuState(::GetSystemMenu(window, FALSE), 0xFFFFFFF6, MF_BYCOMMAND);
    const bool greyed = close != static_cast<UINT>(-1) && (close & MF_GRAYED);
    return std::to_string(arrowRow) + " " + results + (greyed ? "" : " closable");
}

TEST(ProgressWindow, StepsArrowResultsAndCloseRequests) {
    ProgressWindow form(test::ProgramResources());
    form.Show();
    // The result set after the row's step; what is seen.
    const std::pair<std::optional<bool>, std::string> rows[] = {
        {std::nullopt, "-1 ----"}, {true, "0 o---"}, {false, "1 ox--"}, {false, "2 oxx-"}, {true, "3 oxxo"}, {std::nullopt, "-1 oxxo"}};
    test::ForEachRow(rows, [&](const auto& row, std::size_t i) {
        if (i > 0) form.StepSuccessivo();
        if (row.first) form.SetInconStep(*row.first);
        EXPECT_EQ(Observe([&] { return Look(form.Window()); }), row.second);
    });

    // Each request closes an ordinary window; the progress window obeys only the system's.
    const std::tuple<UINT, WPARAM, LPARAM, bool> requests[] = {{WM_SYSCOMMAND, SC_CLOSE, 0, false}, // the close button
                                {WM_SYSKEYDOWN, VK_F4, 0x20000001, false}, // Alt+F4
                                {WM_CLOSE, 0, 0, true}}; // the task manager, the shutdown
    test::ForEachRow(requests, [&](const auto& row) {
        const auto& [message, wParam, lParam, closes] = row;
        const HWND ordinary = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 99, 99, nullptr, nullptr,
                                                nullptr, nullptr);
        for (const HWND window : {ordinary, form.Window()}) {
            ::PostMessageW(window, message, wParam, lParam);
        }
        Observe([] { std::this_thread::sleep_for(300ms); });
        EXPECT_FALSE(::IsWindow(ordinary)) << "the request closes no window";
        EXPECT_EQ(form.Window() == nullptr, closes);
    });
    form.StepSuccessivo(); // the run goes on without its window
}

// Told of twice the DPI: the design's places at that DPI, the window in the rectangle Windows
// suggests, the letters and pictures scaled, the arrow still at its step.
TEST(ProgressWindow, LaidOutAgainForANewDpi) {
    ProgressWindow form(test::ProgramResources());
    form.Show();
    form.StepSuccessivo();
    const HWND window = form.Window();
    const int dpi = WindowDpi(window) * 2;
    RECT suggested{10, 20, 900, 500};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

    const auto placed = [&](int id) {
        RECT at{};
        ::GetWindowRect(::GetDlgItem(window, id), &at);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
        return at;
    };
    ICONINFO step{};
    ::GetIconInfo(reinterpret_cast<HICON>(::SendDlgItemMessageW(window, ids::imgStep + 2, STM_GETICON, 0, 0)), &step);
    const UniqueGdiObject stepColour(step.hbmColor), stepMask(step.hbmMask);
    BITMAP stepPicture{};
    ::GetObjectW(step.hbmColor, sizeof stepPicture, &stepPicture);
    RECT client{}, frame{};
    ::GetClientRect(window, &client);
    ::GetWindowRect(window, &frame);
    LOGFONTW letters{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendDlgItemMessageW(window, ids::lblAttivita, WM_GETFONT, 0, 0)),
                 sizeof letters, &letters);
    const auto px = [&](int twips) { return TwipsToPixels(twips, dpi); };
    const std::pair<long, long> rows[] = {
        {frame.left, 10},
        {frame.top, 20},
        {frame.right, 900},
        {frame.bottom, 500},
        {stepPicture.bmWidth, px(design::imgStep[2].width)},
        {placed(ids::imgStep + 2).left, px(design::imgStep[2].left)},
        {placed(ids::lblAttivita).top, px(design::lblAttivita.top)},
        {-letters.lfHeight, ::MulDiv(9, dpi, 72)},
        {placed(ids::imgLinea).right, client.right},
    };
    test::ForEachRow(rows, [](const auto& row) { EXPECT_EQ(row.first, row.second); });
    EXPECT_EQ(Look(window), "0 ----");
}

} // namespace
} // namespace orvh
