#pragma once
// What the screen shows of a window, and how an icon looks drawn on a given background,
// as pixels to compare or to save.
#include "png_writer.h"
#include "system/windows_api_win32.h"

namespace orvh::test {

// The window's whole frame, read from the screen (the window must be shown and on top).
Image CaptureWindow(HWND window);
// The window's client area, read from the screen.
Image CaptureClientArea(HWND window);
// The icon drawn at width x height over `background` (0x00RRGGBB).
Image DrawIconOn(HICON icon, int width, int height, std::uint32_t background);

} // namespace orvh::test
