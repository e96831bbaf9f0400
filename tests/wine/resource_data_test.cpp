// The resource class's data and text resources, and saving data to a file, against the
// test resource module.
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "resources_module.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvh {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

Bytes FileBytes(const std::wstring& path) {
    const std::string bytes = test::ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A successful operation leaves the record as it was.
void MarkErrorRecord() { CurrentError().Set(1, L"before", L"before"); }

void ExpectErrorRecordUntouched() {
    EXPECT_EQ(CurrentError().number, 1);
    EXPECT_EQ(CurrentError().description, L"before");
}

class ResourceData : public testing::Test {
protected:
    void SetUp() override {
        resources_.DllName(test::ResourcesModulePath());
        ASSERT_NE(resources_.ModuleHandle(), nullptr);
        MarkErrorRecord();
    }
    OvResDll resources_;
};

// --- LoadDllData ---

struct DataCase {
    const char* name;
    std::int32_t index;
    const wchar_t* resFormat;
    const Bytes* expected;           // nullptr: not found
    const wchar_t* notFoundText;     // the description recorded when not found
};

void PrintTo(const DataCase& c, std::ostream* os) { *os << c.name; }

class LoadDllDataCases : public ResourceData, public testing::WithParamInterface<DataCase> {};

TEST_P(LoadDllDataCases, ReturnsTheBytesOrRecordsError326) {
    const auto& c = GetParam();
    const Bytes data = resources_.LoadDllData(c.index, c.resFormat);
    if (c.expected != nullptr) {
        EXPECT_EQ(data, *c.expected);
        ExpectErrorRecordUntouched();
    } else {
        EXPECT_TRUE(data.empty());
        EXPECT_EQ(CurrentError().number, 326);
        EXPECT_EQ(CurrentError().description, c.notFoundText);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Module, LoadDllDataCases,
    testing::Values(
        DataCase{"type_name", RM_DATA, L"CUSTOM", &test::CustomData(), nullptr},
        // The system matches type names without regard to letter case.
        DataCase{"type_name_lower_case", RM_DATA, L"custom", &test::CustomData(), nullptr},
        DataCase{"numbered_type", RM_DATA, L"#300", &test::NumberedTypeData(), nullptr},
        DataCase{"text", RM_TEXT, L"TEXT", &test::TextData(), nullptr},
        DataCase{"missing_id", RM_MISSING, L"CUSTOM", nullptr, L"Custom resource with Identifier 999 not found."},
        DataCase{"other_type", RM_DATA, L"TEXT", nullptr, L"Custom resource with Identifier 101 not found."},
        DataCase{"missing_numbered_type", RM_DATA, L"#301", nullptr, L"Custom resource with Identifier 101 not found."},
        DataCase{"no_type", RM_DATA, L"", nullptr, L"Custom resource with Identifier 101 not found."},
        // Only the address trims the type; the system looks for the name as given.
        DataCase{"spaced_type", RM_DATA, L" CUSTOM ", nullptr, L"Custom resource with Identifier 101 not found."},
        DataCase{"id_zero", 0, L"CUSTOM", nullptr, L"Custom resource with Identifier 0 not found."},
        // Not read as its low 16 bits (101).
        DataCase{"id_beyond_16_bits", 0x10000 + RM_DATA, L"CUSTOM", nullptr,
                 L"Custom resource with Identifier 65637 not found."},
        DataCase{"negative_id", -RM_DATA, L"CUSTOM", nullptr, L"Custom resource with Identifier -101 not found."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResourceData, TheTypeIsOptional) {
    EXPECT_TRUE(resources_.LoadDllData(RM_DATA).empty());
    EXPECT_EQ(CurrentError().number, 326);
    EXPECT_TRUE(resources_.LoadDllText(RM_DATA).empty());
    EXPECT_EQ(CurrentError().number, 326);
}

TEST_F(ResourceData, AnEmptyResourceGivesNoBytesAndNoError) {
    EXPECT_TRUE(resources_.LoadDllData(RM_EMPTY_DATA, L"CUSTOM").empty());
    ExpectErrorRecordUntouched();
    EXPECT_EQ(resources_.LoadDllText(RM_EMPTY_DATA, L"CUSTOM"), L"");
    ExpectErrorRecordUntouched();
}

// --- LoadDllText ---

TEST_F(ResourceData, TextIsReadInTheAnsiCodePage) {
    // Expectations for the Western European code page, the one of Italian Windows and of
    // the test prefix; 0x80 is the euro sign there (not U+0080 as in Latin-1).
    ASSERT_EQ(::GetACP(), 1252u) << "the expected texts below are those of code page 1252";
    EXPECT_EQ(resources_.LoadDllText(RM_TEXT, L"TEXT"), L"Versione 1.2\r\nPerch\u00e9 costa 5 \u20ac");
    // Every byte becomes one character, a NUL included.
    EXPECT_EQ(resources_.LoadDllText(RM_DATA, L"CUSTOM"),
              std::wstring(L"Orvh\0\x01\x02\u00fe\u00ff custom data", 21));
    ExpectErrorRecordUntouched();
}

TEST_F(ResourceData, MissingTextIsEmptyAndRecordsError326) {
    EXPECT_EQ(resources_.LoadDllText(RM_MISSING, L"TEXT"), L"");
    EXPECT_EQ(CurrentError().number, 326);
    EXPECT_EQ(CurrentError().description, L"Custom resource with Identifier 999 not found.");
    // The 16-bit id keeps its sign when it is handed on.
    EXPECT_EQ(resources_.LoadDllText(-1, L"TEXT"), L"");
    EXPECT_EQ(CurrentError().description, L"Custom resource with Identifier -1 not found.");
}

// --- SaveDllData ---

struct SaveCase {
    const char* name;
    const char* existing;          // content of the target before the call; nullptr: no file
    std::int16_t index;
    const wchar_t* resFormat;
    bool overwrite;
    std::int32_t result;
    std::optional<Bytes> after;    // content of the target after the call; nullopt: no file
    const wchar_t* recorded;       // description recorded; nullptr: record untouched
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class SaveDllDataCases : public ResourceData, public testing::WithParamInterface<SaveCase> {};

TEST_P(SaveDllDataCases, WritesKeepsOrReportsTheError) {
    const auto& c = GetParam();
    const test::ScratchFolder scratch;
    const std::wstring target = scratch / L"saved.bin";
    if (c.existing != nullptr) test::WriteFileBytes(target, c.existing);

    EXPECT_EQ(resources_.SaveDllData(c.index, target, c.resFormat, c.overwrite), c.result);

    ASSERT_EQ(Exists(target), c.after.has_value());
    if (c.after) EXPECT_EQ(FileBytes(target), *c.after);
    if (c.recorded == nullptr) {
        ExpectErrorRecordUntouched();
    } else {
        EXPECT_EQ(CurrentError().number, c.result);
        EXPECT_EQ(CurrentError().description, c.recorded);
    }
}

const Bytes kPrevious = {'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'};
// Longer than every resource, so that a tail left behind would show.
constexpr const char* kLongPrevious = "previous content, longer than the resource's bytes";

INSTANTIATE_TEST_SUITE_P(
    Module, SaveDllDataCases,
    testing::Values(
        SaveCase{"new_file", nullptr, RM_DATA, L"CUSTOM", false, 0, test::CustomData(), nullptr},
        SaveCase{"numbered_type", nullptr, RM_DATA, L"#300", false, 0, test::NumberedTypeData(), nullptr},
        SaveCase{"existing_kept", "previous", RM_DATA, L"CUSTOM", false, 0, kPrevious, nullptr},
        // Kept before the resource is even looked for.
        SaveCase{"existing_kept_missing_resource", "previous", RM_MISSING, L"CUSTOM", false, 0, kPrevious, nullptr},
        SaveCase{"existing_replaced", kLongPrevious, RM_DATA, L"CUSTOM", true, 0, test::CustomData(), nullptr},
        SaveCase{"existing_deleted_missing_resource", kLongPrevious, RM_MISSING, L"CUSTOM", true, 326, std::nullopt,
                 L"Resource with Identifier 999 not found."},
        SaveCase{"missing_resource", nullptr, RM_MISSING, L"CUSTOM", false, 326, std::nullopt,
                 L"Resource with Identifier 999 not found."},
        SaveCase{"missing_type", nullptr, RM_DATA, L"TEXT", true, 326, std::nullopt,
                 L"Resource with Identifier 101 not found."},
        SaveCase{"empty_resource", nullptr, RM_EMPTY_DATA, L"CUSTOM", false, 326, std::nullopt,
                 L"Resource with Identifier 104 not found."},
        SaveCase{"negative_id", nullptr, -1, L"CUSTOM", false, 326, std::nullopt,
                 L"Resource with Identifier -1 not found."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResourceData, ASavedFileHoldsExactlyTheResourcesBytes) {
    const test::ScratchFolder scratch;
    int saved = 0;
    for (const auto& [index, type] : {std::pair{RM_DATA, L"CUSTOM"}, std::pair{RM_DATA, L"#300"},
                                      std::pair{RM_TEXT, L"TEXT"}}) {
        SCOPED_TRACE(Narrow(type));
        const std::wstring target = scratch / (L"saved" + std::to_wstring(++saved) + L".bin");
        ASSERT_EQ(resources_.SaveDllData(static_cast<std::int16_t>(index), target, type, false), 0);
        EXPECT_EQ(FileBytes(target), resources_.LoadDllData(index, type));
    }
}

TEST_F(ResourceData, AWriteThatFailsReturnsTheWindowsError) {
    const test::ScratchFolder scratch;
    const std::wstring target = scratch / L"no such folder\\saved.bin";
    EXPECT_EQ(resources_.SaveDllData(RM_DATA, target, L"CUSTOM", false), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(CurrentError().number, static_cast<std::int32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(Exists(target));
}

TEST_F(ResourceData, ADeletionThatFailsEndsTheSave) {
    const test::ScratchFolder scratch;
    const std::wstring target = scratch / L"in use.bin";
    test::WriteFileBytes(target, "previous");
    {
        const UniqueFile inUse(
            ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(inUse);
        EXPECT_EQ(resources_.SaveDllData(RM_DATA, target, L"CUSTOM", true), ERROR_SHARING_VIOLATION);
        EXPECT_EQ(CurrentError().number, static_cast<std::int32_t>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(FileBytes(target), kPrevious);
}

} // namespace
} // namespace orvh
