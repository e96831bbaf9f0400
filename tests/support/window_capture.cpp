#include "window_capture.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <algorithm>

namespace orvh::test {

namespace {

class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {
        if (!dc_) ThrowLastError(L"GetDC");
    }
    ~ScreenDc() { ::ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A top-down 32-bit bitmap selected into a memory context.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), dc_(::CreateCompatibleDC(nullptr)) {
        if (!dc_) ThrowLastError(L"CreateCompatibleDC");
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap_) ThrowLastError(L"CreateDIBSection");
        bits_ = static_cast<std::uint32_t*>(bits);
        previous_ = ::SelectObject(dc_.get(), bitmap_.get());
    }
    ~Canvas() { ::SelectObject(dc_.get(), previous_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_.get(); }
    void Fill(std::uint32_t colour) { std::fill(bits_, bits_ + Count(), colour); }
    Image Pixels() const {
        ::GdiFlush();
        Image image{width_, height_, std::vector<std::uint32_t>(bits_, bits_ + Count())};
        for (auto& pixel : image.pixels) pixel &= 0x00FFFFFF;
        return image;
    }

private:
    std::size_t Count() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }

    int width_;
    int height_;
    UniqueMemoryDc dc_;
    UniqueGdiObject bitmap_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

Image CaptureScreen(const RECT& area) {
    Canvas canvas(area.right - area.left, area.bottom - area.top);
    const ScreenDc screen;
    if (!::BitBlt(canvas.Dc(), 0, 0, area.right - area.left, area.bottom - area.top, screen.get(), area.left, area.top,
                  SRCCOPY)) {
        ThrowLastError(L"BitBlt");
    }
    return canvas.Pixels();
}

} // namespace

Image CaptureWindow(HWND window) {
    RECT area{};
    if (!::GetWindowRect(window, &area)) ThrowLastError(L"GetWindowRect");
    return CaptureScreen(area);
}

Image CaptureClientArea(HWND window) {
    RECT area{};
    if (!::GetClientRect(window, &area)) ThrowLastError(L"GetClientRect");
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return CaptureScreen(area);
}

Image DrawIconOn(HICON icon, int width, int height, std::uint32_t background) {
    Canvas canvas(width, height);
    canvas.Fill(background);
    if (!::DrawIconEx(canvas.Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) ThrowLastError(L"DrawIconEx");
    return canvas.Pixels();
}

} // namespace orvh::test
