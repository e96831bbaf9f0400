// Waiting for and starting real processes, oleaut32's conversions, profile functions on real files,
// and the resource class over tests/resources_module (operations the run itself never calls).
#include "rows.h"
#include "ini/profile_functions_win32.h"
#include "journal/journal_file_win32.h"
#include "run_checks.h"
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "system/library_search_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/platform_error.h"
#include "system/process_wait_win32.h"
#include "system/program_start_win32.h"
#include "ui/message_pump_win32.h"

#include <gtest/gtest.h>
#include <mmsystem.h>
#include <olectl.h>
#include <aclapi.h>
#include <sddl.h>

#include <functional>
#include <memory>
#include <optional>

namespace orvh {
namespace {

using namespace std::chrono_literals;

constexpr LCID kItalian = 1040;
constexpr LCID kEnglish = 1033;

// On a real disk: a new journal among 25 older ones and a stranger; the 20 newest stay, the
// stranger too, and the new journal holds its lines.
TEST(JournalFile, KeepsTheNewestTwentyAndWritesThrough) {
    using namespace test;
    std::filesystem::create_directories(JournalFolder());
    std::vector<std::wstring> older;
    for (int run = 10; run < 35; ++run) older.push_back(L"OrvhUpdate_20000101_0000" + std::to_wstring(run) + L"_1.log");
    for (const auto& name : older) WriteFileBytes(JournalFolder() + L"\\" + name, "");
    WriteFileBytes(JournalFolder() + L"\\OrvhUpdate_notes.log", "");
    std::wstring installerLog;
    {
        JournalFile journal(true);
        installerLog = journal.InstallerLogPath();
        journal.Write(L"first\r\nsecond è");
        EXPECT_EQ(journal.InstallerLogPath().substr(0, JournalFolder().size()), JournalFolder());
        // Held for the run: the folder cannot be moved away and a link put in its place.
        EXPECT_FALSE(::MoveFileW(JournalFolder().c_str(), (JournalFolder() + L".aside").c_str()));
    }
    const std::vector<std::wstring> left = FolderEntries(JournalFolder());
    std::vector<std::wstring> expected(older.end() - 19, older.end());
    // Windows Installer's log is made new by the launcher, before Windows Installer appends to it.
    expected.push_back(L"OrvhUpdate_notes.log");
    expected.push_back(installerLog.substr(installerLog.rfind(L'\\') + 1));
    for (const auto& name : left) {
        if (name.ends_with(L"_" + std::to_wstring(::GetCurrentProcessId()) + L".log")) expected.push_back(name);
    }
    std::ranges::sort(expected);
    EXPECT_EQ(left, expected);
    const auto lines = ReadJournal(::GetCurrentProcessId());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].event, L"first\\r\\nsecond è");
}

// Only what a wait needs, as a product running elevated or under another account grants.
void OnlyRights(HANDLE process, const wchar_t* dacl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl, SDDL_REVISION_1, &descriptor, nullptr));
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owner(descriptor);
    ASSERT_TRUE(::SetKernelObjectSecurity(process, DACL_SECURITY_INFORMATION, descriptor));
    ASSERT_EQ(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, ::GetProcessId(process)), nullptr) << "all access is refused";
}

// An msi.dll on the search path is passed over for the system folder's. (Wine runs its built-in
// code either way: only the path tells.)
TEST(LibrarySearch, TakesLibrariesFromTheSystemFolderOnly) {
    const test::ScratchFolder scratch;
    std::filesystem::copy_file(test::TestProgramFolder() + L"\\resources_module.dll", scratch / L"msi.dll");
    ASSERT_TRUE(::SetDllDirectoryW(scratch.Path().c_str()));
    LoadLibrariesFromSystemFolderOnly();
    const UniqueModule msi(::LoadLibraryW(L"msi.dll"));
    ::SetDllDirectoryW(nullptr);
    ASSERT_TRUE(msi);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(msi.get(), path, MAX_PATH);
    EXPECT_EQ(_wcsicmp(path, SystemToolPath(L"msi.dll").c_str()), 0) << testing::PrintToString(std::wstring(path));
}

