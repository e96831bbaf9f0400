#include "update_scenario.h"

#include "fixture_paths.h"
#include "installer/installed_product.h"
#include "installer/msi_engine_win32.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"

#include <msi.h>

#include <algorithm>
#include <filesystem>

namespace orvh::test {

UpdateScenario::UpdateScenario() : product_(root_ / L"Prod dir\\Hub.exe") {
    // The product lives in a folder whose name has a blank, as under Program Files.
    std::filesystem::create_directories(root_ / L"Prod dir");
    ::CopyFileW(StandinPath(L"product_standin.exe").c_str(), product_.c_str(), FALSE);
    std::filesystem::create_directories(root_ / L"starts");
    ::SetEnvironmentVariableW(kStandinLogVariable, (root_ / L"starts").c_str());
}

UpdateScenario::~UpdateScenario() {
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    for (const auto& code : InstalledProductCodes()) {
        ::MsiConfigureProductW(code.c_str(), INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
    }
    ::SetEnvironmentVariableW(kStandinLogVariable, nullptr);
}

void UpdateScenario::Deliver(const std::wstring& name, const std::wstring& sourcePath) {
    std::filesystem::create_directories(Sub(L"Nuovo"));
    ::CopyFileW(sourcePath.c_str(), (Sub(L"Nuovo") + L"\\" + name).c_str(), FALSE);
}

void UpdateScenario::DeliverPackage(const std::wstring& name, const fixtures::FixturePackage& package) {
    Deliver(name, FixturePackagePath(package.file));
}

void UpdateScenario::Announce(const std::wstring& key, const std::wstring& version) {
    std::filesystem::create_directories(Sub(L"Nuovo"));
    ::WritePrivateProfileStringW(L"Versione", key.c_str(), version.c_str(), (Sub(L"Nuovo") + L"\\ORVHUpdate.cfg").c_str());
}

unsigned UpdateScenario::Install(const fixtures::FixturePackage& package) {
    std::filesystem::create_directories(root_ / L"Delivered");
    return installs_.Install(package, root_ / L"Delivered");
}

RunOutcome UpdateScenario::Run(const std::wstring& tail, std::chrono::milliseconds timeout,
                               const std::wstring& programFolder) {
    using namespace std::chrono;
    const std::wstring folder = programFolder.empty() ? root_ / L"Program" : programFolder;
    std::filesystem::create_directories(folder);
    ::CopyFileW(OrvhUpdateExe().c_str(), (folder + L"\\OrvhUpdate.exe").c_str(), FALSE);
    const LaunchedProgram program(folder + L"\\OrvhUpdate.exe", tail);
    RunOutcome outcome;
    std::vector<HWND> answered;
    for (const auto deadline = steady_clock::now() + timeout; !outcome.ended && steady_clock::now() < deadline;
         outcome.ended = program.WaitForExit(30ms)) {
        // Windows listed first: a box that comes between the two lists is no window.
        std::vector<HWND> windows = VisibleTopLevelWindows(program.ProcessId());
        const auto boxes = MessageBoxes(program.ProcessId());
        std::erase_if(windows, [&](HWND w) { return std::ranges::count(boxes, w) + std::ranges::count(answered, w) > 0; });
        for (HWND window : windows) outcome.lastWindow = CaptureWindow(window);
        for (HWND box : boxes) {
            if (std::ranges::count(answered, box) > 0) continue;
            answered.push_back(box);
            outcome.boxes.push_back({ReadMessageBox(box), !windows.empty()});
            const auto& buttons = outcome.boxes.back().contents.buttons;
            if (!buttons.empty()) PressButton(box, buttons.front().id);
        }
    }
    return outcome;
}

std::wstring UpdateScenario::Tail() const {
    return L"/PathAggiornamento=\"" + UpdateFolder() + L"\" /ExeName=\"" + product_ + L"\"";
}

std::vector<StartRecord> UpdateScenario::ProductStarts(std::size_t expected) const {
    using namespace std::chrono_literals;
    return WaitForStartRecords(root_ / L"starts", expected, 5s, 300ms);
}

std::wstring InstalledVersion(std::wstring_view productName, std::wstring_view upgradeCode) {
    MsiEngine engine;
    Win32FileSystem fs;
    InstalledProductQueries queries{engine, fs, ExpandEnvironmentReferences};
    return GetInstalledVersion(queries, std::wstring(productName), std::wstring(upgradeCode), true);
}

} // namespace orvh::test
