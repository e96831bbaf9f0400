#pragma once
// Reading and answering the message boxes of another process: its visible top-level windows
// of class "#32770", their title, text, buttons and icon.
#include "system/windows_api_win32.h"

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvh::test {

enum class BoxIcon { None, Stop, Information, Warning, Question };
void PrintTo(BoxIcon icon, std::ostream* os);

struct BoxButton {
    int id = 0;
    std::wstring text;
};

struct MessageBoxContents {
    std::wstring title;
    std::wstring text;              // line breaks kept as CR LF
    std::vector<BoxButton> buttons; // the visible buttons, in window order
    BoxIcon icon = BoxIcon::None;
};

// Every visible top-level window of the process, message boxes included.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId);
std::vector<HWND> MessageBoxes(DWORD processId);
// The process's first message box, waiting up to `timeout` for one; nullptr when none came.
HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout);

// Waits a moment for the icon to be painted.
MessageBoxContents ReadMessageBox(HWND box);
// Answers the box as a click on the button does.
void PressButton(HWND box, int buttonId);

} // namespace orvh::test