// A journal folder linking elsewhere, as another user could plant it, or a read-only file under
// its name: no journal, nothing deleted. Then the folder an elevated run creates itself: no access
// for everyone. (Wine keeps no owner and no access list of a file: it shows an owner of the
// running user and the access the file's Unix mode gives, so only the missing access for
// everyone shows here.)
TEST(JournalFile, NoneInAFolderThatLinksElsewhereOrIsAFile) {
    using namespace test;
    const ScratchFolder elsewhere;
    for (int run = 10; run < 35; ++run) WriteFileBytes(elsewhere / (L"OrvhUpdate_20000101_0000" + std::to_wstring(run) + L"_1.log"), "");
    const std::wstring folder = JournalFolder(), aside = folder + L".aside";
    ::MoveFileW(folder.c_str(), aside.c_str());
    auto link = HostLink(folder, elsewhere.Path(), true);
    ASSERT_NE(::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    {
        JournalFile journal(true);
        journal.Write(L"event");
        EXPECT_EQ(journal.InstallerLogPath(), L"");
    }
    EXPECT_EQ(FolderEntries(elsewhere.Path()).size(), 25u);
    link.reset();
    WriteFileBytes(folder, "no folder");
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        JournalFile journal(true);
        journal.Write(L"event");
        EXPECT_EQ(journal.InstallerLogPath(), L"");
    }
    EXPECT_EQ(ReadFileBytes(folder), "no folder");
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(folder.c_str());
    JournalFile(true).Write(L"event");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      nullptr, nullptr, &descriptor), ERROR_SUCCESS);
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owner(descriptor);
    wchar_t* text = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                      DACL_SECURITY_INFORMATION, &text, nullptr));
    const UniqueLocalMemory<wchar_t*> sddl(text);
    EXPECT_EQ(std::wstring_view(text).find(L";WD)"), std::wstring_view::npos) << testing::PrintToString(std::wstring(text));
    std::filesystem::remove_all(folder);
    ::MoveFileW(aside.c_str(), folder.c_str());
}

TEST(ProcessWait, EndsWhenTheProcessHasEnded) {
    // The exit code, a blocking wait, the process's own access list (none: the default), the
    // error opening it (87: the process is not there).
    const std::tuple<std::int32_t, bool, const wchar_t*, std::uint32_t> rows[] = {
        {7, false, nullptr, 0}, {259, false, nullptr, 0}, {7, true, nullptr, 0}, {0, false, nullptr, 87},
        {7, false, L"D:(A;;0x101000;;;WD)", 0}, {0, false, L"D:", 5}};
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [exitCode, blocking, dacl, openError] = row;
        const test::Sleeper child(1500ms, exitCode);
        if (dacl) OnlyRights(child.Process(), dacl);
        Win32MessagePump pump;
        const auto id = openError == 87 ? 0x7FFFFFFC : static_cast<std::int32_t>(child.ProcessId());
        EXPECT_EQ(AttendiProcesso(id, blocking, pump), (ProcessWait{exitCode, openError}));
        EXPECT_EQ(child.WaitForExit(0ms), openError == 0) << "the wait ends with the process";
    });
}

TEST(ProgramStart, StartsTheProgramWithItsLineAndShowCommand) {
    const test::ScratchFolder scratch;
    const std::wstring product = scratch / L"My Product\\Orvane Hub.exe";
    // The cluster tool's stand-in where the launcher looks for the tool, for this test only.
    const std::wstring cluster = SystemToolPath(L"cluster.exe");
    std::filesystem::copy_file(test::TestProgramFolder() + L"\\cluster\\Cluster.exe", cluster);
    const std::shared_ptr<void> removed(nullptr, [&](void*) { ::DeleteFileW(cluster.c_str()); });
    std::filesystem::create_directories(scratch / L"My Product");
    std::filesystem::copy_file(test::TestProgramFolder() + L"\\product_standin.exe", product);
    // A search of the unquoted line would start My.exe.
    std::filesystem::copy_file(product, scratch / L"My.exe");
    // Program, line, show command; the error raised, the program started (empty: none) and how.
    const std::tuple<std::wstring, std::wstring, ShowCommand, std::int32_t, std::wstring, int> rows[] = {
        {product, product + L" /NoConsole", ShowCommand::Normal, 0, product, SW_SHOWNORMAL},
        {cluster, L"Cluster Res \"Orvane Hub Server\" /On", ShowCommand::Minimized, 0, cluster, SW_SHOWMINIMIZED},
        {scratch / L"Missing.exe", L"Missing.exe", ShowCommand::Normal, ERROR_FILE_NOT_FOUND, L"", 0},
    };
    test::ForEachRow(rows, [&](const auto& row, std::size_t i) {
        const auto& [application, line, show, expectedError, started, showCommand] = row;
        const std::wstring log = scratch / (L"log" + std::to_wstring(i));
        ::CreateDirectoryW(log.c_str(), nullptr);
        ::SetEnvironmentVariableW(test::kStandinLogVariable, log.c_str());
        std::int32_t error = 0;
        try {
            StartProgram(application, line, show);
        } catch (const PlatformError& e) {
            error = e.Number();
        }
        const auto records = test::WaitForStartRecords(log, started.empty() ? 0 : 1);
        EXPECT_EQ(error, expectedError);
        ASSERT_EQ(records.size(), started.empty() ? 0u : 1u);
        if (records.empty()) return;
        EXPECT_EQ(::CompareStringOrdinal(records[0].program.c_str(), -1, started.c_str(), -1, TRUE), CSTR_EQUAL)
            << testing::PrintToString(records[0].program);
        EXPECT_EQ(records[0].commandLine, line);
        EXPECT_EQ(records[0].showCommand, showCommand);
    });
}

