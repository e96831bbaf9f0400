// The progress window on a real display: where its controls stand at 96 DPI, the arrow
// and the result pictures through the steps, the close button and close requests, the
// separator lines after a resize, the hourglass, and a screenshot of a finished run.
#include "png_writer.h"
#include "system/platform_error.h"
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"
#include "test_paths.h"
#include "ui/message_pump_win32.h"
#include "ui/mouse_pointer_win32.h"
#include "ui/progress_controls.h"
#include "ui/progress_window_win32.h"
#include "window_capture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace orvh {
namespace {

namespace ids = progress_controls;

constexpr UINT kSubstitute = 0xFFFFFFF6; // -10
constexpr std::uint32_t kWhite = 0x00FFFFFF;

struct PixelRect {
    int left;
    int top;
    int width;
    int height;

    bool operator==(const PixelRect&) const = default;
};

std::ostream& operator<<(std::ostream& os, const PixelRect& r) {
    return os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}

struct MenuItem {
    UINT id;
    UINT state;
};

// The Close item of the system menu, found by position whatever identifier it carries.
std::optional<MenuItem> CloseItem(HWND window) {
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STATE;
        if (::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) &&
            (item.wID == SC_CLOSE || item.wID == kSubstitute)) {
            return MenuItem{item.wID, item.fState};
        }
    }
    return std::nullopt;
}

