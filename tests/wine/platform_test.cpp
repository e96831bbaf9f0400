// The smaller platform adapters against the real platform: waiting for real processes,
// starting programs, oleaut32's Italian and English conversions, environment references,
// the profile functions on real files and the shell's Fonts folder.
#include "fonts/special_folder_win32.h"
#include "ini/profile_functions_win32.h"
#include "standins.h"
#include "system/environment_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/platform_error.h"
#include "system/process_wait_win32.h"
#include "system/program_start_win32.h"
#include "test_paths.h"
#include "test_text.h"
#include "ui/message_pump.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <thread>

namespace orvh {
namespace {

using namespace std::chrono_literals;
using test::Narrow;

constexpr LCID kItalian = 1040;
constexpr LCID kEnglish = 1033;
constexpr LCID kDutch = 1043;

// Records whether a message posted to the thread was handled while the child still ran.
class RecordingPump final : public MessagePump {
public:
    explicit RecordingPump(const test::Sleeper& child) : child_(child) {}
    void ProcessPendingMessages() override {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) handledWhileRunning |= !child_.Ended();
    }
    bool handledWhileRunning = false;

private:
    const test::Sleeper& child_;
};

TEST(ProcessWait, ReturnsTheExitCodeOnceTheProcessEnded) {
    struct Row {
        bool exists;
        std::uint32_t exitCode;
        bool blocking;
        std::int32_t result;
        bool messagesHandled;
    };
    const Row rows[] = {{true, 7, false, 7, true}, {true, 259, false, 259, true}, {true, 7, true, 7, false},
                        {false, 0, false, 0, false}, {false, 0, true, 0, false}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const test::Sleeper child(1500ms, rows[i].exitCode);
        RecordingPump pump(child);
        const DWORD thread = ::GetCurrentThreadId();
        std::thread poster([&] {
            std::this_thread::sleep_for(300ms);
            ::PostThreadMessageW(thread, WM_APP, 0, 0);
        });
        const std::int32_t id = rows[i].exists ? child.Id() : 0x7FFFFFFC;
        const std::int32_t result = AttendiProcesso(id, rows[i].blocking, pump);
        const bool ended = child.Ended();
        poster.join();
        for (MSG left; ::PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE);) {
        }
        EXPECT_EQ(result, rows[i].result) << "row " << i;
        if (rows[i].exists) EXPECT_TRUE(ended) << "row " << i << ": returned before the process ended";
        EXPECT_EQ(pump.handledWhileRunning, rows[i].messagesHandled) << "row " << i;
    }
}

