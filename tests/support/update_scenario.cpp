#include "update_scenario.h"

#include "fixture_paths.h"
#include "installer/installed_product.h"
#include "installer/msi_engine_win32.h"
#include "launched_program.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"
#include "window_capture.h"

#include <msi.h>

#include <algorithm>
#include <thread>

namespace orvh::test {
namespace {

void MakeFolders(const std::wstring& path) {
    for (std::size_t at = path.find(L'\\', 3); ; at = path.find(L'\\', at + 1)) {
        ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        if (at == std::wstring::npos) break;
    }
}

bool IsMessageBox(HWND window) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wstring(name) == L"#32770";
}

} // namespace

UpdateScenario::UpdateScenario() {
    // The product lives in a folder whose name has a blank, as under Program Files.
    MakeFolders(root_ / L"Prod dir");
    product_ = root_ / L"Prod dir\\Hub.exe";
    ::CopyFileW(StandinPath(L"product_standin.exe").c_str(), product_.c_str(), FALSE);
    log_ = root_ / L"starts";
    MakeFolders(log_);
    ::SetEnvironmentVariableW(kStandinLogVariable, log_.c_str());
}

UpdateScenario::~UpdateScenario() {
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    for (const auto& code : InstalledProductCodes()) {
        ::MsiConfigureProductW(code.c_str(), INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
    }
    ::SetEnvironmentVariableW(kStandinLogVariable, nullptr);
}

void UpdateScenario::Deliver(const std::wstring& name, const std::wstring& sourcePath) {
    MakeFolders(Sub(L"Nuovo"));
    ::CopyFileW(sourcePath.c_str(), (Sub(L"Nuovo") + L"\\" + name).c_str(), FALSE);
}

void UpdateScenario::DeliverPackage(const std::wstring& name, const fixtures::FixturePackage& package) {
    Deliver(name, FixturePackagePath(package.file));
}

void UpdateScenario::Announce(const std::wstring& key, const std::wstring& version) {
    MakeFolders(Sub(L"Nuovo"));
    ::WritePrivateProfileStringW(L"Versione", key.c_str(), version.c_str(), (Sub(L"Nuovo") + L"\\ORVHUpdate.cfg").c_str());
}

unsigned UpdateScenario::Install(const fixtures::FixturePackage& package) {
    MakeFolders(root_ / L"Delivered");
    return installs_.Install(package, root_ / L"Delivered");
}

RunOutcome UpdateScenario::Run(const std::wstring& tail, std::chrono::milliseconds timeout,
                               const std::wstring& programFolder) {
    using namespace std::chrono_literals;
    const std::wstring folder = programFolder.empty() ? root_ / L"Program" : programFolder;
    MakeFolders(folder);
    const std::wstring exe = folder + L"\\OrvhUpdate.exe";
    ::CopyFileW(OrvhUpdateExe().c_str(), exe.c_str(), FALSE);

    RunOutcome outcome;
    LaunchedProgram program(exe, tail);
    std::vector<HWND> answered;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool windowVisible = false;
    while (std::chrono::steady_clock::now() < deadline) {
        if (program.WaitForExit(0ms)) {
            outcome.ended = true;
            break;
        }
        windowVisible = false;
        for (HWND window : VisibleTopLevelWindows(program.ProcessId())) {
            if (IsMessageBox(window)) continue;
            windowVisible = true;
            outcome.lastWindow = CaptureWindow(window);
        }
        for (HWND box : MessageBoxes(program.ProcessId())) {
            if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
            // Whether the window is on screen is asked again now that the box is up.
            windowVisible = false;
            for (HWND window : VisibleTopLevelWindows(program.ProcessId())) windowVisible |= !IsMessageBox(window);
            // A box still being drawn shows no icon yet: read it again until it does.
            ShownBox shown{ReadMessageBox(box), windowVisible};
            for (int attempt = 0; attempt < 20 && shown.contents.icon == BoxIcon::None; ++attempt) {
                std::this_thread::sleep_for(100ms);
                shown.contents = ReadMessageBox(box);
            }
            if (!shown.contents.buttons.empty()) PressButton(box, shown.contents.buttons.front().id);
            outcome.boxes.push_back(std::move(shown));
            answered.push_back(box);
        }
        std::this_thread::sleep_for(30ms);
    }
    return outcome;
}

std::vector<std::wstring> UpdateScenario::Files(const std::wstring& folder) const { return FolderEntries(folder); }

std::wstring UpdateScenario::Tail() const {
    return L"/PathAggiornamento=\"" + UpdateFolder() + L"\" /ExeName=\"" + product_ + L"\"";
}

std::vector<StartRecord> UpdateScenario::ProductStarts(std::size_t expected) const {
    using namespace std::chrono_literals;
    return WaitForStartRecords(log_, expected, 5s, 300ms);
}

std::wstring InstalledVersion(std::wstring_view productName, std::wstring_view upgradeCode) {
    MsiEngine engine;
    Win32FileSystem fs;
    InstalledProductQueries q{engine, fs, ExpandEnvironmentReferences};
    return GetInstalledVersion(q, std::wstring(productName), std::wstring(upgradeCode), true);
}

} // namespace orvh::test
