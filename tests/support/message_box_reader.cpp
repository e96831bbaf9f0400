#include "message_box_reader.h"

#include "window_capture.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <ostream>
#include <thread>
#include <utility>

namespace orvh::test {

void PrintTo(BoxIcon icon, std::ostream* os) {
    constexpr const char* names[] = {"None", "Stop", "Information", "Warning", "Question"};
    *os << names[static_cast<int>(icon)];
}

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
// The icon is painted right after the box becomes visible.
constexpr auto kIconPaintTimeout = std::chrono::milliseconds(2000);
// Largest mean difference per colour channel still taken as the same icon: the box and
// this reader draw the same system icon alike, while two different ones differ by more.
constexpr double kIconTolerance = 4.0;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

template <typename Visit>
void ForEachTopLevelWindow(Visit visit) {
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            (*reinterpret_cast<Visit*>(context))(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visit));
}

template <typename Visit>
void ForEachChildWindow(HWND parent, Visit visit) {
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM context) -> BOOL {
            (*reinterpret_cast<Visit*>(context))(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visit));
}

bool BelongsTo(HWND window, DWORD processId) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    return owner == processId;
}

bool IsMessageBox(HWND window) { return ClassName(window) == L"#32770"; }

// What the screen shows of the control's client area. The window's own display context
// cannot be read from another process under Wine; the screen's can, and the box is on top.
std::vector<std::uint32_t> CaptureClientArea(HWND control, int, int) { return test::CaptureClientArea(control).pixels; }

std::vector<std::uint32_t> DrawSystemIcon(const wchar_t* iconId, int width, int height, std::uint32_t background) {
    return DrawIconOn(::LoadIconW(nullptr, iconId), width, height, background).pixels;
}

double MeanChannelDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    double total = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            total += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
        }
    }
    return total / (3.0 * static_cast<double>(a.size()));
}

// The static control that shows the box's icon, found by its style: its control id is
// the system's choice (1088 under Wine).
HWND IconControl(HWND box) {
    HWND found = nullptr;
    ForEachChildWindow(box, [&](HWND child) {
        if (!found && ::IsWindowVisible(child) && _wcsicmp(ClassName(child).c_str(), L"Static") == 0 &&
            (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            found = child;
        }
    });
    return found;
}

// The system icon whose drawing matches the control's pixels; nullopt while the control
// shows only its background (not painted yet, or no icon).
std::optional<BoxIcon> MatchIcon(HWND control) {
    RECT client{};
    if (!::GetClientRect(control, &client) || client.right <= 0 || client.bottom <= 0) return BoxIcon::None;
    const auto captured = CaptureClientArea(control, client.right, client.bottom);
    const std::uint32_t background = captured.front();
    if (std::all_of(captured.begin(), captured.end(), [&](std::uint32_t pixel) { return pixel == background; })) {
        return std::nullopt;
    }
    const std::pair<BoxIcon, const wchar_t*> candidates[] = {
        {BoxIcon::Stop, IDI_HAND}, {BoxIcon::Information, IDI_ASTERISK},
        {BoxIcon::Warning, IDI_EXCLAMATION}, {BoxIcon::Question, IDI_QUESTION}};
    BoxIcon best = BoxIcon::None;
    double bestDifference = std::numeric_limits<double>::max();
    for (const auto& [icon, id] : candidates) {
        const double difference =
            MeanChannelDifference(captured, DrawSystemIcon(id, client.right, client.bottom, background));
        if (difference < bestDifference) {
            best = icon;
            bestDifference = difference;
        }
    }
    return bestDifference <= kIconTolerance ? best : BoxIcon::None;
}

BoxIcon ReadIcon(HWND box) {
    const HWND control = IconControl(box);
    if (!control) return BoxIcon::None;
    const auto deadline = std::chrono::steady_clock::now() + kIconPaintTimeout;
    for (;;) {
        if (const auto icon = MatchIcon(control)) return *icon;
        if (std::chrono::steady_clock::now() >= deadline) return BoxIcon::None;
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    std::vector<HWND> windows;
    ForEachTopLevelWindow([&](HWND window) {
        if (::IsWindowVisible(window) && BelongsTo(window, processId)) windows.push_back(window);
    });
    return windows;
}

std::vector<HWND> MessageBoxes(DWORD processId) {
    std::vector<HWND> boxes = VisibleTopLevelWindows(processId);
    std::erase_if(boxes, [](HWND window) { return !IsMessageBox(window); });
    return boxes;
}

HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout, const std::vector<HWND>& ignoring) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (HWND box : MessageBoxes(processId)) {
            if (std::find(ignoring.begin(), ignoring.end(), box) == ignoring.end()) return box;
        }
        if (std::chrono::steady_clock::now() >= deadline) return nullptr;
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool NoMessageBoxWithin(DWORD processId, std::chrono::milliseconds period, const std::vector<HWND>& ignoring) {
    return WaitForMessageBox(processId, period, ignoring) == nullptr;
}

std::vector<HWND> WindowsShownUntilExit(HANDLE process, DWORD processId, std::chrono::milliseconds timeout) {
    std::vector<HWND> shown;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (HWND window : VisibleTopLevelWindows(processId)) {
            if (std::find(shown.begin(), shown.end(), window) == shown.end()) shown.push_back(window);
        }
        if (::WaitForSingleObject(process, 0) != WAIT_TIMEOUT || std::chrono::steady_clock::now() >= deadline) {
            return shown;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

MessageBoxContents ReadMessageBox(HWND box) {
    MessageBoxContents contents;
    contents.title = WindowText(box);
    if (const HWND text = ::GetDlgItem(box, 0xFFFF)) contents.text = WindowText(text);
    ForEachChildWindow(box, [&](HWND child) {
        if (::IsWindowVisible(child) && _wcsicmp(ClassName(child).c_str(), L"Button") == 0) {
            contents.buttons.push_back({::GetDlgCtrlID(child), WindowText(child)});
        }
    });
    contents.icon = ReadIcon(box);
    return contents;
}

void PressButton(HWND box, int buttonId) {
    if (!::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                        reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)))) {
        ThrowLastError(L"PostMessageW");
    }
}

} // namespace orvh::test
