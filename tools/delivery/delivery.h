#pragma once
// One delivery, end to end: a run of OrvhUpdate.exe whose message boxes are read and answered.
#include "fixture_packages.h"
#include "journal_reader.h"
#include "message_boxes.h"
#include "signed_fixtures.h"
#include "started_programs.h"

#include <msi.h>

namespace orvh::test {

struct ShownBox {
    MessageBoxContents contents;
    bool windowVisible = false; // whether the progress window was on screen when the box came
};

struct RunOutcome {
    bool ended = false;          // the launcher ended within three minutes
    std::vector<ShownBox> boxes; // in the order shown; each answered with its first button
    bool windowShown = false;    // the progress window was on screen at some time
    std::vector<JournalLine> journal;
    DWORD exitCode = STILL_ACTIVE;
};

inline const std::string kEarlierConfiguration = "[Versione]\r\nOrvane Hub.msi=0001.0001.0000.0601\r\n";

// Removes every installed product, so that the tests of one program never see each other's.
inline void RemoveEveryProduct() {
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    std::vector<std::wstring> codes;
    wchar_t code[39];
    for (DWORD index = 0; ::MsiEnumProductsW(index, code) == ERROR_SUCCESS; ++index) codes.emplace_back(code);
    for (const auto& each : codes) ::MsiConfigureProductW(each.c_str(), INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
}

class UpdateScenario {
public:
    // The product lives in a folder whose name has a blank, as under Program Files.
    UpdateScenario() : product_(root_ / L"Prod dir\\Hub.exe") {
        for (const auto* folder : {L"Prod dir", L"starts", L"Delivered", L"Program", L"Upd\\Nuovo"}) {
            std::filesystem::create_directories(root_ / folder);
        }
        std::filesystem::copy_file(TestProgramFolder() + L"\\product_standin.exe", product_);
        ::SetEnvironmentVariableW(kStandinLogVariable, (root_ / L"starts").c_str());
    }
    ~UpdateScenario() { RemoveEveryProduct(); }

    std::wstring UpdateFolder() const { return root_ / L"Upd"; }
    std::wstring Sub(const std::wstring& name) const { return UpdateFolder() + L"\\" + name; }
    const std::wstring& ProductPath() const { return product_; }
    const ScratchFolder& Root() const { return root_; }

    void Deliver(const std::wstring& name, const std::wstring& sourcePath) const {
        ::CopyFileW(sourcePath.c_str(), (Sub(L"Nuovo") + L"\\" + name).c_str(), FALSE);
    }
    void Announce(const std::wstring& key, const std::wstring& version) const {
        ::WritePrivateProfileStringW(L"Versione", key.c_str(), version.c_str(), (Sub(L"Nuovo") + L"\\ORVHUpdate.cfg").c_str());
    }
    // What an earlier run left: the installed package and its configuration in Corrente.
    void EarlierRun() const {
        for (const auto* folder : {L"Corrente", L"Vecchio"}) std::filesystem::create_directories(Sub(folder));
        std::filesystem::copy_file(FixturePackagePath(fixtures::hub_1_1_601.file), Sub(L"Corrente\\Orvane Hub.msi"));
        WriteFileBytes(Sub(L"Corrente\\ORVHUpdate.cfg"), kEarlierConfiguration);
    }
    // The copy installed from becomes the product's installation source: one in Delivered, or one in
    // Setup\{product code} as an earlier run leaves it.
    unsigned Install(const fixtures::FixturePackage& package, bool fromSetup = false) const {
        const std::wstring folder = fromSetup ? Sub(L"Setup\\") + std::wstring(package.productCode) : root_ / L"Delivered";
        const std::wstring copy = folder + L"\\" + (fromSetup ? L"Orvane Hub.msi" : std::wstring(package.file));
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(FixturePackagePath(package.file), copy);
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        return ::MsiInstallProductW(copy.c_str(), L"");
    }

    const std::wstring& Program() const { return program_; }
    // The launcher run is a signed copy (of bin\fixtures\signed); true once its test root is trusted.
    bool RunSigned(const std::wstring& signedLauncher) const {
        std::filesystem::copy_file(SignedFixture(signedLauncher), program_);
        return TrustTestRoot();
    }
    // The runs that follow start on this desktop with this token (empty, none: the caller's own).
    void StartOn(std::wstring desktop, UniqueHandle token = UniqueHandle()) {
        desktop_ = std::move(desktop);
        token_ = std::move(token);
    }

    RunOutcome Run(const std::wstring& tail) const {
        using namespace std::chrono;
        if (!std::filesystem::exists(program_)) std::filesystem::copy_file(OrvhUpdateExe(), program_);
        const LaunchedProgram program(program_, tail, {}, desktop_, token_.get());
        RunOutcome outcome;
        std::vector<HWND> answered;
        for (const auto deadline = steady_clock::now() + minutes(3); !outcome.ended && steady_clock::now() < deadline;
             outcome.ended = program.WaitForExit(30ms)) {
            const std::vector<HWND> windows = VisibleTopLevelWindows(program.ProcessId());
            const bool windowVisible = !std::ranges::all_of(windows, IsMessageBox);
            outcome.windowShown = outcome.windowShown || windowVisible;
            for (HWND box : windows) {
                if (!IsMessageBox(box) || std::ranges::count(answered, box) > 0) continue;
                answered.push_back(box);
                outcome.boxes.push_back({ReadMessageBox(box), windowVisible});
                PressButton(box, outcome.boxes.back().contents.buttons.at(0));
            }
        }
        outcome.journal = ReadJournal(program.ProcessId());
        outcome.exitCode = program.ExitCode();
        return outcome;
    }

    std::wstring Tail() const { return L"/PathAggiornamento=\"" + UpdateFolder() + L"\" /ExeName=\"" + product_ + L"\""; }
    std::vector<StartRecord> ProductStarts(std::size_t expected = 1) const {
        return WaitForStartRecords(root_ / L"starts", expected);
    }

private:
    ScratchFolder root_;
    std::wstring product_;
    std::wstring program_ = root_ / L"Program\\OrvhUpdate.exe";
    std::wstring desktop_;
    UniqueHandle token_;
};

// "" when none is installed: the product code stays empty.
inline std::wstring InstalledVersion(std::wstring_view upgradeCode) {
    wchar_t product[39] = {};
    wchar_t version[64] = {};
    DWORD size = 64;
    ::MsiEnumRelatedProductsW(std::wstring(upgradeCode).c_str(), 0, 0, product);
    ::MsiGetProductInfoW(product, INSTALLPROPERTY_VERSIONSTRING, version, &size);
    return version;
}

} // namespace orvh::test
