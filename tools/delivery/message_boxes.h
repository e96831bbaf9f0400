#pragma once
// Reading and answering the message boxes (class "#32770") of another process.
#include "system/windows_api_win32.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace orvh::test {

struct MessageBoxContents {
    std::wstring title;
    std::wstring text;        // line breaks kept as CR LF
    std::vector<int> buttons; // the visible buttons' ids, in window order
    std::string icon;         // "stop", "information" or "none"
};

inline std::wstring Text(HWND window) {
    wchar_t text[8192] = {};
    ::GetWindowTextW(window, text, 8192);
    return text;
}

inline bool HasClass(HWND window, const wchar_t* name) {
    wchar_t actual[256] = {};
    ::GetClassNameW(window, actual, 256);
    return _wcsicmp(actual, name) == 0;
}

inline BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// Another process's icon handle cannot be read, but its pixels on the screen can: the stop icon
// is mostly red, the information icon mostly blue; unpainted, the control is only grey.
inline std::string ReadIcon(HWND control) {
    RECT area{};
    ::GetWindowRect(control, &area);
    const HDC screen = ::GetDC(nullptr);
    int red = 0;
    int blue = 0;
    for (int attempt = 0; attempt < 150 && red + blue < 20; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        red = blue = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                const COLORREF pixel = ::GetPixel(screen, x, y);
                red += GetRValue(pixel) > GetBValue(pixel) + 64;
                blue += GetBValue(pixel) > GetRValue(pixel) + 64;
            }
        }
    }
    ::ReleaseDC(nullptr, screen);
    return red + blue < 20 ? "none" : red > blue ? "stop" : "information";
}

inline std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    std::vector<HWND> windows;
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    std::erase_if(windows, [&](HWND window) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        return owner != processId;
    });
    return windows;
}

inline bool IsMessageBox(HWND window) { return HasClass(window, L"#32770"); }

inline HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout) {
    for (const auto deadline = std::chrono::steady_clock::now() + timeout;;) {
        const std::vector<HWND> windows = VisibleTopLevelWindows(processId);
        if (const auto box = std::ranges::find_if(windows, IsMessageBox); box != windows.end()) return *box;
        if (std::chrono::steady_clock::now() >= deadline) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Waits a moment for the icon (in a Static whose id is the system's choice) to be painted.
inline MessageBoxContents ReadMessageBox(HWND box) {
    MessageBoxContents contents{Text(box), Text(::GetDlgItem(box, 0xFFFF)), {}, "none"};
    std::vector<HWND> children;
    ::EnumChildWindows(box, Collect, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        if (HasClass(child, L"Button")) contents.buttons.push_back(::GetDlgCtrlID(child));
        if (HasClass(child, L"Static") && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            contents.icon = ReadIcon(child);
        }
    }
    return contents;
}

inline void PressButton(HWND box, int buttonId) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

} // namespace orvh::test
