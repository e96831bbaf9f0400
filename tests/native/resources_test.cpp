// Resource ids, names and res-protocol addresses, and the texts of resource failures and
// of errors nothing caught.
#include "resources/error_record.h"
#include "resources/resource_failures.h"
#include "resources/resource_names.h"
#include "resources/string_table.h"
#include "system/platform_error.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using test::Narrow;

TEST(Resources, IntegerIdsRunFrom1To65535) {
    const std::pair<std::int32_t, std::optional<std::uint16_t>> rows[] = {
        {1, 1}, {65535, 65535}, {0, std::nullopt}, {65536, std::nullopt}, {-1, std::nullopt}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(IntegerResourceId(rows[i].first), rows[i].second) << "row " << i;
    }
}

TEST(Resources, ResUrlOfAModuleTypeAndId) {
    const std::wstring dll = L"C:\\Orvane\\res.dll";
    const std::wstring name256 = L"C:\\" + std::wstring(253, L'a');
    const struct {
        std::wstring dllName;
        std::int16_t index;
        std::wstring type, expected;
    } rows[] = {
        {dll, 101, L"  MY TYPE   ", L"RES://C:\\Orvane\\res.dll/MY TYPE/101"},
        {dll, 101, L"\tHTML\t", L"RES://C:\\Orvane\\res.dll/\tHTML\t/101"},
        {dll, -32768, L"   ", L"RES://C:\\Orvane\\res.dll//-32768"},
        {L"", 101, L"HTML", L""},
        {name256, 5, L"X", L"RES://" + name256 + L"/X/5"},
        {name256 + L"b", 5, L"X", L""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(Narrow(ResourceUrl(rows[i].dllName, rows[i].index, rows[i].type)), Narrow(rows[i].expected))
            << "row " << i;
    }
}

TEST(Resources, TextsOfFailures) {
    const std::pair<std::wstring, std::wstring> rows[] = {
        {NumberedResourceName(101), L"#101"},
        {CustomResourceNotFoundText(-1), L"Custom resource with Identifier -1 not found."},
        {PictureResourceNotFoundText(201), L"Picture resource with Identifier 201 not found."},
        {ResourceNotFoundText(65535), L"Resource with Identifier 65535 not found."},
        {ResourceLoadErrorText(), L"Error loading from file"},
        {InvalidPictureText(), L"InvalId Picture"},  // the program's own spelling
        {MissingResourceText(7), L"Manca la risora: 7 OrvhUpdate"},
        {UnhandledErrorReportText(PlatformError(5, L"x", L"Accesso negato.")), L"Errore di run-time '5':\r\n\r\nAccesso negato."},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(Narrow(rows[i].first), Narrow(rows[i].second)) << "row " << i;
    }
}

TEST(Resources, OneErrorRecordForTheProgram) {
    CurrentError().Set(326, L"OvResDll", L"not found");
    EXPECT_EQ(CurrentError().number, 326);
    CurrentError().Clear();
    EXPECT_EQ(CurrentError().number, 0);
    EXPECT_EQ(CurrentError().description, L"");
}

} // namespace
} // namespace orvh
