#pragma once
// The dots per inch a window is shown at.
#include "system/windows_api_win32.h"

namespace orvh {

// The window's own DPI where the system has per-window DPI (Windows 10 1607 and later),
// else the display's.
int WindowDpi(HWND window);

} // namespace orvh
