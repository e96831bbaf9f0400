// Figure 1: one typical update run through OrvhUpdate.exe ("Orvane Hub" 1.1.601 installed,
// the full package 1.2.0, its patch 1.2.100 and ORVHUpdate.cfg in Nuovo, the product started
// at the end) against the same two installations without the launcher. Every run starts
// from 1.1.601 freshly installed and ends with everything removed again; the three ways are
// taken in turn, in an order that turns each round. Two cases: the small test fixtures, and
// the Hub as a package of real size (bench_packages.h, made by bench/large_packages.cmake).
//
// A fourth way in each round is the launcher signed, over the same packages signed by its
// publisher (bin\fixtures\signed): what verifying the set costs.
//
// The comparison is a process of this driver that makes exactly the launcher's Windows
// Installer calls (the same user interface level, properties and packages): it pays one
// process start, as the launcher does, and nothing else. msiexec is measured beside it
// for reference; it shows no user interface at all and costs two process starts.
#include "figures.h"

#include "bench_packages.h"
#include "fixture_packages.h"
#include "installer/product_installer.h"
#include "installer/installation.h"
#include "started_programs.h"
#include "message_boxes.h"
#include "paths.h"
#include "delivery.h"

#include <msi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace orvh::bench {
namespace {

using namespace std::chrono_literals;
using orvh::test::JournalLine;
using orvh::test::LaunchedProgram;
using orvh::test::UpdateScenario;
namespace fx = orvh::test::fixtures;

constexpr auto kRunTimeout = 10min;
// The large case's runs are long: at most this many.
constexpr int kLargeRuns = 3;

// The installed product before the run, what Nuovo holds, and the version it ends at.
struct UpdateCase {
    const char* title;
    const fx::FixturePackage& start;
    const fx::FixturePackage& package;
    const fx::FixturePatch& patch;
    // The signed copies of the package and the patch (in bin\fixtures\signed).
    const wchar_t* signedPackage;
    const wchar_t* signedPatch;
};

const UpdateCase kSmallCase{"test fixtures", fx::hub_1_1_601, fx::hub_1_2_0, fx::hub_1_2_100_msp, L"hub-1.2.0.msi",
                            L"hub-1.2.100.msp"};
const UpdateCase kLargeCase{"package of real size", fx::hub_large_1_1_601, fx::hub_large_1_2_0, fx::hub_large_1_2_100_msp,
                            L"hub-large-1.2.0.msi", L"hub-large-1.2.100.msp"};

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

void Copy(const std::wstring& from, const std::wstring& to) {
    if (!::CopyFileW(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("copying a package failed");
}

// "1.2.100" as ORVHUpdate.cfg announces it: "0001.0002.0000.0100".
std::wstring Announced(std::wstring_view version) {
    unsigned major = 0, minor = 0, build = 0;
    std::swscanf(std::wstring(version).c_str(), L"%u.%u.%u", &major, &minor, &build);
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u.%04u.0000.%04u", major, minor, build);
    return text;
}

void ExpectPatched(const UpdateCase& update, const char* what) {
    const std::wstring version = orvh::test::InstalledVersion(update.start.upgradeCode);
    if (version != update.patch.version) {
        std::printf("%s left version '%ls' installed\n", what, version.c_str());
        throw std::runtime_error("the update was not installed");
    }
}

// Milliseconds from starting the program to its end; a message box means the run failed.
// The program's journal, if it writes one, goes to `journal`.
double TimedRun(const std::wstring& exe, const std::wstring& tail, DWORD* exitCode = nullptr,
                std::vector<JournalLine>* journal = nullptr) {
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
    if (journal) *journal = orvh::test::ReadJournal(program.ProcessId());
    return elapsed.count();
}

struct LauncherTimes {
    double ms = 0;
    std::vector<JournalLine> journal;
};

// The wall time of one update run of the launcher, and the journal it wrote; the launcher
// and the packages signed when SIGNED.
LauncherTimes LauncherRun(const UpdateCase& update, const UpdateScenario& scenario, bool signedSet) {
    using orvh::test::FixturePackagePath, orvh::test::SignedFixture;
    scenario.Deliver(L"Orvane Hub.msi", signedSet ? SignedFixture(update.signedPackage) : FixturePackagePath(update.package.file));
    scenario.Announce(L"Orvane Hub.msi", Announced(update.package.version));
    scenario.Deliver(L"ORVHPatch.msp", signedSet ? SignedFixture(update.signedPatch) : FixturePackagePath(update.patch.file));
    scenario.Announce(L"ORVHPatch.msp", Announced(update.patch.version));
    const std::wstring exe = scenario.Root() / L"OrvhUpdate.exe";
    Copy(signedSet ? SignedFixture(L"OrvhUpdate.exe") : orvh::test::OrvhUpdateExe(), exe);

    LauncherTimes times;
    times.ms = TimedRun(exe, L"/PathAggiornamento=" + Quoted(scenario.UpdateFolder()) + L" /ExeName=" +
                                 Quoted(scenario.ProductPath()), nullptr, &times.journal);
    ExpectPatched(update, "OrvhUpdate.exe");
    return times;
}

struct Packages {
    std::wstring package;
    std::wstring patch;
};

Packages CopiedPackages(const UpdateCase& update, const UpdateScenario& scenario) {
    const Packages copies{scenario.Root() / std::wstring(update.package.file),
                          scenario.Root() / std::wstring(update.patch.file)};
    Copy(orvh::test::FixturePackagePath(update.package.file), copies.package);
    Copy(orvh::test::FixturePackagePath(update.patch.file), copies.patch);
    return copies;
}

double InstallerAloneRun(const UpdateCase& update, const UpdateScenario& scenario) {
    const Packages copies = CopiedPackages(update, scenario);
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD exitCode = 0;
    const double ms = TimedRun(self, L"install-alone " + Quoted(copies.package) + L" " + Quoted(copies.patch), &exitCode);
    if (exitCode != ERROR_SUCCESS) {
        std::printf("Windows Installer alone ended with %lu\n", exitCode);
        throw std::runtime_error("the installations alone failed");
    }
    ExpectPatched(update, "Windows Installer alone");
    return ms;
}

struct MsiexecTimes {
    double install = 0;
    double patch = 0;
};

MsiexecTimes MsiexecRun(const UpdateCase& update, const UpdateScenario& scenario) {
    const Packages copies = CopiedPackages(update, scenario);
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring msiexec = std::wstring(system) + L"\\msiexec.exe";
    MsiexecTimes times;
    times.install = TimedRun(msiexec, L"/i " + Quoted(copies.package) + L" /qn");
    times.patch = TimedRun(msiexec, L"/p " + Quoted(copies.patch) + L" " + PropertiesOf({Reinstall::Patch}) + L" /qn");
    ExpectPatched(update, "msiexec");
    return times;
}

struct UpdateSamples {
    Samples launcher, alone, msiexec, signedLauncher;
    std::vector<std::vector<JournalLine>> journals, signedJournals;  // of the launcher's runs
    Samples msiexecPatch;  // the msiexec /p part
    Samples startInstalls; // of the start version before each run, not counted in the others
};

// Runs WAY in a fresh scenario whose start version it installs first, timed apart; the
// scenario removes every product when it ends.
template <typename Way>
auto FromFreshStart(const UpdateCase& update, UpdateSamples& samples, Way way) {
    UpdateScenario scenario;
    const auto start = std::chrono::steady_clock::now();
    if (scenario.Install(update.start) != ERROR_SUCCESS) throw std::runtime_error("installing the start version failed");
    const std::chrono::duration<double, std::milli> installed = std::chrono::steady_clock::now() - start;
    samples.startInstalls.values.push_back(installed.count());
    return way(update, scenario);
}

// Each way once, in an order that turns with ROUND, so that no way always comes after the
// same one on a machine whose load drifts.
void Round(const UpdateCase& update, int round, UpdateSamples& samples) {
    const auto launcher = [](const UpdateCase& u, const UpdateScenario& s) { return LauncherRun(u, s, false); };
    const auto signedLauncher = [](const UpdateCase& u, const UpdateScenario& s) { return LauncherRun(u, s, true); };
    for (int turn = 0; turn < 4; ++turn) {
        switch ((round + turn) % 4) {
        case 0: {
            LauncherTimes times = FromFreshStart(update, samples, launcher);
            samples.launcher.values.push_back(times.ms);
            samples.journals.push_back(std::move(times.journal));
            break;
        }
        case 3: {
            LauncherTimes times = FromFreshStart(update, samples, signedLauncher);
            samples.signedLauncher.values.push_back(times.ms);
            samples.signedJournals.push_back(std::move(times.journal));
            break;
        }
        case 1:
            samples.alone.values.push_back(FromFreshStart(update, samples, InstallerAloneRun));
            break;
        default:
            const MsiexecTimes times = FromFreshStart(update, samples, MsiexecRun);
            samples.msiexec.values.push_back(times.install + times.patch);
            samples.msiexecPatch.values.push_back(times.patch);
        }
    }
}

// RUNS rounds; a first one not counted when WARM_UP.
UpdateSamples MeasureCase(const UpdateCase& update, int runs, bool warmUp) {
    for (const auto& package : {std::wstring(update.start.file), std::wstring(update.package.file),
                                std::wstring(update.patch.file), L"signed\\" + std::wstring(update.signedPackage),
                                L"signed\\" + std::wstring(update.signedPatch)}) {
        if (!std::filesystem::exists(orvh::test::FixturePackagePath(package))) {
            std::printf("missing %ls: bench/run.sh makes it (target orvh_bench_packages)\n", std::wstring(package).c_str());
            throw std::runtime_error("a package of the bench is missing");
        }
    }
    if (warmUp) {
        UpdateSamples discarded;
        Round(update, 0, discarded);
    }
    UpdateSamples samples;
    Samples ratios;
    for (int run = 0; run < runs; ++run) {
        Round(update, run, samples);
        ratios.values.push_back(samples.launcher.values.back() / samples.alone.values.back());
        std::printf("  run %d: OrvhUpdate.exe %.0f ms, signed %.0f ms, Windows Installer alone %.0f ms, msiexec %.0f ms "
                    "(/p %.0f ms)\n",
                    run + 1, samples.launcher.values.back(), samples.signedLauncher.values.back(),
                    samples.alone.values.back(), samples.msiexec.values.back(), samples.msiexecPatch.values.back());
    }
    PrintSamples("  OrvhUpdate.exe update run", samples.launcher, "ms");
    PrintSamples("  signed OrvhUpdate.exe over the signed set", samples.signedLauncher, "ms");
    PrintSamples("  Windows Installer alone (same calls, one process)", samples.alone, "ms");
    PrintSamples("  msiexec /i /qn + msiexec /p /qn (reference)", samples.msiexec, "ms");
    PrintSamples("    of which msiexec /p", samples.msiexecPatch, "ms");
    PrintSamples("  installing the start version before a run (not counted above)", samples.startInstalls, "ms");
    PrintSamples("  ratio per run, OrvhUpdate.exe / Windows Installer alone", ratios, "");
    std::printf("  ratio of medians, OrvhUpdate.exe / Windows Installer alone: %.3f\n",
                samples.launcher.Median() / samples.alone.Median());
    std::printf("  ratio of medians, signed OrvhUpdate.exe / Windows Installer alone: %.3f\n",
                samples.signedLauncher.Median() / samples.alone.Median());
    std::printf("  ratio of medians, OrvhUpdate.exe / msiexec: %.3f\n", samples.launcher.Median() / samples.msiexec.Median());
    // The launcher's runs nearest the median, as their journals tell them.
    const auto breakdown = [](const Samples& runs, const std::vector<std::vector<JournalLine>>& journals) {
        std::size_t median = 0;
        for (std::size_t run = 0; run < runs.values.size(); ++run) {
            const auto distance = [&](std::size_t i) { return std::abs(runs.values[i] - runs.Median()); };
            if (distance(run) < distance(median)) median = run;
        }
        PrintBreakdown(journals[median], runs.values[median]);
    };
    breakdown(samples.launcher, samples.journals);
    std::printf("  the signed launcher over the signed set:\n");
    breakdown(samples.signedLauncher, samples.signedJournals);
    return samples;
}
} // namespace

int InstallAlone(const std::wstring& package, const std::wstring& patch) {
    ::MsiSetInternalUI(static_cast<INSTALLUILEVEL>(kUiLevelBasicProgressOnly), nullptr);
    const UINT installed = ::MsiInstallProductW(package.c_str(), L"");
    if (installed != ERROR_SUCCESS) return static_cast<int>(installed);
    const std::wstring properties = PropertiesOf({Reinstall::Patch});
    return static_cast<int>(::MsiApplyPatchW(patch.c_str(), nullptr, INSTALLTYPE_DEFAULT, properties.c_str()));
}

void MeasureUpdateRuns(int runs) {
    if (!orvh::test::TrustTestRoot()) throw std::runtime_error("the test root of the signed copies is not trusted");
    std::printf("\n(1) update run, 1.1.601 -> 1.2.0 + patch 1.2.100, fresh 1.1.601 before each run: %s\n", kSmallCase.title);
    // One round first, not counted: the first installation in a new prefix pays for
    // loading Windows Installer's files.
    const UpdateSamples small = MeasureCase(kSmallCase, runs, true);
    const int largeRuns = std::min(runs, kLargeRuns);
    std::printf("\n(1) the same: %s, %d runs\n", kLargeCase.title, largeRuns);
    const UpdateSamples large = MeasureCase(kLargeCase, largeRuns, false);
    PrintFigure("update-vs-same-calls-ratio", small.launcher.Median() / small.alone.Median());
    PrintFigure("large-update-vs-same-calls-ratio", large.launcher.Median() / large.alone.Median());
    PrintFigure("update-vs-msiexec-ratio", small.launcher.Median() / small.msiexec.Median());
    PrintFigure("signed-update-vs-same-calls-ratio", small.signedLauncher.Median() / small.alone.Median());
    PrintFigure("large-signed-update-vs-same-calls-ratio", large.signedLauncher.Median() / large.alone.Median());
}

} // namespace orvh::bench
