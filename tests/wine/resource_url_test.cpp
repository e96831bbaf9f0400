// The resource class's res-protocol addresses, with the module bound at paths around the
// 256-character limit.
#include "resources/ov_res_dll_win32.h"
#include "resources_module.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace orvh {
namespace {

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

// A copy of the resource module whose full path is `length` characters long.
std::wstring ModuleCopyOfLength(const test::ScratchFolder& scratch, std::size_t length) {
    const std::wstring fileName = L"\\resources_module.dll";
    const std::size_t fixed = scratch.Path().size() + 1 + fileName.size();
    if (fixed >= length) {
        ADD_FAILURE() << "the scratch folder's path is too long for " << length << " characters";
        return {};
    }
    const std::wstring folder = scratch / std::wstring(length - fixed, L'd');
    EXPECT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + fileName;
    EXPECT_TRUE(::CopyFileW(test::ResourcesModulePath().c_str(), path.c_str(), TRUE));
    return path;
}

TEST(GetDllURL, FormsTheAddressUpTo256Characters) {
    const test::ScratchFolder scratch;
    OvResDll resources;
    const std::wstring path = ModuleCopyOfLength(scratch, 256);
    ASSERT_EQ(path.size(), 256u);
    resources.DllName(path);
    ASSERT_NE(resources.ModuleHandle(), nullptr) << Narrow(path);
    ASSERT_EQ(resources.DllName(), path);
    EXPECT_EQ(resources.GetDllURL(RM_DATA, L"CUSTOM"), L"RES://" + path + L"/CUSTOM/101");
}

TEST(GetDllURL, IsEmptyBeyond256Characters) {
    const test::ScratchFolder scratch;
    OvResDll resources;
    const std::wstring path = ModuleCopyOfLength(scratch, 257);
    ASSERT_EQ(path.size(), 257u);
    resources.DllName(path);
    ASSERT_NE(resources.ModuleHandle(), nullptr) << Narrow(path);
    ASSERT_EQ(resources.DllName(), path);
    EXPECT_EQ(resources.GetDllURL(RM_DATA, L"CUSTOM"), L"");
}

struct UrlCase {
    const char* name;
    std::int16_t index;
    const wchar_t* resFormat;
    const wchar_t* ending;
};

void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.name; }

class GetDllURLCases : public testing::TestWithParam<UrlCase> {};

TEST_P(GetDllURLCases, EndsInTypeAndId) {
    const auto& c = GetParam();
    OvResDll resources;
    resources.DllName(test::ResourcesModulePath());
    ASSERT_FALSE(resources.DllName().empty());
    EXPECT_EQ(resources.GetDllURL(c.index, c.resFormat), L"RES://" + test::ResourcesModulePath() + c.ending);
}

INSTANTIATE_TEST_SUITE_P(
    BoundModule, GetDllURLCases,
    testing::Values(UrlCase{"html", 101, L"HTML", L"/HTML/101"},
                    UrlCase{"spaces_trimmed", 101, L"  HTML  ", L"/HTML/101"},
                    UrlCase{"empty_type", 101, L"", L"//101"},
                    UrlCase{"numbered_type", 7, L"#300", L"/#300/7"},
                    // No resource is looked for.
                    UrlCase{"missing_id", RM_MISSING, L"CUSTOM", L"/CUSTOM/999"},
                    UrlCase{"negative_id", -1, L"CUSTOM", L"/CUSTOM/-1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetDllURL, TheTypeIsOptional) {
    OvResDll resources;
    resources.DllName(test::ResourcesModulePath());
    EXPECT_EQ(resources.GetDllURL(RM_DATA), L"RES://" + test::ResourcesModulePath() + L"//101");
}

} // namespace
} // namespace orvh
