#pragma once
// What the screen shows of a window and how an icon looks drawn on a given background, as
// pixels to compare or to save as a PNG file.
#include "system/windows_api_win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvh::test {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The window's whole frame, read from the screen (the window must be shown and on top).
Image CaptureWindow(HWND window);
Image CaptureClientArea(HWND window);
// The icon drawn at width x height over `background` (0x00RRGGBB).
Image DrawIconOn(HICON icon, int width, int height, std::uint32_t background);

void WritePng(const std::wstring& path, const Image& image);

} // namespace orvh::test
