#include "message_box_reader.h"

#include "window_capture.h"

#include "system/win32_error_win32.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <thread>

namespace orvh::test {

void PrintTo(BoxIcon icon, std::ostream* os) {
    constexpr const char* names[] = {"None", "Stop", "Information", "Warning", "Question"};
    *os << names[static_cast<int>(icon)];
}

namespace {

using namespace std::chrono_literals;

std::wstring Text(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleChildren(HWND parent) {
    std::vector<HWND> children;
    ::EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Mean difference per colour channel of two images of one size.
double Difference(const Image& a, const Image& b) {
    double total = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            total += std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) - static_cast<int>((b.pixels[i] >> shift) & 0xFF));
        }
    }
    return total / (3.0 * static_cast<double>(a.pixels.size()));
}

// The icon's Static control (its id is the system's choice) is read from the screen and
// compared with each system icon drawn on the same background. The box and this reader
// draw the same icon alike; two different icons differ by far more than the tolerance.
BoxIcon ReadIcon(HWND box) {
    const auto children = VisibleChildren(box);
    const auto control = std::find_if(children.begin(), children.end(), [](HWND child) {
        return _wcsicmp(ClassName(child).c_str(), L"Static") == 0 && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    });
    if (control == children.end()) return BoxIcon::None;
    const std::pair<BoxIcon, const wchar_t*> icons[] = {
        {BoxIcon::Stop, IDI_HAND}, {BoxIcon::Information, IDI_ASTERISK}, {BoxIcon::Warning, IDI_EXCLAMATION}, {BoxIcon::Question, IDI_QUESTION}};
    // Until the icon is painted the control shows only its background.
    for (const auto deadline = std::chrono::steady_clock::now() + 3s; std::chrono::steady_clock::now() < deadline;) {
        const Image shown = CaptureClientArea(*control);
        if (shown.pixels.empty()) return BoxIcon::None;
        for (const auto& [icon, id] : icons) {
            if (Difference(shown, DrawIconOn(::LoadIconW(nullptr, id), shown.width, shown.height, shown.pixels.front())) <= 4.0) return icon;
        }
        std::this_thread::sleep_for(20ms);
    }
    return BoxIcon::None;
}

} // namespace

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    std::vector<HWND> windows;
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    std::erase_if(windows, [&](HWND window) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        return owner != processId;
    });
    return windows;
}

std::vector<HWND> MessageBoxes(DWORD processId) {
    std::vector<HWND> boxes = VisibleTopLevelWindows(processId);
    std::erase_if(boxes, [](HWND window) { return ClassName(window) != L"#32770"; });
    return boxes;
}

HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout) {
    for (const auto deadline = std::chrono::steady_clock::now() + timeout;; std::this_thread::sleep_for(20ms)) {
        const auto boxes = MessageBoxes(processId);
        if (!boxes.empty()) return boxes.front();
        if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    }
}

MessageBoxContents ReadMessageBox(HWND box) {
    MessageBoxContents contents{Text(box), {}, {}, ReadIcon(box)};
    if (const HWND text = ::GetDlgItem(box, 0xFFFF)) contents.text = Text(text);
    for (HWND child : VisibleChildren(box)) {
        if (_wcsicmp(ClassName(child).c_str(), L"Button") == 0) contents.buttons.push_back({::GetDlgCtrlID(child), Text(child)});
    }
    return contents;
}

void PressButton(HWND box, int buttonId) {
    if (!::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)))) {
        ThrowLastError(L"PostMessageW");
    }
}

} // namespace orvh::test
