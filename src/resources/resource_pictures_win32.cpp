// OvResDll: bitmaps, icons and cursors as OLE pictures.
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "resources/resource_failures.h"

#include <olectl.h>

namespace orvh {

UniqueComInterface<IDispatch> OvResDll::LoadDllPicture(std::int32_t index, std::int32_t kind,
                                                        std::int32_t size) const {
    const HMODULE module = module_.get();
    // The record's own size: the 20 bytes of 32-bit Windows are 24 in a 64-bit program.
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(PICTDESC);
    UniqueGdiObject bitmap;
    // Icons and cursors alike: DestroyIcon releases both.
    UniqueIcon icon;
    if (const auto id = IntegerResourceId(index)) {
        switch (kind) {
        case kBitmapPicture:
            bitmap.reset(::LoadBitmapW(module, MAKEINTRESOURCEW(*id)));
            description.picType = PICTYPE_BITMAP;
            description.bmp.hbitmap = static_cast<HBITMAP>(bitmap.get());
            break;
        case kIconPicture: {
            const std::wstring name = NumberedResourceName(index);
            icon.reset(static_cast<HICON>(
                ::LoadImageW(module, name.c_str(), IMAGE_ICON, size, size, size == 0 ? LR_DEFAULTSIZE : 0)));
            description.picType = PICTYPE_ICON;
            description.icon.hicon = icon.get();
            break;
        }
        case kCursorPicture:
            icon.reset(::LoadCursorW(module, MAKEINTRESOURCEW(*id)));
            description.picType = PICTYPE_ICON;
            description.icon.hicon = icon.get();
            break;
        default:
            break;
        }
    }
    if (!bitmap && !icon) {
        CurrentError().Set(kResourceNotFoundError, kErrorSourceResources, PictureResourceNotFoundText(index));
        return {};
    }
    IDispatch* picture = nullptr;
    if (FAILED(::OleCreatePictureIndirect(&description, IID_IDispatch, TRUE, reinterpret_cast<void**>(&picture)))) {
        CurrentError().Set(kInvalidPictureError, kErrorSourceResources, InvalidPictureText());
        return {};
    }
    // The picture destroys the handle when it is released.
    bitmap.release();
    icon.release();
    return UniqueComInterface<IDispatch>(picture);
}

} // namespace orvh
