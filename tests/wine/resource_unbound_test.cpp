// Every resource operation after DllName was set to a file that cannot be loaded: the
// module handle is zero, and each operation fails as it does for a missing resource.
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "resources_module.h"
#include "test_paths.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <functional>
#include <string>

namespace orvh {
namespace {

struct Outcome {
    bool failed;       // empty, none or false
    std::int32_t recorded;
    std::wstring description;
};

struct UnboundCase {
    const char* name;
    std::function<Outcome(const OvResDll&, const std::wstring& scratch)> call;
    std::int32_t recorded;  // 1: the record is left as it was
    const wchar_t* description;
};

void PrintTo(const UnboundCase& c, std::ostream* os) { *os << c.name; }

class UnboundOperations : public testing::TestWithParam<UnboundCase> {
protected:
    void SetUp() override {
        test::WriteFileBytes(scratch_ / L"not a module.dll", "text, not a program");
        resources_.DllName(test::ResourcesModulePath());
        ASSERT_NE(resources_.ModuleHandle(), nullptr);
        resources_.DllName(scratch_ / L"not a module.dll");
        ASSERT_EQ(resources_.ModuleHandle(), nullptr);
        ASSERT_EQ(resources_.DllName(), L"");
        CurrentError().Set(1, L"before", L"before");
    }
    void TearDown() override { ::PlaySoundW(nullptr, nullptr, 0); }
    test::ScratchFolder scratch_;
    OvResDll resources_;
};

Outcome Result(bool failed) { return {failed, CurrentError().number, CurrentError().description}; }

TEST_P(UnboundOperations, FailWithoutInterruptingTheCaller) {
    const auto& c = GetParam();
    const Outcome outcome = c.call(resources_, scratch_.Path());
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.recorded, c.recorded);
    EXPECT_EQ(outcome.description, c.description);
}

INSTANTIATE_TEST_SUITE_P(
    ZeroModule, UnboundOperations,
    testing::Values(
        UnboundCase{"LoadDllData", [](const OvResDll& r, auto&) { return Result(r.LoadDllData(RM_DATA, L"CUSTOM").empty()); },
                    326, L"Custom resource with Identifier 101 not found."},
        UnboundCase{"LoadDllText", [](const OvResDll& r, auto&) { return Result(r.LoadDllText(RM_TEXT, L"TEXT").empty()); },
                    326, L"Custom resource with Identifier 103 not found."},
        UnboundCase{"SaveDllData",
                    [](const OvResDll& r, const std::wstring& scratch) {
                        const std::wstring target = scratch + L"\\saved.bin";
                        const std::int32_t result = r.SaveDllData(RM_DATA, target, L"CUSTOM", false);
                        const bool written = ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
                        return Result(result == 326 && !written);
                    },
                    326, L"Resource with Identifier 101 not found."},
        UnboundCase{"LoadDllBitmap", [](const OvResDll& r, auto&) { return Result(!r.LoadDllBitmap(RM_BITMAP)); },
                    326, L"Picture resource with Identifier 201 not found."},
        UnboundCase{"LoadDllIcon", [](const OvResDll& r, auto&) { return Result(!r.LoadDllIcon(RM_ICON)); },
                    326, L"Picture resource with Identifier 301 not found."},
        UnboundCase{"LoadDllIcon_sized", [](const OvResDll& r, auto&) { return Result(!r.LoadDllIcon(RM_ICON, 48)); },
                    326, L"Picture resource with Identifier 301 not found."},
        UnboundCase{"LoadDllCursor", [](const OvResDll& r, auto&) { return Result(!r.LoadDllCursor(RM_CURSOR)); },
                    326, L"Picture resource with Identifier 401 not found."},
        UnboundCase{"PlayWave", [](const OvResDll& r, auto&) { return Result(!r.PlayWave(RM_WAVE)); }, 1, L"before"},
        UnboundCase{"GetDllURL", [](const OvResDll& r, auto&) { return Result(r.GetDllURL(RM_DATA, L"CUSTOM").empty()); },
                    1, L"before"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh
