#include "ui/progress_pictures_win32.h"

#include "resource_ids.h"
#include "system/win32_error_win32.h"

namespace orvh {

namespace {

UniqueIcon LoadIconPicture(HMODULE module, int id, int size) {
    UniqueIcon icon(static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
    if (!icon) ThrowLastError(L"LoadImageW");
    return icon;
}

UniqueGdiObject LoadBitmapPicture(HMODULE module, int id) {
    UniqueGdiObject bitmap(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    if (!bitmap) ThrowLastError(L"LoadImageW");
    return bitmap;
}

// A DC's selection that is put back when the object goes.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selection() { ::SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The bitmap resampled once to the size its control shows it: a static control shrinks
// a bitmap by dropping pixels, which draws stray lines across a smooth picture.
UniqueGdiObject ScaledBitmap(HGDIOBJ source, int width, int height) {
    BITMAP size{};
    if (!::GetObjectW(source, sizeof size, &size)) ThrowLastError(L"GetObjectW");
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject scaled(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!scaled) ThrowLastError(L"CreateDIBSection");
    const UniqueMemoryDc from(::CreateCompatibleDC(nullptr));
    const UniqueMemoryDc to(::CreateCompatibleDC(nullptr));
    if (!from || !to) ThrowLastError(L"CreateCompatibleDC");
    const Selection fromSelection(from.get(), source);
    const Selection toSelection(to.get(), scaled.get());
    ::SetStretchBltMode(to.get(), HALFTONE);
    ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
    if (!::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY)) {
        ThrowLastError(L"StretchBlt");
    }
    return scaled;
}

} // namespace

ProgressPictures LoadProgressPictures(HMODULE module, int dpi) {
    const int stepSize = TwipsToPixels(design::imgStep[0].width, dpi);
    const int resultSize = TwipsToPixels(design::imgOk.width, dpi);
    ProgressPictures pictures;
    const UniqueGdiObject banner = LoadBitmapPicture(module, IDB_BANNER);
    pictures.banner = ScaledBitmap(banner.get(), TwipsToPixels(design::imgSfondo.width, dpi),
                                   TwipsToPixels(design::imgSfondo.height, dpi));
    const int stepIds[kStepCount] = {IDI_STEP_SEARCH, IDI_STEP_PACKAGE, IDI_STEP_PATCH, IDI_STEP_START};
    for (int k = 0; k < kStepCount; ++k) pictures.steps[k] = LoadIconPicture(module, stepIds[k], stepSize);
    pictures.success = LoadIconPicture(module, IDI_SUCCESS, resultSize);
    pictures.failure = LoadIconPicture(module, IDI_FAILURE, resultSize);
    pictures.arrow = LoadIconPicture(module, IDI_ARROW, TwipsToPixels(design::imgFreccia.width, dpi));
    pictures.line = LoadBitmapPicture(module, IDB_LINE);
    pictures.windowLarge = LoadIconPicture(module, IDI_PROGRAM, ::GetSystemMetrics(SM_CXICON));
    pictures.windowSmall = LoadIconPicture(module, IDI_PROGRAM, ::GetSystemMetrics(SM_CXSMICON));
    return pictures;
}

} // namespace orvh