void PumpFor(std::chrono::milliseconds period) {
    Win32MessagePump pump;
    const auto end = std::chrono::steady_clock::now() + period;
    do {
        pump.ProcessPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
}

class ProgressWindowTest : public testing::Test {
protected:
    void SetUp() override {
        // The pictures are the program's own resources.
        resources_.reset(::LoadLibraryExW(test::OrvhUpdateExe().c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(resources_) << "cannot read the resources of OrvhUpdate.exe";
        form_ = std::make_unique<ProgressWindow>(resources_.get());
        const UniqueMemoryDc display(::CreateICW(L"DISPLAY", nullptr, nullptr, nullptr));
        ASSERT_EQ(::GetDeviceCaps(display.get(), LOGPIXELSX), 96) << "the positions below are those of 96 DPI";
    }

    HWND Window() const { return form_->Window(); }
    HWND Control(int id) const { return ::GetDlgItem(Window(), id); }

    PixelRect Rect(int id) const {
        RECT r{};
        ::GetWindowRect(Control(id), &r);
        ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }

    bool Visible(int id) const { return (::GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    HICON Icon(int id) const { return reinterpret_cast<HICON>(::SendMessageW(Control(id), STM_GETICON, 0, 0)); }

    int ClientWidth() const {
        RECT client{};
        ::GetClientRect(Window(), &client);
        return client.right;
    }

    UniqueModule resources_;
    std::unique_ptr<ProgressWindow> form_;
};

TEST_F(ProgressWindowTest, LoadedWindowHasNoMinimiseOrMaximiseAndStandsTopLeft) {
    const LONG style = ::GetWindowLongW(Window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_FALSE(::IsWindowVisible(Window()));
    RECT frame{};
    ::GetWindowRect(Window(), &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    RECT client{};
    ::GetClientRect(Window(), &client);
    EXPECT_EQ(client.right, 469);
    EXPECT_EQ(client.bottom, 186);
    EXPECT_NE(::SendMessageW(Window(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(::SendMessageW(Window(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(ProgressWindowTest, PictureControlsStandAtTheirDesignPositions) {
    form_->Show();
    struct Case {
        int id;
        PixelRect rect;
        bool visible;
    };
    const Case cases[] = {
        {ids::imgSfondo, {0, 0, 115, 190}, true},
        {ids::imgStep + 0, {168, 16, 16, 16}, true},
        {ids::imgStep + 1, {168, 48, 16, 16}, true},
        {ids::imgStep + 2, {168, 80, 16, 16}, true},
        {ids::imgStep + 3, {168, 112, 16, 16}, true},
        {ids::imgStepDone + 0, {152, 16, 16, 16}, true},
        {ids::imgStepDone + 1, {152, 48, 16, 16}, true},
        {ids::imgStepDone + 2, {152, 80, 16, 16}, true},
        {ids::imgStepDone + 3, {152, 112, 16, 16}, true},
        {ids::imgOk, {368, 88, 16, 16}, false},
        {ids::ImgFail, {368, 112, 16, 16}, false},
        {ids::imgFreccia, {360, 8, 24, 24}, false},
        // The separator lines reach the right edge of the 469-pixel client area.
        {ids::imgLinea + 0, {112, 160, 357, 2}, true},
        {ids::imgLinea + 1, {192, 32, 277, 2}, true},
        {ids::imgLinea + 2, {192, 64, 277, 2}, true},
        {ids::imgLinea + 3, {192, 96, 277, 2}, true},
        {ids::imgLinea + 4, {192, 128, 277, 2}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Rect(c.id), c.rect) << "control " << c.id;
        EXPECT_EQ(Visible(c.id), c.visible) << "control " << c.id;
    }
    for (int k = 0; k < kStepCount; ++k) {
        EXPECT_NE(Icon(ids::imgStep + k), nullptr) << "step " << k;
        EXPECT_EQ(Icon(ids::imgStepDone + k), nullptr) << "step " << k;
    }
    EXPECT_NE(Icon(ids::imgOk), nullptr);
    EXPECT_NE(Icon(ids::ImgFail), nullptr);
    EXPECT_NE(Icon(ids::imgOk), Icon(ids::ImgFail));
}

TEST_F(ProgressWindowTest, LabelsStandAtTheirDesignPositionsAndGrowToTheirText) {
    struct Case {
        WindowLabel label;
        int id;
        int left;
        int top;
    };
    const Case cases[] = {
        {WindowLabel::RicercaVersioni, ids::lblRicercaVersioni, 192, 16},
        {WindowLabel::OrvhMsi, ids::lblOrvhMsi, 192, 48},
        {WindowLabel::OrvhMsp, ids::lblOrvhMsp, 192, 80},
        {WindowLabel::AvvioOrvh, ids::lblAvvioOrvh, 192, 112},
        {WindowLabel::Attivita, ids::lblAttivita, 128, 168},
    };
    for (const auto& c : cases) {
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(Control(c.id), WM_GETFONT, 0, 0));
        LOGFONTW logFont{};
        ASSERT_EQ(::GetObjectW(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
        EXPECT_STREQ(logFont.lfFaceName, L"Tahoma");
        EXPECT_EQ(logFont.lfHeight, -12);
        EXPECT_EQ(logFont.lfWeight, FW_NORMAL);

        int previousWidth = 0;
        for (const std::wstring text : {L"Avvio", L"Installazione aggiornamento versione: 1.2.0"}) {
            form_->SetLabel(c.label, text);
            wchar_t shown[128] = {};
            ::GetWindowTextW(Control(c.id), shown, 128);
            EXPECT_EQ(shown, text);
            const PixelRect rect = Rect(c.id);
            EXPECT_EQ(rect.left, c.left) << text;
            EXPECT_EQ(rect.top, c.top) << text;
            EXPECT_EQ(rect.height, 14) << text;
            // Exactly as wide as the text in the label's font.
            const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
            const HGDIOBJ previous = ::SelectObject(dc.get(), font);
            SIZE extent{};
            ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
            ::SelectObject(dc.get(), previous);
            EXPECT_EQ(rect.width, extent.cx) << text;
            EXPECT_GT(rect.width, previousWidth) << text;
            previousWidth = rect.width;
        }
    }
}

TEST_F(ProgressWindowTest, ArrowMovesDownTheStepsAndHidesAfterTheFourth) {
    struct Case {
        int calls;
        bool visible;
        int top;
    };
    // Left 1800 twips, top 60 twips above the label of the step in progress.
    const Case cases[] = {
        {0, false, 8}, {1, true, 12}, {2, true, 44}, {3, true, 76}, {4, true, 108}, {5, false, 108}, {6, false, 108},
    };
    int calls = 0;
    for (const auto& c : cases) {
        while (calls < c.calls) {
            form_->StepSuccessivo();
            ++calls;
        }
        const PixelRect arrow = Rect(ids::imgFreccia);
        EXPECT_EQ(Visible(ids::imgFreccia), c.visible) << "after " << c.calls << " calls";
        EXPECT_EQ(arrow.top, c.top) << "after " << c.calls << " calls";
        EXPECT_EQ(arrow.left, c.calls == 0 ? 360 : 120) << "after " << c.calls << " calls";
        EXPECT_EQ(arrow.width, 24);
        EXPECT_EQ(arrow.height, 24);
    }
}

TEST_F(ProgressWindowTest, SetInconStepBeforeAnyStepChangesNothing) {
    form_->SetInconStep(true);
    form_->SetInconStep(false);
    for (int k = 0; k < kStepCount; ++k) EXPECT_EQ(Icon(ids::imgStepDone + k), nullptr) << "row " << k;
}

TEST_F(ProgressWindowTest, EachFinishedStepShowsTheSharedSuccessOrFailurePicture) {
    const HICON ok = Icon(ids::imgOk);
    const HICON fail = Icon(ids::ImgFail);
    struct Case {
        bool success;
        HICON picture;
    };
    const Case cases[] = {{true, ok}, {false, fail}, {false, fail}, {true, ok}};
    for (int k = 0; k < kStepCount; ++k) {
        form_->StepSuccessivo();
        form_->SetInconStep(cases[k].success);
        for (int row = 0; row < kStepCount; ++row) {
            EXPECT_EQ(Icon(ids::imgStepDone + row), row <= k ? cases[row].picture : nullptr)
                << "row " << row << " after step " << k;
        }
        EXPECT_EQ(Rect(ids::imgStepDone + k), (PixelRect{152, 16 + 32 * k, 16, 16}));
    }
    // The same step may change its picture; the sources stay hidden and unchanged.
    form_->SetInconStep(false);
    EXPECT_EQ(Icon(ids::imgStepDone + 3), fail);
    EXPECT_EQ(Icon(ids::imgOk), ok);
    EXPECT_EQ(Icon(ids::ImgFail), fail);
    EXPECT_FALSE(Visible(ids::imgOk));
    EXPECT_FALSE(Visible(ids::ImgFail));
}

TEST_F(ProgressWindowTest, SetInconStepAfterTheFifthStepRaisesAndChangesNothing) {
    const HICON ok = Icon(ids::imgOk);
    for (int k = 0; k < kStepCount; ++k) {
        form_->StepSuccessivo();
        form_->SetInconStep(true);
    }
    form_->StepSuccessivo();
    try {
        form_->SetInconStep(false);
        ADD_FAILURE() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Number(), 340);
        EXPECT_EQ(e.Description(), L"L'elemento '4' della matrice di controllo non esiste");
    }
    for (int k = 0; k < kStepCount; ++k) EXPECT_EQ(Icon(ids::imgStepDone + k), ok) << "row " << k;
}

// The Close item as it is when the watched window receives WM_DESTROY.
HWND watched;
std::optional<MenuItem> atDestroy;

LRESULT CALLBACK ReadCloseItemAtDestroy(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == watched && message->message == WM_DESTROY) {
        atDestroy = CloseItem(watched);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ProgressWindowTest, CloseItemIsGreyWhileLoadedAndRestoredBeforeTheWindowGoes) {
    const auto loaded = CloseItem(Window());
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->id, kSubstitute);
    EXPECT_EQ(loaded->state & MFS_GRAYED, static_cast<UINT>(MFS_GRAYED));

    watched = Window();
    atDestroy.reset();
    const auto hook = ::SetWindowsHookExW(WH_CALLWNDPROC, ReadCloseItemAtDestroy, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    form_.reset();
    ::UnhookWindowsHookEx(hook);
    EXPECT_FALSE(::IsWindow(watched));
    ASSERT_TRUE(atDestroy.has_value());
    EXPECT_EQ(atDestroy->id, static_cast<UINT>(SC_CLOSE));
    EXPECT_EQ(atDestroy->state & MFS_GRAYED, 0u);
}

// A window that does what the system does by default with close requests: the stimuli
// below close it, so their failing to close the progress window means something.
UniqueWindow OrdinaryWindow() {
    return UniqueWindow(::CreateWindowExW(0, L"STATIC", L"ordinary", WS_OVERLAPPEDWINDOW, 500, 300, 200, 100, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

TEST_F(ProgressWindowTest, CloseButtonSystemMenuAndAltF4AreRefused) {
    form_->Show();
    struct Case {
        const char* name;
        void (*request)(HWND);
    };
    const Case cases[] = {
        {"close button or system menu",
         [](HWND window) { ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4",
         [](HWND window) {
             // Key down with Alt held (context code, bit 29).
             ::PostMessageW(window, WM_SYSKEYDOWN, VK_F4, 0x20000001);
         }},
    };
    for (const auto& c : cases) {
        UniqueWindow ordinary = OrdinaryWindow();
        ASSERT_TRUE(ordinary);
        const HWND ordinaryHandle = ordinary.get();
        c.request(ordinaryHandle);
        c.request(Window());
        PumpFor(std::chrono::milliseconds(200));
        if (!::IsWindow(ordinaryHandle)) ordinary.release();
        EXPECT_FALSE(::IsWindow(ordinaryHandle)) << c.name << " does not close an ordinary window";
        EXPECT_TRUE(::IsWindow(Window())) << c.name;
        EXPECT_TRUE(::IsWindowVisible(Window())) << c.name;
    }
}

TEST_F(ProgressWindowTest, ShutdownAndThePlainCloseOfTheTaskManagerGoAhead) {
    const HWND window = Window();
    EXPECT_NE(::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(form_->Window(), nullptr);
    // The run goes on without a window.
    form_->SetLabel(WindowLabel::Attivita, L"Aggiornamento completato");
    form_->StepSuccessivo();
    form_->SetInconStep(true);
    form_.reset();
}

TEST_F(ProgressWindowTest, SeparatorLinesReachTheRightEdgeAfterAResize) {
    form_->Show();
    for (const int width : {619, 520}) {
        RECT frame{};
        ::GetWindowRect(Window(), &frame);
        ::SetWindowPos(Window(), nullptr, 0, 0, frame.right - frame.left + width - ClientWidth(),
                       frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
        ASSERT_EQ(ClientWidth(), width);
        const int lefts[kLineCount] = {112, 192, 192, 192, 192};
        for (int i = 0; i < kLineCount; ++i) {
            const PixelRect line = Rect(ids::imgLinea + i);
            EXPECT_EQ(line.left, lefts[i]) << "line " << i;
            EXPECT_EQ(line.left + line.width, ClientWidth()) << "line " << i;
            EXPECT_EQ(line.height, 2) << "line " << i;
        }
    }
}

TEST_F(ProgressWindowTest, HourglassOverTheWindowAndItsControlsWhileTheRunWorks) {
    Win32MousePointer pointer;
    const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
    for (const HWND target : {Window(), Control(ids::lblAttivita), Control(ids::imgSfondo)}) {
        pointer.SetHourglass(true);
        ::SetCursor(nullptr);
        EXPECT_TRUE(::SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(::GetCursor(), wait);
        pointer.SetHourglass(false);
        ::SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_NE(::GetCursor(), wait);
    }
}

TEST_F(ProgressWindowTest, ScreenshotOfAFinishedRun) {
    form_->SetCaption(L"Orvane Hub Update");
    form_->SetLabel(WindowLabel::RicercaVersioni, L"Versione corrente: 1.1.601");
    form_->SetLabel(WindowLabel::OrvhMsi, L"Installazione aggiornamento versione: 1.2.0");
    form_->SetLabel(WindowLabel::OrvhMsp, L"Installazione patch versione: 1.2.100");
    form_->SetLabel(WindowLabel::AvvioOrvh, L"Avvio di Orvane Hub");
    form_->SetLabel(WindowLabel::Attivita, L"Avvio Orvane Hub in corso...");
    form_->Show();
    const bool outcomes[kStepCount] = {true, true, false, true};
    for (const bool success : outcomes) {
        form_->StepSuccessivo();
        form_->SetInconStep(success);
    }
    ::SetForegroundWindow(Window());
    PumpFor(std::chrono::milliseconds(500));

    const test::Image shot = test::CaptureWindow(Window());
    test::WritePng(test::TestProgramFolder() + L"\\progress_window.png", shot);

    // What the screen shows in each result control is the success or failure picture.
    const test::Image client = test::CaptureClientArea(Window());
    for (int k = 0; k < kStepCount; ++k) {
        const test::Image expected = test::DrawIconOn(Icon(outcomes[k] ? ids::imgOk : ids::ImgFail), 16, 16, kWhite);
        const PixelRect rect = Rect(ids::imgStepDone + k);
        int differing = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) differing += client.At(rect.left + x, rect.top + y) != expected.At(x, y);
        }
        EXPECT_EQ(differing, 0) << "row " << k;
    }
}

} // namespace
} // namespace orvh
