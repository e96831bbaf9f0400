// Figure 1: one typical update run through OrvhUpdate.exe ("Orvane Hub" 1.1.601 installed,
// the full package 1.2.0, its patch 1.2.100 and ORVHUpdate.cfg in Nuovo, the product started
// at the end) against the same two installations without the launcher. Every run starts
// from 1.1.601 freshly installed and ends with everything removed again.
//
// The comparison is a process of this driver that makes exactly the launcher's Windows
// Installer calls (the same user interface level, properties and packages): it pays one
// process start, as the launcher does, and nothing else. msiexec is measured beside it
// for reference; it shows no user interface at all and costs two process starts.
#include "figures.h"

#include "fixture_packages.h"
#include "installer/product_installer.h"
#include "installer/installation.h"
#include "standins.h"
#include "message_box_reader.h"
#include "test_paths.h"
#include "update_scenario.h"

#include <msi.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace orvh::bench {
namespace {

using namespace std::chrono_literals;
using orvh::test::LaunchedProgram;
using orvh::test::UpdateScenario;
namespace fx = orvh::test::fixtures;

constexpr auto kRunTimeout = 5min;
constexpr wchar_t kPatchedVersion[] = L"1.2.100";

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

void Copy(const std::wstring& from, const std::wstring& to) {
    if (!::CopyFileW(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("copying a package failed");
}

// Starts 1.1.601 from its own copy, as a delivered product.
void InstallStart(UpdateScenario& scenario) {
    if (scenario.Install(fx::hub_1_1_601) != ERROR_SUCCESS) throw std::runtime_error("installing 1.1.601 failed");
}

void ExpectPatched(const char* what) {
    const std::wstring version = orvh::test::InstalledVersion(fx::hub_1_1_601.upgradeCode);
    if (version != kPatchedVersion) {
        std::printf("%s left version '%ls' installed\n", what, version.c_str());
        throw std::runtime_error("the update was not installed");
    }
}

// Milliseconds from starting the program to its end; a message box means the run failed.
double TimedRun(const std::wstring& exe, const std::wstring& tail, DWORD* exitCode = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    LaunchedProgram program(exe, tail);
    const auto deadline = start + kRunTimeout;
    while (!program.WaitForExit(250ms)) {
        if (const HWND shown = orvh::test::WaitForMessageBox(program.ProcessId(), 0ms)) {
            const auto box = orvh::test::ReadMessageBox(shown);
            std::printf("unexpected message box \"%ls\": %ls\n", box.title.c_str(), box.text.c_str());
            throw std::runtime_error("the run showed a message box");
        }
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the run did not end in time");
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    if (exitCode) ::GetExitCodeProcess(program.Process(), exitCode);
    return elapsed.count();
}

double LauncherRun() {
    UpdateScenario scenario;
    InstallStart(scenario);
    scenario.Deliver(L"Orvane Hub.msi", orvh::test::FixturePackagePath(fx::hub_1_2_0.file));
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    scenario.Deliver(L"ORVHPatch.msp", orvh::test::FixturePackagePath(fx::hub_1_2_100_msp.file));
    scenario.Announce(L"ORVHPatch.msp", L"0001.0002.0000.0100");
    const std::wstring exe = scenario.Root() / L"OrvhUpdate.exe";
    Copy(orvh::test::OrvhUpdateExe(), exe);

    const double ms = TimedRun(exe, L"/PathAggiornamento=" + Quoted(scenario.UpdateFolder()) +
                                        L" /ExeName=" + Quoted(scenario.ProductPath()));
    ExpectPatched("OrvhUpdate.exe");
    return ms;
}

struct Packages {
    std::wstring package;
    std::wstring patch;
};

Packages CopiedPackages(const UpdateScenario& scenario) {
    const Packages copies{scenario.Root() / std::wstring(fx::hub_1_2_0.file),
                          scenario.Root() / std::wstring(fx::hub_1_2_100_msp.file)};
    Copy(orvh::test::FixturePackagePath(fx::hub_1_2_0.file), copies.package);
    Copy(orvh::test::FixturePackagePath(fx::hub_1_2_100_msp.file), copies.patch);
    return copies;
}

double InstallerAloneRun() {
    UpdateScenario scenario;
    InstallStart(scenario);
    const Packages copies = CopiedPackages(scenario);
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD exitCode = 0;
    const double ms = TimedRun(self, L"install-alone " + Quoted(copies.package) + L" " + Quoted(copies.patch), &exitCode);
    if (exitCode != ERROR_SUCCESS) {
        std::printf("Windows Installer alone ended with %lu\n", exitCode);
        throw std::runtime_error("the installations alone failed");
    }
    ExpectPatched("Windows Installer alone");
    return ms;
}

double MsiexecRun() {
    UpdateScenario scenario;
    InstallStart(scenario);
    const Packages copies = CopiedPackages(scenario);
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring msiexec = std::wstring(system) + L"\\msiexec.exe";
    const double ms = TimedRun(msiexec, L"/i " + Quoted(copies.package) + L" /qn") +
                      TimedRun(msiexec, L"/p " + Quoted(copies.patch) + L" " + kPatchReinstall + L" /qn");
    ExpectPatched("msiexec");
    return ms;
}

} // namespace

int InstallAlone(const std::wstring& package, const std::wstring& patch) {
    ::MsiSetInternalUI(static_cast<INSTALLUILEVEL>(kUiLevelBasicProgressOnly), nullptr);
    const UINT installed = ::MsiInstallProductW(package.c_str(), L"");
    if (installed != ERROR_SUCCESS) return static_cast<int>(installed);
    return static_cast<int>(::MsiApplyPatchW(patch.c_str(), nullptr, INSTALLTYPE_DEFAULT, kPatchReinstall));
}

void MeasureUpdateRuns(int runs) {
    std::printf("\n(1) update run, 1.1.601 -> 1.2.0 + patch 1.2.100, fresh 1.1.601 before each run\n");
    // One run of each first, not counted: the first installation in a new prefix pays
    // for loading Windows Installer's files.
    LauncherRun();
    InstallerAloneRun();
    MsiexecRun();

    Samples launcher, alone, msiexec, ratios;
    for (int run = 0; run < runs; ++run) {
        launcher.values.push_back(LauncherRun());
        alone.values.push_back(InstallerAloneRun());
        msiexec.values.push_back(MsiexecRun());
        ratios.values.push_back(launcher.values.back() / alone.values.back());
        std::printf("  run %d: OrvhUpdate.exe %.0f ms, Windows Installer alone %.0f ms, msiexec %.0f ms\n", run + 1,
                    launcher.values.back(), alone.values.back(), msiexec.values.back());
    }
    PrintSamples("  OrvhUpdate.exe update run", launcher, "ms");
    PrintSamples("  Windows Installer alone (same calls, one process)", alone, "ms");
    PrintSamples("  msiexec /i /qn + msiexec /p /qn (reference)", msiexec, "ms");
    PrintSamples("  ratio per run, OrvhUpdate.exe / Windows Installer alone", ratios, "");
    std::printf("  ratio of medians against msiexec (reference): %.3f\n", launcher.Median() / msiexec.Median());
    PrintFigure("update-vs-msiexec-ratio", launcher.Median() / alone.Median());
}

} // namespace orvh::bench