// Process ids and version groups are read by the whole-number conversion ('w'); numbers ('n')
// and dates ('d') that do not parse show as a type mismatch.
TEST(LocaleConversions, ItalianAndEnglishNumbersDatesAndWholeNumbers) {
    using Fault = WholeNumber::Fault;
    const double nineNovember = 42683 + (14 * 3600 + 5 * 60 + 30) / 86400.0;
    const std::tuple<LCID, char, std::wstring, double, Fault> rows[] = {
        {kItalian, 'n', L"12,5", 12.5, Fault::None},           {kItalian, 'n', L"12.5", 125, Fault::None},
        {kEnglish, 'n', L"12.5", 12.5, Fault::None},           {kEnglish, 'n', L"12,5", 125, Fault::None},
        {kItalian, 'n', L"abc", 0, Fault::TypeMismatch},       {kItalian, 'd', L"13/25/2016", 0, Fault::TypeMismatch},
        {kItalian, 'd', L"09/11/2016 14.05.30", nineNovember, Fault::None},
        {kEnglish, 'd', L"09/11/2016 14.05.30", nineNovember - 59, Fault::None}, // 11 September
        {kItalian, 'w', L" 0012 ", 12, Fault::None},           {kItalian, 'w', L"1,5", 2, Fault::None},
        {kItalian, 'w', L"2,5", 2, Fault::None},               {kEnglish, 'w', L"1,6", 16, Fault::None},
        {kItalian, 'w', L"1e2", 100, Fault::None},             {kItalian, 'w', L"&H1F", 31, Fault::None},
        {kItalian, 'w', L"&HFFFFFFFF", -1, Fault::None},
        {kItalian, 'w', L"2147483648", 0, Fault::Overflow},    {kItalian, 'w', L"&H100000000", 0, Fault::Overflow},
        {kItalian, 'w', L"", 0, Fault::TypeMismatch},          {kItalian, 'w', L"1.a", 0, Fault::TypeMismatch},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [locale, kind, text, expected, fault] = row;
        const VariantLocaleConversions conversions(locale);
        WholeNumber whole = conversions.ToWholeNumber(text);
        std::optional<double> value = whole.value;
        if (kind != 'w') {
            value = kind == 'd' ? conversions.ParseDate(text) : conversions.ParseNumber(text);
            whole.fault = value ? Fault::None : Fault::TypeMismatch;
        }
        EXPECT_NEAR(value.value_or(0), expected, 1e-9);
        EXPECT_EQ(whole.fault, fault);
    });
    EXPECT_EQ(VariantLocaleConversions(kItalian).NumberToText(-1.0 / 3), L"-0,333333333333333");
    EXPECT_EQ(VariantLocaleConversions(1043).DateSeparator(), L"-") << "Dutch";
}

TEST(ProfileFunctions, ReadAndWriteRealFiles) {
    const test::ScratchFolder scratch;
    test::WriteFileBytes(scratch / L"ansi.ini", "[S]\r\nk=  \"a b \"  \r\nlong=abcdef\r\n");
    test::WriteFileBytes(scratch / L"unicode.ini", "\xFF\xFE");
    Win32ProfileFunctions profile;
    profile.WriteString(L"S", L"Citt\u00e0", L"Perch\u00e9 \u03a9 \u65e5", scratch / L"unicode.ini");
    // File, key, buffer size; the text read.
    const std::tuple<std::wstring, std::wstring, std::size_t, std::wstring> rows[] = {{L"ansi.ini", L"k", 255, L"a b "}, {L"ansi.ini", L"long", 4, L"abc"},
                        {L"ansi.ini", L"absent", 255, L"default"}, {L"missing.ini", L"k", 255, L"default"},
                        {L"unicode.ini", L"Citt\u00e0", 255, L"Perch\u00e9 \u03a9 \u65e5"}};
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [file, key, size, expected] = row;
        std::wstring buffer(300, L'\0');
        profile.GetString(L"S", key, L"default", buffer, size, scratch / file);
        EXPECT_EQ(std::wstring(buffer.c_str()), expected);
    });
}

