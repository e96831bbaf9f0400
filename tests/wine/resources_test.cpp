// The resource class against real modules: OrvhUpdate.exe's string table, and the
// operations the run itself does not call over the test module tests/resources_module.
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "test_paths.h"
#include "test_text.h"

#include <gtest/gtest.h>
#include <mmsystem.h>
#include <olectl.h>

#include <functional>
#include <optional>
#include <stdexcept>

namespace orvh {
namespace {

using test::Narrow;

// The ids resources_module.rc gives its resources.
enum : std::int16_t { kData = 101, kText = 103, kEmpty = 104, kBitmap = 201, kIcon = 301, kCursor = 401, kWave = 501 };
constexpr std::int16_t kMissing = 999;

TEST(StringTable, OrvhUpdateHoldsExactlyTheTextsOfItsSource) {
    const UniqueModule module(::LoadLibraryExW(test::OrvhUpdateExe().c_str(), nullptr,
                                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module);
    for (std::int32_t id = 0; id <= 0xFFFF; ++id) {
        std::optional<std::wstring> expected;
        try {
            expected = test::StringText(id);
        } catch (const std::out_of_range&) {
        }
        const auto actual = LoadModuleString(module.get(), id);
        ASSERT_EQ(actual.has_value(), expected.has_value()) << "id " << id;
        if (actual) EXPECT_EQ(Narrow(*actual), Narrow(*expected)) << "id " << id;
    }
}

std::string Bytes(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A picture as "type T, W x H" pixels at the screen's resolution.
std::string Describe(const UniqueComInterface<IDispatch>& dispatch) {
    IPicture* picture = nullptr;
    if (!dispatch || FAILED(dispatch.get()->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)))) {
        return "(none)";
    }
    const UniqueComInterface<IPicture> owner(picture);
    SHORT type = 0;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Type(&type);
    picture->get_Width(&width);
    picture->get_Height(&height);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return "type " + std::to_string(type) + ", " + std::to_string(::MulDiv(width, dpi, 2540)) + " x " +
           std::to_string(::MulDiv(height, dpi, 2540));
}

std::string Picture(int type, int width, int height) {
    return "type " + std::to_string(type) + ", " + std::to_string(width) + " x " + std::to_string(height);
}

TEST(ResourceModule, DataTextPicturesSoundsAndAddresses) {
    const test::ScratchFolder scratch;
    const std::wstring path = test::TestProgramFolder() + L"\\resources_module.dll";
    test::WriteFileBytes(scratch / L"not a module.dll", "text");
    OvResDll bound;
    OvResDll unbound;
    bound.DllName(path);
    unbound.DllName(scratch / L"not a module.dll");
    ASSERT_EQ(unbound.DllName(), L"");
    ASSERT_EQ(CurrentError().number, 48);
    const std::string custom("Orvh\0\x01\x02\xfe\xff custom data", 21);
    const std::wstring saved = scratch / L"saved.bin";
    struct Row {
        const OvResDll& resources;
        std::function<std::string(const OvResDll&)> read;
        std::string expected;
        std::int32_t recorded; // 1: the record is left as it was
    };
    const Row rows[] = {
        {bound, [](auto& r) { return Bytes(r.LoadDllData(kData, L"CUSTOM")); }, custom, 1},
        {bound, [](auto& r) { return Narrow(r.LoadDllText(kText, L"TEXT")); }, "Versione 1.2\r\nPerch\u00e9 costa 5 \u20ac", 1},
        {bound, [](auto& r) { return Bytes(r.LoadDllData(kEmpty, L"CUSTOM")); }, "", 1},
        {bound, [](auto& r) { return Bytes(r.LoadDllData(kMissing, L"CUSTOM")); }, "", 326},
        {bound, [&](auto& r) { return std::to_string(r.SaveDllData(kData, saved, L"CUSTOM", false)) + test::ReadFileBytes(saved); },
         "0" + custom, 1},
        {bound, [&](auto& r) { return std::to_string(r.SaveDllData(kData, scratch / L"none\\x", L"CUSTOM", false)); },
         std::to_string(ERROR_PATH_NOT_FOUND), ERROR_PATH_NOT_FOUND},
        {bound, [](auto& r) { return Describe(r.LoadDllBitmap(kBitmap)); }, Picture(PICTYPE_BITMAP, 7, 5), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllIcon(kIcon, 48)); }, Picture(PICTYPE_ICON, 48, 48), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllIcon(kIcon)); },
         Picture(PICTYPE_ICON, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllCursor(kCursor)); },
         Picture(PICTYPE_ICON, ::GetSystemMetrics(SM_CXCURSOR), ::GetSystemMetrics(SM_CYCURSOR)), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllIcon(kMissing)); }, "(none)", 326},
        {bound, [](auto& r) { return std::to_string(r.PlayWave(kWave)); }, "1", 1},
        {bound, [](auto& r) { return std::to_string(r.PlayWave(kData)); }, "0", 1},
        {bound, [](auto& r) { return Narrow(r.GetDllURL(kData, L"CUSTOM")); }, "RES://" + Narrow(path) + "/CUSTOM/101", 1},
        {unbound, [](auto& r) { return Bytes(r.LoadDllData(kData, L"CUSTOM")); }, "", 326},
        {unbound, [](auto& r) { return Describe(r.LoadDllBitmap(kBitmap)); }, "(none)", 326},
        {unbound, [](auto& r) { return std::to_string(r.PlayWave(kWave)); }, "0", 1},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CurrentError().Set(1, L"before", L"before");
        EXPECT_EQ(rows[i].read(rows[i].resources), rows[i].expected) << "row " << i;
        EXPECT_EQ(CurrentError().number, rows[i].recorded) << "row " << i;
    }
    // The sound plays from the module's memory: it is stopped before the module goes.
    ::PlaySoundW(nullptr, nullptr, 0);
}

} // namespace
} // namespace orvh
