#include "window_capture.h"

#include "system/win32_error_win32.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <stdexcept>

namespace orvh::test {
namespace {

// A 32-bit top-down bitmap of the size, painted by `paint(bitmapDc, screenDc)`, read back.
template <typename Paint>
Image Painted(int width, int height, Paint paint) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) ThrowLastError(L"CreateDIBSection");
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    paint(memory, screen);
    ::GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    Image image{width, height, {first, first + static_cast<std::size_t>(width) * height}};
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    for (auto& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
}

// The window's own display context cannot be read from another process under Wine; the
// screen's can.
Image CaptureScreen(const RECT& area) {
    return Painted(area.right - area.left, area.bottom - area.top, [&](HDC memory, HDC screen) {
        ::BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left, area.top, SRCCOPY);
    });
}

void Check(HRESULT result) {
    if (FAILED(result)) throw std::runtime_error("WritePng: HRESULT " + std::to_string(result));
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
    return Painted(width, height, [&](HDC memory, HDC) {
        const RECT all{0, 0, width, height};
        const HBRUSH brush = ::CreateSolidBrush(RGB(background >> 16, (background >> 8) & 0xFF, background & 0xFF));
        ::FillRect(memory, &all, brush);
        ::DeleteObject(brush);
        if (!::DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) ThrowLastError(L"DrawIconEx");
    });
}

void WritePng(const std::wstring& path, const Image& image) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    Microsoft::WRL::ComPtr<IWICStream> stream;
    Microsoft::WRL::ComPtr<IWICBitmapEncoder> encoder;
    Microsoft::WRL::ComPtr<IWICBitmapFrameEncode> frame;
    Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.GetAddressOf())));
    Check(factory->CreateStream(stream.GetAddressOf()));
    Check(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
    Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf()));
    Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
    Check(encoder->CreateNewFrame(frame.GetAddressOf(), nullptr));
    Check(frame->Initialize(nullptr));
    Check(frame->SetSize(image.width, image.height));
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    Check(frame->SetPixelFormat(&format));
    if (format != GUID_WICPixelFormat32bppBGRA) throw std::runtime_error("WritePng: no 32-bit BGRA PNG encoder");
    std::vector<std::uint32_t> opaque(image.pixels);
    for (auto& pixel : opaque) pixel |= 0xFF000000;
    Check(frame->WritePixels(image.height, image.width * 4, static_cast<UINT>(opaque.size() * 4),
                             reinterpret_cast<BYTE*>(opaque.data())));
    Check(frame->Commit());
    Check(encoder->Commit());
}

} // namespace orvh::test
