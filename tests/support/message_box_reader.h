#pragma once
// Reading and answering the message boxes of another process: the top-level windows of
// class "#32770" that the process shows, their title, text, buttons and icon.
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
    std::wstring text; // line breaks kept as CR LF
    std::vector<BoxButton> buttons; // the visible buttons, in window order
    BoxIcon icon = BoxIcon::None;
};

// Every visible top-level window of the process, message boxes included.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId);

// The visible message boxes of the process.
std::vector<HWND> MessageBoxes(DWORD processId);

// The first visible message box of the process that is not in `ignoring`, waiting up to
// `timeout` for one to appear; nullptr when none did.
HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout, const std::vector<HWND>& ignoring = {});

// True when the process shows no message box outside `ignoring` during `period`.
bool NoMessageBoxWithin(DWORD processId, std::chrono::milliseconds period, const std::vector<HWND>& ignoring = {});

// Every visible top-level window the process shows from now until it ends, watched for
// up to `timeout`.
std::vector<HWND> WindowsShownUntilExit(HANDLE process, DWORD processId, std::chrono::milliseconds timeout);

MessageBoxContents ReadMessageBox(HWND box);

// Answers the box as a click on the button with `buttonId` does.
void PressButton(HWND box, int buttonId);

} // namespace orvh::test
