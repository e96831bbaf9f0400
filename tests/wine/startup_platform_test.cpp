// Start-up against the platform: the process id's numeric reading, path expansion on the
// real environment, the resource class's binding and the string table of OrvhUpdate.exe.
#include "main/command_line.h"
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "system/environment_win32.h"
#include "system/locale_conversions_win32.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace orvh {
namespace {

constexpr LCID kItalian = 1040;
constexpr LCID kEnglish = 1033;

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// --- The process id of "/AttendiProcesso=" through the platform's locale-aware reading ---

struct NumberCase {
    const wchar_t* text;
    LCID locale;
    bool numeric;
    std::int32_t processId;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << '"' << Narrow(c.text) << "\" in " << c.locale; }

class ProcessIdThroughThePlatform : public testing::TestWithParam<NumberCase> {};

TEST_P(ProcessIdThroughThePlatform, FollowsTheLocalesSeparators) {
    const auto& c = GetParam();
    const auto number = VariantLocaleConversions(c.locale).ParseNumber(c.text);
    EXPECT_EQ(number.has_value(), c.numeric);
    EXPECT_EQ(ProcessIdFromNumber(number), c.processId);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ProcessIdThroughThePlatform,
    testing::Values(
        NumberCase{L"1234", kItalian, true, 1234}, NumberCase{L"1234", kEnglish, true, 1234},
        NumberCase{L" 7", kItalian, true, 7}, NumberCase{L" 7", kEnglish, true, 7},
        // Italian: "," is the decimal separator (12.5 rounds to the even 12), "." groups thousands.
        NumberCase{L"12,5", kItalian, true, 12}, NumberCase{L"13,5", kItalian, true, 14},
        NumberCase{L"12.5", kItalian, true, 125},
        // English: the other way round.
        NumberCase{L"12.5", kEnglish, true, 12}, NumberCase{L"12,5", kEnglish, true, 125},
        NumberCase{L"abc", kItalian, false, 0}, NumberCase{L"", kItalian, false, 0},
        NumberCase{L"\"1234\"", kItalian, false, 0}, NumberCase{L"2147483648", kItalian, true, 0},
        NumberCase{L"2147483647", kItalian, true, 2147483647}, NumberCase{L"-2147483648", kItalian, true, -2147483647 - 1},
        NumberCase{L"2147483647,5", kItalian, true, 0}, NumberCase{L"-1", kItalian, true, -1},
        NumberCase{L"1e3", kItalian, true, 1000}, NumberCase{L"1e3", kEnglish, true, 1000}));

// --- ExpandPath on the real environment ---

class ExpandPathOnTheEnvironment : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::SetEnvironmentVariableW(L"ORVH_TEST", L"C:\\Orvh Test"));
        ::SetEnvironmentVariableW(L"ORVH_UNDEFINED", nullptr);
    }
    void TearDown() override { ::SetEnvironmentVariableW(L"ORVH_TEST", nullptr); }
};

std::wstring WindowsFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return std::wstring(buffer, length);
}

TEST_F(ExpandPathOnTheEnvironment, ExpandsReferencesAndRemovesOneTrailingBackslash) {
    struct Case {
        std::wstring path;
        std::wstring expected;
    };
    for (const auto& c : {Case{L"%ORVH_TEST%\\sub\\", L"C:\\Orvh Test\\sub"},
                          Case{L"%orvh_test%", L"C:\\Orvh Test"},
                          Case{L"%ORVH_UNDEFINED%\\sub\\", L"%ORVH_UNDEFINED%\\sub"},
                          Case{L"C:\\Upd\\\\", L"C:\\Upd\\"}, Case{L"C:\\", L"C:"}, Case{L"C:\\Upd", L"C:\\Upd"},
                          Case{L"", L""}}) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(ExpandPath(c.path), c.expected);
    }
}

