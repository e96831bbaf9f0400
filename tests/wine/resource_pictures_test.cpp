// The resource class's pictures: bitmaps, icons and cursors of the test resource module
// as OLE pictures, seen through their IPicture interface.
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "resources_module.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <functional>
#include <string>

namespace orvh {
namespace {

using Picture = UniqueComInterface<IDispatch>;
using Loader = std::function<Picture(const OvResDll&)>;

UniqueComInterface<IPicture> AsPicture(const Picture& dispatch) {
    IPicture* picture = nullptr;
    if (FAILED(dispatch.get()->QueryInterface(__uuidof(IPicture), reinterpret_cast<void**>(&picture)))) return {};
    return UniqueComInterface<IPicture>(picture);
}

// OLE pictures measure in hundredths of a millimetre at the screen's resolution.
int ScreenDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

int Pixels(OLE_XSIZE_HIMETRIC himetric) { return ::MulDiv(himetric, ScreenDpi(), 2540); }

// The picture's handle as a Windows handle (OLE hands out its low 32 bits).
HANDLE HandleOf(IPicture* picture) {
    OLE_HANDLE handle = 0;
    EXPECT_EQ(picture->get_Handle(&handle), S_OK);
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

bool IconAlive(HANDLE handle) {
    ICONINFO info{};
    if (!::GetIconInfo(static_cast<HICON>(handle), &info)) return false;
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return true;
}

class ResourcePictures : public testing::Test {
protected:
    void SetUp() override {
        resources_.DllName(test::ResourcesModulePath());
        ASSERT_NE(resources_.ModuleHandle(), nullptr);
        CurrentError().Set(1, L"before", L"before");
    }
    OvResDll resources_;
};

// --- Pictures that are found ---

struct FoundCase {
    const char* name;
    Loader load;
    SHORT type;
    // Expected size in pixels; 0 takes the system's icon or cursor size.
    int width;
    int height;
    int systemWidth;
    int systemHeight;
};

void PrintTo(const FoundCase& c, std::ostream* os) { *os << c.name; }

class FoundPictures : public ResourcePictures, public testing::WithParamInterface<FoundCase> {};

TEST_P(FoundPictures, HaveTheirTypeAndSize) {
    const auto& c = GetParam();
    const Picture dispatch = c.load(resources_);
    ASSERT_TRUE(dispatch);
    const auto picture = AsPicture(dispatch);
    ASSERT_TRUE(picture);
    SHORT type = 0;
    ASSERT_EQ(picture.get()->get_Type(&type), S_OK);
    EXPECT_EQ(type, c.type);
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    ASSERT_EQ(picture.get()->get_Width(&width), S_OK);
    ASSERT_EQ(picture.get()->get_Height(&height), S_OK);
    EXPECT_EQ(Pixels(width), c.width != 0 ? c.width : ::GetSystemMetrics(c.systemWidth));
    EXPECT_EQ(Pixels(height), c.height != 0 ? c.height : ::GetSystemMetrics(c.systemHeight));
    EXPECT_EQ(CurrentError().number, 1);
}

using K = OvResDll::PictureKind;

INSTANTIATE_TEST_SUITE_P(
    Module, FoundPictures,
    testing::Values(
        FoundCase{"bitmap", [](const OvResDll& r) { return r.LoadDllPicture(RM_BITMAP, K::kBitmapPicture, 0); },
                  PICTYPE_BITMAP, 7, 5, 0, 0},
        // The size is not used for bitmaps.
        FoundCase{"bitmap_size_ignored",
                  [](const OvResDll& r) { return r.LoadDllPicture(RM_BITMAP, K::kBitmapPicture, 48); },
                  PICTYPE_BITMAP, 7, 5, 0, 0},
        FoundCase{"bitmap_operation", [](const OvResDll& r) { return r.LoadDllBitmap(RM_BITMAP); }, PICTYPE_BITMAP, 7,
                  5, 0, 0},
        FoundCase{"icon_default_size", [](const OvResDll& r) { return r.LoadDllPicture(RM_ICON, K::kIconPicture, 0); },
                  PICTYPE_ICON, 0, 0, SM_CXICON, SM_CYICON},
        FoundCase{"icon_16", [](const OvResDll& r) { return r.LoadDllPicture(RM_ICON, K::kIconPicture, 16); },
                  PICTYPE_ICON, 16, 16, 0, 0},
        FoundCase{"icon_48", [](const OvResDll& r) { return r.LoadDllPicture(RM_ICON, K::kIconPicture, 48); },
                  PICTYPE_ICON, 48, 48, 0, 0},
        // A size the icon does not hold: the nearest image scaled to it.
        FoundCase{"icon_24_scaled", [](const OvResDll& r) { return r.LoadDllPicture(RM_ICON, K::kIconPicture, 24); },
                  PICTYPE_ICON, 24, 24, 0, 0},
        FoundCase{"icon_operation_default", [](const OvResDll& r) { return r.LoadDllIcon(RM_ICON); }, PICTYPE_ICON, 0,
                  0, SM_CXICON, SM_CYICON},
        FoundCase{"icon_operation_48", [](const OvResDll& r) { return r.LoadDllIcon(RM_ICON, 48); }, PICTYPE_ICON, 48,
                  48, 0, 0},
        FoundCase{"cursor", [](const OvResDll& r) { return r.LoadDllPicture(RM_CURSOR, K::kCursorPicture, 0); },
                  PICTYPE_ICON, 0, 0, SM_CXCURSOR, SM_CYCURSOR},
        FoundCase{"cursor_operation", [](const OvResDll& r) { return r.LoadDllCursor(RM_CURSOR); }, PICTYPE_ICON, 0,
                  0, SM_CXCURSOR, SM_CYCURSOR}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Pictures own their handle ---

TEST_F(ResourcePictures, ABitmapIsDestroyedWithItsPicture) {
    Picture dispatch = resources_.LoadDllBitmap(RM_BITMAP);
    ASSERT_TRUE(dispatch);
    const HANDLE bitmap = HandleOf(AsPicture(dispatch).get());
    EXPECT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    dispatch.reset();
    EXPECT_EQ(::GetObjectType(bitmap), 0u);
}

TEST_F(ResourcePictures, AnIconIsDestroyedWithItsPicture) {
    Picture dispatch = resources_.LoadDllIcon(RM_ICON, 48);
    ASSERT_TRUE(dispatch);
    const HANDLE icon = HandleOf(AsPicture(dispatch).get());
    EXPECT_TRUE(IconAlive(icon));
    dispatch.reset();
    EXPECT_FALSE(IconAlive(icon));
}

// --- Pictures that are not found ---

struct MissingCase {
    const char* name;
    Loader load;
    const wchar_t* recorded;
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class MissingPictures : public ResourcePictures, public testing::WithParamInterface<MissingCase> {};

TEST_P(MissingPictures, AreNoneAndRecordError326) {
    const auto& c = GetParam();
    EXPECT_FALSE(c.load(resources_));
    EXPECT_EQ(CurrentError().number, 326);
    EXPECT_EQ(CurrentError().description, c.recorded);
}

INSTANTIATE_TEST_SUITE_P(
    Module, MissingPictures,
    testing::Values(
        MissingCase{"bitmap", [](const OvResDll& r) { return r.LoadDllBitmap(RM_MISSING); },
                    L"Picture resource with Identifier 999 not found."},
        MissingCase{"icon", [](const OvResDll& r) { return r.LoadDllIcon(RM_MISSING); },
                    L"Picture resource with Identifier 999 not found."},
        MissingCase{"icon_sized", [](const OvResDll& r) { return r.LoadDllIcon(RM_MISSING, 48); },
                    L"Picture resource with Identifier 999 not found."},
        MissingCase{"cursor", [](const OvResDll& r) { return r.LoadDllCursor(RM_MISSING); },
                    L"Picture resource with Identifier 999 not found."},
        // Each kind looks only at its own resource type.
        MissingCase{"bitmap_as_icon", [](const OvResDll& r) { return r.LoadDllIcon(RM_BITMAP); },
                    L"Picture resource with Identifier 201 not found."},
        MissingCase{"icon_as_bitmap", [](const OvResDll& r) { return r.LoadDllBitmap(RM_ICON); },
                    L"Picture resource with Identifier 301 not found."},
        MissingCase{"icon_as_cursor", [](const OvResDll& r) { return r.LoadDllCursor(RM_ICON); },
                    L"Picture resource with Identifier 301 not found."},
        MissingCase{"data_as_bitmap", [](const OvResDll& r) { return r.LoadDllBitmap(RM_DATA); },
                    L"Picture resource with Identifier 101 not found."},
        // Kinds other than 0, 1 and 2 load nothing.
        MissingCase{"unknown_kind", [](const OvResDll& r) { return r.LoadDllPicture(RM_BITMAP, 3, 0); },
                    L"Picture resource with Identifier 201 not found."},
        MissingCase{"negative_kind", [](const OvResDll& r) { return r.LoadDllPicture(RM_ICON, -1, 0); },
                    L"Picture resource with Identifier 301 not found."},
        MissingCase{"id_zero", [](const OvResDll& r) { return r.LoadDllBitmap(0); },
                    L"Picture resource with Identifier 0 not found."},
        MissingCase{"icon_id_beyond_16_bits", [](const OvResDll& r) { return r.LoadDllIcon(0x10000 + RM_ICON); },
                    L"Picture resource with Identifier 65837 not found."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh
