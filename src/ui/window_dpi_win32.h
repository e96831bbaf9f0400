#pragma once
// The dots per inch a window is shown at.
#include "system/windows_api_win32.h"

namespace orvh {

// The window's own DPI where the system has per-window DPI (Windows 10 1607 and later),
// else the display's.
int WindowDpi(HWND window);

// The window size whose client area is `width` by `height` pixels, for a window of that
// style shown at `dpi` (its frame is drawn for that DPI where the system can tell, Windows 10
// 1607 and later; for the system's DPI otherwise).
SIZE FrameSize(int width, int height, DWORD style, int dpi);

} // namespace orvh