TEST_F(ExpandPathOnTheEnvironment, SystemRootTempIsTheRealFolder) {
    const std::wstring temp = ExpandPath(L"%SystemRoot%\\Temp\\");
    EXPECT_TRUE(SameTextIgnoringCase(temp, WindowsFolder() + L"\\Temp")) << Narrow(temp);
    const DWORD attributes = ::GetFileAttributesW(temp.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- OvResDll's binding ---

TEST(OvResDllBinding, BindsToTheProgramsOwnExecutable) {
    CurrentError().Clear();
    const OvResDll resources;
    EXPECT_TRUE(SameTextIgnoringCase(resources.DllName(), test::TestProgramFolder() + L"\\startup_platform_test.exe"))
        << Narrow(resources.DllName());
    EXPECT_NE(resources.ModuleHandle(), nullptr);
    EXPECT_EQ(CurrentError().number, 0);
}

TEST(OvResDllBinding, AModuleThatCannotBeLoadedRecordsError48) {
    const test::ScratchFolder scratch;
    test::WriteFileBytes(scratch / L"not a module.dll", "text, not a program");
    for (const auto& path : {scratch / L"missing.dll", scratch / L"not a module.dll", scratch.Path()}) {
        SCOPED_TRACE(Narrow(path));
        OvResDll resources;
        CurrentError().Clear();
        resources.DllName(path);
        EXPECT_EQ(resources.ModuleHandle(), nullptr);
        EXPECT_EQ(resources.DllName(), L"");
        EXPECT_EQ(CurrentError().number, 48);
        EXPECT_EQ(CurrentError().description, L"Error in loading DLL: " + path);

        resources.DllName(test::OrvhUpdateExe());
        EXPECT_NE(resources.ModuleHandle(), nullptr);
        EXPECT_EQ(resources.DllName(), test::OrvhUpdateExe());
        EXPECT_EQ(LoadModuleString(resources.ModuleHandle(), 101), L"Ricarca versioni");
    }
}

TEST(OvResDllBinding, TextsComeFromTheRunningProgramNotTheBoundModule) {
    // This test program has no string table, so every id is missing even when the object
    // is bound to OrvhUpdate.exe.
    OvResDll resources;
    resources.DllName(test::OrvhUpdateExe());
    EXPECT_EQ(resources.LoadDllString(101), L"Manca la risora: 101 OrvhUpdate");
    EXPECT_EQ(resources.LoadDllString(999), L"Manca la risora: 999 OrvhUpdate");
}

// --- The string table and version of OrvhUpdate.exe ---

const std::map<std::int32_t, std::wstring>& ExpectedTexts() {
    static const std::map<std::int32_t, std::wstring> texts = {
        {1, L"Orvane Hub"},
        {2, L"Orvane Hub Update"},
        {3, L"Orvane Desk"},
        {4, L"Orvane Desk Update"},
        {101, L"Ricarca versioni"},
        {102, L"Installazione aggiornamento"},
        {103, L"Installazione patch"},
        {104, L"Avvio di"},
        {105, L"Versione corrente:"},
        {106, L"Installazione aggiornamento versione:"},
        {107, L"Installazione patch versione:"},
        {108, L"Nessun aggiornamento da installare"},
        {109, L"Nessuna patch da installare"},
        {200, L"/? {Questo messaggio} /n/n/PathAggiornamento={Percorso dei file di aggiornamento}"},
        {201, L"Impossibile trovare il percorso di installazione"},
        {202, L"Impossibile trovare il file di configurazione dell'aggiornamento"},
        {203, L"Impossibile trovare una versione corrente del prodotto da aggiornare"},
        {300, L"Chiusua Orvane Hub in corso..."},
        {301, L"Determinazione versione corrente in corso..."},
        {302, L"Determinazione versione dell'aggiornamento  in corso..."},
        {303, L"Determinazione versione della patch in corso..."},
        {304, L"Installazione aggiornamento in corso..."},
        {305, L"Installazione patch in corso..."},
        {306, L"Avvio Orvane Hub in corso..."},
        {307, L"Aggiornamento completato"},
        {308, L"Chiusura Orvane Desk in corso..."},
        {309, L"Avvio Orvane Desk in corso..."},
        {10000, L"Impossibile avviare pi\u00f9 istanze dell'applicazione"},
        {10001, L"Errore in fase d'installazione dell'aggiornamento. Provare a riavviare il sistema, "
                L"l'aggiornamento sar\u00e0 ripetuto automaticamente. Se l'errore persiste contattare il "
                L"fornitore dell'applicazione."},
    };
    return texts;
}

class OrvhUpdateResources : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module) << "cannot load " << Narrow(test::OrvhUpdateExe()); }

    UniqueModule module{::LoadLibraryExW(test::OrvhUpdateExe().c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<WORD>*>(names)->push_back(LOWORD(name));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::set<WORD>*>(languages)->insert(language);
    return TRUE;
}

TEST_F(OrvhUpdateResources, EveryIdHasItsText) {
    for (const auto& [id, text] : ExpectedTexts()) {
        SCOPED_TRACE(id);
        EXPECT_EQ(LoadModuleString(module.get(), id), text);
    }
}

TEST_F(OrvhUpdateResources, OtherIdsAreMissing) {
    for (const std::int32_t id : {0, 5, 100, 110, 199, 204, 299, 310, 999, 9999, 10002, 65535, 65536 + 101, -1}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(LoadModuleString(module.get(), id), std::nullopt);
    }
    EXPECT_EQ(MissingResourceText(999), L"Manca la risora: 999 OrvhUpdate");
}

TEST_F(OrvhUpdateResources, TheTableHoldsNoOtherString) {
    std::vector<WORD> blocks;
    ASSERT_TRUE(::EnumResourceNamesW(module.get(), RT_STRING, CollectName, reinterpret_cast<LONG_PTR>(&blocks)));
    std::set<std::int32_t> ids;
    for (const WORD block : blocks) {
        for (std::int32_t id = (block - 1) * 16; id < block * 16; ++id) {
            if (LoadModuleString(module.get(), id)) ids.insert(id);
        }
    }
    std::set<std::int32_t> expected;
    for (const auto& entry : ExpectedTexts()) expected.insert(entry.first);
    EXPECT_EQ(ids, expected);
}

TEST_F(OrvhUpdateResources, TheTableIsItalian) {
    std::vector<WORD> blocks;
    ASSERT_TRUE(::EnumResourceNamesW(module.get(), RT_STRING, CollectName, reinterpret_cast<LONG_PTR>(&blocks)));
    ASSERT_FALSE(blocks.empty());
    for (const WORD block : blocks) {
        SCOPED_TRACE(block);
        EXPECT_NE(::FindResourceExW(module.get(), RT_STRING, MAKEINTRESOURCEW(block),
                                    MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)),
                  nullptr);
        std::set<WORD> languages;
        ::EnumResourceLanguagesW(module.get(), RT_STRING, MAKEINTRESOURCEW(block), CollectLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::set<WORD>{1040});
    }
}

TEST(OrvhUpdateVersion, FileVersionIsOnePointZero) {
    const std::wstring exe = test::OrvhUpdateExe();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 0);
}

} // namespace
} // namespace orvh