TEST(ProgramStart, StartsTheNamedProgramWithItsLineAndShowCommand) {
    const test::ScratchFolder scratch;
    const std::wstring product = scratch / L"My Product\\Orvane Hub.exe";
    const std::wstring cluster = test::StandinPath(L"cluster\\Cluster.exe");
    ::CreateDirectoryW((scratch / L"My Product").c_str(), nullptr);
    // A search of the unquoted line would start this one first.
    for (const auto& copy : {product, scratch / L"My.exe"}) {
        ::CopyFileW(test::StandinPath(L"product_standin.exe").c_str(), copy.c_str(), FALSE);
    }
    wchar_t path[32768] = {};
    const std::wstring savedPath(path, ::GetEnvironmentVariableW(L"PATH", path, 32768));
    ::SetEnvironmentVariableW(L"PATH", (test::StandinPath(L"cluster") + L";" + savedPath).c_str());
    struct Row {
        std::wstring application;
        std::wstring line;
        ShowCommand show;
        std::int32_t error;
        std::wstring started; // empty: nothing
        int showCommand;
    };
    const Row rows[] = {
        {product, product + L" /NoConsole", ShowCommand::Normal, 0, product, SW_SHOWNORMAL},
        {L"", L"Cluster Res \"Orvane Hub Server\" /On", ShowCommand::Minimized, 0, cluster, SW_SHOWMINIMIZED},
        {scratch / L"Missing.exe", L"Missing.exe", ShowCommand::Normal, ERROR_FILE_NOT_FOUND, L"", 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::wstring log = scratch / (L"log" + std::to_wstring(i));
        ::CreateDirectoryW(log.c_str(), nullptr);
        ::SetEnvironmentVariableW(test::kStandinLogVariable, log.c_str());
        std::int32_t error = 0;
        try {
            StartProgram(rows[i].application, rows[i].line, rows[i].show);
        } catch (const PlatformError& e) {
            error = e.Number();
        }
        const auto records = test::WaitForStartRecords(log, rows[i].started.empty() ? 0 : 1, 15s, 1s);
        EXPECT_EQ(error, rows[i].error) << "row " << i;
        ASSERT_EQ(records.size(), rows[i].started.empty() ? 0u : 1u) << "row " << i;
        if (records.empty()) continue;
        EXPECT_EQ(::CompareStringOrdinal(records[0].program.c_str(), -1, rows[i].started.c_str(), -1, TRUE), CSTR_EQUAL)
            << "row " << i << ": " << Narrow(records[0].program);
        EXPECT_EQ(Narrow(records[0].commandLine), Narrow(rows[i].line)) << "row " << i;
        EXPECT_EQ(records[0].showCommand, rows[i].showCommand) << "row " << i;
    }
    ::SetEnvironmentVariableW(L"PATH", savedPath.c_str());
    ::SetEnvironmentVariableW(test::kStandinLogVariable, nullptr);
}

TEST(LocaleConversions, ItalianAndEnglishNumbersAndDates) {
    const double nineNovember = 42683 + (14 * 3600 + 5 * 60 + 30) / 86400.0;
    const double elevenSeptember = 42624 + (14 * 3600 + 5 * 60 + 30) / 86400.0;
    struct Row {
        LCID locale;
        bool date;
        std::wstring text;
        std::optional<double> value;
    };
    const Row rows[] = {
        {kItalian, false, L"12,5", 12.5},   {kItalian, false, L"12.5", 125},     {kEnglish, false, L"12.5", 12.5},
        {kEnglish, false, L"12,5", 125},    {kItalian, false, L"abc", std::nullopt}, {kItalian, false, L"1e3", 1000},
        {kItalian, true, L"09/11/2016 14.05.30", nineNovember}, {kEnglish, true, L"09/11/2016 14.05.30", elevenSeptember},
        {kItalian, true, L"13/25/2016", std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const VariantLocaleConversions conversions(rows[i].locale);
        const auto value = rows[i].date ? conversions.ParseDate(rows[i].text) : conversions.ParseNumber(rows[i].text);
        ASSERT_EQ(value.has_value(), rows[i].value.has_value()) << "row " << i;
        if (value) EXPECT_NEAR(*value, *rows[i].value, 1e-9) << "row " << i;
    }
    struct TextRow {
        LCID locale;
        double value;
        std::wstring text;
    };
    const TextRow texts[] = {{kItalian, -3.25, L"-3,25"}, {kEnglish, -3.25, L"-3.25"}, {kEnglish, 1e20, L"1E+20"},
                             {kItalian, 1.0 / 3, L"0,333333333333333"}};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        EXPECT_EQ(Narrow(VariantLocaleConversions(texts[i].locale).NumberToText(texts[i].value)), Narrow(texts[i].text))
            << "row " << i;
    }
    for (const LCID locale : {kItalian, kEnglish}) {
        const VariantLocaleConversions conversions(locale);
        const auto back = conversions.ParseDate(conversions.DateToText(nineNovember));
        EXPECT_NEAR(back.value_or(0), nineNovember, 1e-9) << "locale " << locale;
    }
    EXPECT_EQ(Narrow(VariantLocaleConversions(kItalian).DateSeparator()), "/");
    EXPECT_EQ(Narrow(VariantLocaleConversions(kDutch).DateSeparator()), "-");
}

TEST(Environment, ExpandsDefinedReferencesOnly) {
    ::SetEnvironmentVariableW(L"ORVH_TEST", L"C:\\Orvh Test");
    EXPECT_EQ(Narrow(ExpandEnvironmentReferences(L"%orvh_test%\\sub").value_or(L"(none)")), "C:\\Orvh Test\\sub");
    EXPECT_EQ(Narrow(ExpandEnvironmentReferences(L"%ORVH_UNDEFINED%\\sub").value_or(L"(none)")), "%ORVH_UNDEFINED%\\sub");
    ::SetEnvironmentVariableW(L"ORVH_TEST", nullptr);
}

TEST(ProfileFunctions, ReadAndWriteRealFiles) {
    const test::ScratchFolder scratch;
    test::WriteFileBytes(scratch / L"ansi.ini", "[S]\r\nk=  \"a b \"  \r\nlong=abcdef\r\n");
    test::WriteFileBytes(scratch / L"unicode.ini", "\xFF\xFE");
    Win32ProfileFunctions profile;
    profile.WriteString(L"Versione", L"Citt\u00e0", L"Perch\u00e9 \u03a9 \u65e5", scratch / L"unicode.ini");
    struct Row {
        std::wstring file;
        std::wstring section;
        std::wstring key;
        std::size_t size;
        std::wstring expected;
    };
    const Row rows[] = {
        {L"ansi.ini", L"S", L"k", 255, L"a b "},
        {L"ansi.ini", L"S", L"long", 4, L"abc"},
        {L"ansi.ini", L"S", L"absent", 255, L"default"},
        {L"missing.ini", L"S", L"k", 255, L"default"},
        {L"unicode.ini", L"Versione", L"Citt\u00e0", 255, L"Perch\u00e9 \u03a9 \u65e5"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::wstring buffer(300, L'\0');
        profile.GetString(rows[i].section, rows[i].key, L"default", buffer, rows[i].size, scratch / rows[i].file);
        EXPECT_EQ(Narrow(buffer.c_str()), Narrow(rows[i].expected)) << "row " << i;
    }
}

TEST(SpecialFolder, FontsFolderOfTheShell) {
    wchar_t windows[MAX_PATH] = {};
    const std::wstring fonts = std::wstring(windows, ::GetWindowsDirectoryW(windows, MAX_PATH)) + L"\\Fonts";
    EXPECT_EQ(::CompareStringOrdinal(FontsFolder().c_str(), -1, fonts.c_str(), -1, TRUE), CSTR_EQUAL)
        << Narrow(FontsFolder());
    EXPECT_EQ(GetSpecialFolder(nullptr, CSIDL_DRIVES), L"") << "a folder without a file-system path";
}

} // namespace
} // namespace orvh