// A picture as its type and its width in pixels at the screen's resolution.
std::string Picture(int type, int width) { return std::to_string(type) + " " + std::to_string(width); }

std::string Describe(const UniqueComInterface<IDispatch>& dispatch) {
    IPicture* picture = nullptr;
    if (!dispatch || FAILED(dispatch.get()->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)))) return "(none)";
    const UniqueComInterface<IPicture> owner(picture);
    SHORT type = 0;
    OLE_XSIZE_HIMETRIC width = 0;
    picture->get_Type(&type);
    picture->get_Width(&width);
    const int dpi = ::GetDeviceCaps(UniqueMemoryDc(::CreateICW(L"DISPLAY", nullptr, nullptr, nullptr)).get(), LOGPIXELSX);
    return Picture(type, ::MulDiv(width, dpi, 2540));
}

std::string Bytes(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(ResourceModule, DataTextPicturesSoundsAndAddresses) {
    // The ids resources_module.rc gives its resources.
    enum : std::int16_t { kData = 101, kText = 103, kBitmap = 201, kIcon = 301, kCursor = 401, kWave = 501 };
    const test::ScratchFolder scratch;
    const std::wstring path = test::TestProgramFolder() + L"\\resources_module.dll";
    test::WriteFileBytes(scratch / L"not a module.dll", "text");
    OvResDll bound;
    OvResDll unbound;
    bound.DllName(path);
    unbound.DllName(scratch / L"not a module.dll");
    ASSERT_EQ(CurrentError().number, 48);
    const std::string custom("Orvh\0\x01\x02\xfe\xff custom data", 21);
    const auto save = [&](const OvResDll& r, const std::wstring& target) {
        const std::int32_t result = r.SaveDllData(kData, target, L"CUSTOM", false);
        return std::to_string(result) + (result == 0 ? test::ReadFileBytes(target) : "");
    };
    // The module, what is read of it; what it gives, the error recorded (1: the record is left as it was).
    const std::tuple<const OvResDll&, std::function<std::string(const OvResDll&)>, std::string, std::int32_t> rows[] = {
        {bound, [](auto& r) { return Bytes(r.LoadDllData(kData, L"CUSTOM")); }, custom, 1},
        {bound, [](auto& r) { return test::Utf8(r.LoadDllText(kText, L"TEXT")); }, "Versione 1.2\r\nPerch\u00e9 costa 5 \u20ac", 1},
        {bound, [](auto& r) { return Bytes(r.LoadDllData(999, L"CUSTOM")); }, "", 326},
        {bound, [&](auto& r) { return save(r, scratch / L"saved.bin"); }, "0" + custom, 1},
        {bound, [&](auto& r) { return save(r, scratch / L"none\\x"); }, std::to_string(ERROR_PATH_NOT_FOUND), ERROR_PATH_NOT_FOUND},
        {bound, [](auto& r) { return Describe(r.LoadDllBitmap(kBitmap)); }, Picture(PICTYPE_BITMAP, 7), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllIcon(kIcon, 48)); }, Picture(PICTYPE_ICON, 48), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllIcon(kIcon)); }, Picture(PICTYPE_ICON, ::GetSystemMetrics(SM_CXICON)), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllCursor(kCursor)); }, Picture(PICTYPE_ICON, ::GetSystemMetrics(SM_CXCURSOR)), 1},
        {bound, [](auto& r) { return Describe(r.LoadDllIcon(999)); }, "(none)", 326},
        {bound, [](auto& r) { return std::to_string(r.PlayWave(kWave)); }, "1", 1},
        {bound, [](auto& r) { return std::to_string(r.PlayWave(kData)); }, "0", 1},
        {bound, [](auto& r) { return test::Utf8(r.GetDllURL(kData, L"CUSTOM")); }, "RES://" + test::Utf8(path) + "/CUSTOM/101", 1},
        {unbound, [](auto& r) { return Bytes(r.LoadDllData(kData, L"CUSTOM")); }, "", 326},
        {unbound, [](auto& r) { return std::to_string(r.PlayWave(kWave)); }, "0", 1},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [resources, read, expected, recorded] = row;
        CurrentError().Set(1, L"before", L"before");
        EXPECT_EQ(read(resources), expected);
        EXPECT_EQ(CurrentError().number, recorded);
    });
    // The sound plays from the module's memory: it is stopped before the module goes.
    ::PlaySoundW(nullptr, nullptr, 0);
}

} // namespace
} // namespace orvh
