#include "ui/progress_window_win32.h"

#include "system/platform_error.h"
#include "system/win32_error_win32.h"
#include "ui/close_button_win32.h"
#include "ui/mouse_pointer_win32.h"
#include "ui/progress_controls.h"
#include "ui/window_dpi_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace orvh {

namespace {

constexpr wchar_t kClassName[] = L"frmOrvhUpdate";
// A fixed border with a caption and a system menu, and no minimise or maximise button.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;
// The control keeps its size and the picture is fitted to it.
constexpr DWORD kIconStyle = kChildStyle | SS_ICON | SS_REALSIZECONTROL;
constexpr DWORD kBitmapStyle = kChildStyle | SS_BITMAP | SS_REALSIZECONTROL;
constexpr DWORD kLabelStyle = kChildStyle | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr COLORREF kTextColour = RGB(20, 40, 80);
constexpr int kFontPoints = 9;

const wchar_t* RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = kClassName;
        if (!::RegisterClassExW(&windowClass)) ThrowLastError(L"RegisterClassExW");
        return true;
    }();
    static_cast<void>(registered);
    return kClassName;
}

void SetIcon(HWND control, HICON icon) {
    ::SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void SetBitmap(HWND control, HGDIOBJ bitmap) {
    ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

// Null when the system cannot make it.
UniqueGdiObject LabelFont(int dpi) {
    return UniqueGdiObject(::CreateFontW(-::MulDiv(kFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}

} // namespace

// shell32.dll is not loaded ahead of the common controls: that remedied programs of the
// first visual-styles era failing as they ended, which this one does not.
ProgressWindow::ProgressWindow(HMODULE pictures) : module_(pictures) {
    ::InitCommonControls();
    window_.reset(::CreateWindowExW(0, RegisterWindowClass(&WindowProcedure), L"", kWindowStyle, 0, 0, 0, 0, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), this));
    if (!window_) ThrowLastError(L"CreateWindowExW");
    dpi_ = WindowDpi(window_.get());
    pictures_ = LoadProgressPictures(pictures, dpi_);
    font_ = LabelFont(dpi_);
    if (!font_) ThrowLastError(L"CreateFontW");
    ::SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(pictures_.windowLarge.get()));
    ::SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(pictures_.windowSmall.get()));
    CreateControls();
    SizeClientArea();

    // Load: the user cannot close the window while it is there; it stands at the top-left corner.
    EnableCloseButton(window_.get(), false);
    ::SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ProgressWindow::~ProgressWindow() {
    if (!window_) return;
    try {
        EnableCloseButton(window_.get(), true);
    } catch (const PlatformError&) {
        // The window goes in any case, and a destructor has no caller to tell.
    }
    window_.reset();
}

void ProgressWindow::CreateControls() {
    namespace ids = progress_controls;
    // Siblings are created from the top of the stack down: the banner lies under everything.
    controls_.imgFreccia = CreateControl(ids::imgFreccia, kIconStyle, design::imgFreccia);
    SetIcon(controls_.imgFreccia, pictures_.arrow.get());
    controls_.imgOk = CreateControl(ids::imgOk, kIconStyle, design::imgOk);
    SetIcon(controls_.imgOk, pictures_.success.get());
    controls_.ImgFail = CreateControl(ids::ImgFail, kIconStyle, design::ImgFail);
    SetIcon(controls_.ImgFail, pictures_.failure.get());
    for (int k = 0; k < kStepCount; ++k) {
        controls_.imgStepDone[k] = CreateControl(ids::imgStepDone + k, kIconStyle | WS_VISIBLE, design::imgStepDone[k]);
        controls_.imgStep[k] = CreateControl(ids::imgStep + k, kIconStyle | WS_VISIBLE, design::imgStep[k]);
        SetIcon(controls_.imgStep[k], pictures_.steps[k].get());
    }
    controls_.lblRicercaVersioni = CreateControl(ids::lblRicercaVersioni, kLabelStyle, design::lblRicercaVersioni);
    controls_.lblOrvhMsi = CreateControl(ids::lblOrvhMsi, kLabelStyle, design::lblOrvhMsi);
    controls_.lblOrvhMsp = CreateControl(ids::lblOrvhMsp, kLabelStyle, design::lblOrvhMsp);
    controls_.lblAvvioOrvh = CreateControl(ids::lblAvvioOrvh, kLabelStyle, design::lblAvvioOrvh);
    controls_.lblAttivita = CreateControl(ids::lblAttivita, kLabelStyle, design::lblAttivita);
    for (int i = 0; i < kLineCount; ++i) {
        controls_.imgLinea[i] = CreateControl(ids::imgLinea + i, kBitmapStyle | WS_VISIBLE, design::imgLinea[i]);
        SetBitmap(controls_.imgLinea[i], pictures_.line.get());
    }
    controls_.imgSfondo = CreateControl(ids::imgSfondo, kBitmapStyle | WS_VISIBLE, design::imgSfondo);
    SetBitmap(controls_.imgSfondo, pictures_.banner.get());

    for (int k = 0; k < kStepCount; ++k) {
        Place(controls_.imgStepDone[k], design::imgStepDone[k]);
        Place(controls_.imgStep[k], design::imgStep[k]);
    }
    Place(controls_.imgFreccia, design::imgFreccia);
    Place(controls_.imgOk, design::imgOk);
    Place(controls_.ImgFail, design::ImgFail);
    for (int i = 0; i < kLineCount; ++i) Place(controls_.imgLinea[i], design::imgLinea[i]);
    Place(controls_.imgSfondo, design::imgSfondo);
}

HWND ProgressWindow::CreateControl(int id, DWORD style, const TwipsRect& design) {
    const HWND control = ::CreateWindowExW(0, L"STATIC", L"", style, Pixels(design.left), Pixels(design.top),
                                           Pixels(design.width), Pixels(design.height), window_.get(),
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           ::GetModuleHandleW(nullptr), nullptr);
    if (!control) ThrowLastError(L"CreateWindowExW");
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    designs_.emplace_back(control, design);
    return control;
}

// A picture control may have sized itself to its picture; it goes back to its design size.
void ProgressWindow::Place(HWND control, const TwipsRect& design) const {
    ::SetWindowPos(control, nullptr, Pixels(design.left), Pixels(design.top), Pixels(design.width),
                   Pixels(design.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindow::SizeClientArea() const {
    // The frame is drawn at the window's DPI.
    const SIZE frame = FrameSize(Pixels(design::kClientWidth), Pixels(design::kClientHeight), kWindowStyle,
                                 WindowDpi(window_.get()));
    ::SetWindowPos(window_.get(), nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Called from the window procedure, so it raises nothing: without a new font the labels
// keep the old one, without new pictures the controls keep the old ones.
void ProgressWindow::Relayout(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    // The old font stays until no control uses it.
    UniqueGdiObject font = LabelFont(dpi_);
    for (const auto& [control, design] : designs_) {
        if (font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        Place(control, design);
    }
    if (font) font_ = std::move(font);
    try {
        ShowPictures(LoadProgressPictures(module_, dpi_));
    } catch (const PlatformError&) {
        // The pictures of the earlier DPI stay, drawn at their controls' new size.
    }
    for (const WindowLabel label : {WindowLabel::RicercaVersioni, WindowLabel::OrvhMsi, WindowLabel::OrvhMsp,
                                    WindowLabel::AvvioOrvh, WindowLabel::Attivita}) {
        FitLabel(LabelControl(label));
    }
    if (arrowAt_) {
        ::SetWindowPos(controls_.imgFreccia, nullptr, Pixels(arrowAt_->left), Pixels(arrowAt_->top), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Where and as large as Windows suggests: a rectangle it chose for the new monitor.
    ::SetWindowPos(window_.get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    StretchLines(client.right);
    ::InvalidateRect(window_.get(), nullptr, TRUE);
}

// The pictures of a new DPI in their controls, a finished step's result included; the
// earlier ones go once no control shows them.
void ProgressWindow::ShowPictures(ProgressPictures pictures) {
    for (auto& done : controls_.imgStepDone) {
        const auto shown = reinterpret_cast<HICON>(::SendMessageW(done, STM_GETICON, 0, 0));
        if (shown == pictures_.success.get()) SetIcon(done, pictures.success.get());
        if (shown == pictures_.failure.get()) SetIcon(done, pictures.failure.get());
    }
    for (int k = 0; k < kStepCount; ++k) SetIcon(controls_.imgStep[k], pictures.steps[k].get());
    SetIcon(controls_.imgFreccia, pictures.arrow.get());
    SetIcon(controls_.imgOk, pictures.success.get());
    SetIcon(controls_.ImgFail, pictures.failure.get());
    for (const HWND line : controls_.imgLinea) SetBitmap(line, pictures.line.get());
    SetBitmap(controls_.imgSfondo, pictures.banner.get());
    ::SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(pictures.windowLarge.get()));
    ::SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(pictures.windowSmall.get()));
    pictures_ = std::move(pictures);
}

// Every separator line reaches the right edge of the client area.
void ProgressWindow::StretchLines(int clientWidth) const {
    for (int i = 0; i < kLineCount; ++i) {
        if (!controls_.imgLinea[i]) continue;
        const TwipsRect& line = design::imgLinea[i];
        ::SetWindowPos(controls_.imgLinea[i], nullptr, Pixels(line.left), Pixels(line.top),
                       std::max(0, clientWidth - Pixels(line.left)), Pixels(line.height),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND ProgressWindow::LabelControl(WindowLabel label) const {
    switch (label) {
    case WindowLabel::RicercaVersioni: return controls_.lblRicercaVersioni;
    case WindowLabel::OrvhMsi: return controls_.lblOrvhMsi;
    case WindowLabel::OrvhMsp: return controls_.lblOrvhMsp;
    case WindowLabel::AvvioOrvh: return controls_.lblAvvioOrvh;
    case WindowLabel::Attivita: return controls_.lblAttivita;
    }
    return nullptr;
}

void ProgressWindow::SetCaption(std::wstring_view caption) {
    ::SetWindowTextW(window_.get(), std::wstring(caption).c_str());
}

void ProgressWindow::SetLabel(WindowLabel label, std::wstring_view text) {
    const HWND control = LabelControl(label);
    ::SetWindowTextW(control, std::wstring(text).c_str());
    FitLabel(control);
}

// Labels size themselves to their text on one line; their height stays.
void ProgressWindow::FitLabel(HWND control) const {
    std::wstring value(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    value.resize(static_cast<std::size_t>(::GetWindowTextW(control, value.data(), static_cast<int>(value.size()))));
    const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    const HGDIOBJ previous = ::SelectObject(dc.get(), font_.get());
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), value.c_str(), static_cast<int>(value.size()), &extent);
    ::SelectObject(dc.get(), previous);
    // Every label is one line high.
    ::SetWindowPos(control, nullptr, 0, 0, extent.cx, Pixels(design::lblRicercaVersioni.height),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindow::StepSuccessivo() {
    const ArrowChange change = steps_.StepSuccessivo();
    if (change.position) {
        arrowAt_ = change.position;
        ::SetWindowPos(controls_.imgFreccia, nullptr, Pixels(change.position->left), Pixels(change.position->top), 0,
                       0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (change.visible) ::ShowWindow(controls_.imgFreccia, *change.visible ? SW_SHOWNA : SW_HIDE);
}

void ProgressWindow::SetInconStep(bool success) {
    const auto mark = steps_.SetInconStep(success);
    if (!mark) return;
    // The row shows the very picture of the hidden success or failure control.
    const HWND source = mark->picture == StepPicture::Ok ? controls_.imgOk : controls_.ImgFail;
    const auto icon = reinterpret_cast<HICON>(::SendMessageW(source, STM_GETICON, 0, 0));
    SetIcon(controls_.imgStepDone[static_cast<std::size_t>(mark->row)], icon);
}

void ProgressWindow::Show() {
    ::ShowWindow(window_.get(), SW_SHOW);
    ::UpdateWindow(window_.get());
}

LRESULT CALLBACK ProgressWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        self->controls_ = Controls{};
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT ProgressWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        // Query-close: the close button, the system menu's Close and Alt+F4 all arrive as
        // SC_CLOSE and are refused. A plain WM_CLOSE, as the task manager sends it, and
        // shutdown or log-off go ahead, as does the program's own unload (DestroyWindow).
        if ((wParam & 0xFFF0) == SC_CLOSE) return 0;
        break;
    case WM_SIZE:
        StretchLines(LOWORD(lParam));
        return 0;
    case WM_DPICHANGED: {
        // Per-monitor aware, as the manifest declares: moved to a monitor of another DPI,
        // the window is laid out for it in the rectangle Windows suggests.
        Relayout(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, kTextColour);
        ::SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    case WM_SETCURSOR:
        if (Win32MousePointer::IsHourglass()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace orvh
