// One point of the kill sweep (tests/killsweep/kill_sweep.sh runs each in a fresh prefix): a
// road's launcher ended with TerminateProcess once its journal holds the chosen line, then run
// again as the product would while Nuovo holds anything of the set; then the one property of
// every point: the uninterrupted run's end state, nothing lost.
//   kill_point.exe ROAD points   the uninterrupted run; prints "points N" (its change lines)
//   kill_point.exe ROAD K        ends the run after its K-th change line (0: at its first line)
//   kill_point.exe ROAD cut      ends it while the full package is being copied into Corrente
// Prints "RESULT road K pass|fail|excluded landed=L ..." and its findings; exits 1 on fail.
#include "bench_packages.h"
#include "delivery.h"

#include "main/update_set.h"
#include "system/file_system.h"

#include <tlhelp32.h>

#include <cstdio>
#include <functional>
#include <map>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
namespace fx = fixtures;
using Files = std::map<std::wstring, std::string>;
using Journal = std::vector<JournalLine>;

const std::wstring kSetFiles[] = {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi",
                                  L"Orvane Desk.msi", L"ORVHPatch.msp", L"ORVDPatch.msp"};

// A change on disk or a Windows Installer call (its start and its end).
bool IsChangeLine(std::wstring_view event) {
    for (const std::wstring_view start : {L"Create folder ", L"Copy ", L"Delete file ", L"Delete folder ", L"Protect folder ",
                                          L"Windows Installer: install ", L"Windows Installer: apply patch "}) {
        if (event.starts_with(start)) return true;
    }
    return false;
}

std::size_t ChangeLines(const Journal& journal) {
    return std::ranges::count_if(journal, [](const JournalLine& line) { return IsChangeLine(line.event); });
}

using KillWhen = std::function<bool(const Journal&)>;

// Ends the program as soon as `when` holds of its journal, read as it is written through;
// returns the journal once the program has gone.
Journal EndWhen(const LaunchedProgram& program, const KillWhen& when) {
    while (!program.WaitForExit(0ms)) {
        if (when(ReadJournal(program.ProcessId()))) {
            ::TerminateProcess(program.Process(), 9);
            break;
        }
    }
    program.WaitForExit(10s);
    return ReadJournal(program.ProcessId());
}

// The destination's partial copy, while it is shorter than its source; 0 when there is none.
std::uintmax_t PartialCopySize(const std::wstring& source, const std::wstring& destination) {
    std::error_code error;
    const auto written = std::filesystem::file_size(destination + std::wstring(kPartialCopySuffix), error);
    return !error && written < std::filesystem::file_size(source) ? written : 0;
}

void WaitForNoInstallerProcess() {
    for (const auto deadline = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < deadline;) {
        const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{sizeof entry};
        bool installer = false;
        for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
            installer = installer || _wcsicmp(entry.szExeFile, L"msiexec.exe") == 0;
        }
        if (!installer) return;
        std::this_thread::sleep_for(100ms);
    }
}

Files FilesIn(const std::wstring& folder) {
    Files files;
    for (const auto& name : FolderEntries(folder)) files[name] = ReadFileBytes(folder + L"\\" + name);
    return files;
}

std::string Names(const Files& files) {
    std::string names;
    for (const auto& [name, bytes] : files) names += " " + Utf8(name) + "(" + std::to_string(bytes.size()) + ")";
    return names.empty() ? " (none)" : names;
}

// Both key schemes, so that the set reads the same whichever version is installed.
void AnnounceBoth(const UpdateScenario& s, const std::wstring& file, const std::wstring& archive,
                  const std::wstring& version) {
    s.Announce(file, version);
    s.Announce(archive, version);
}

// What an earlier run left in Corrente: its configuration file and, when named, one file more.
void EarlierCorrente(const UpdateScenario& s, const std::wstring& name = L"", const std::wstring& from = L"") {
    std::filesystem::create_directories(s.Sub(L"Corrente"));
    WriteFileBytes(s.Sub(L"Corrente\\ORVHUpdate.cfg"), kEarlierConfiguration);
    if (!name.empty()) std::filesystem::copy_file(from, s.Sub(L"Corrente\\" + name));
}

struct Road {
    std::string name;
    std::function<void(UpdateScenario&)> arrange;
    std::wstring finalVersion;
    const fx::FixturePackage& oldPackage = fx::hub_1_1_601;
    const fx::FixturePackage& newPackage = fx::hub_1_2_0;
};

const Road kRoads[] = {
    {"typical",
     [](UpdateScenario& s) {
         s.Install(fx::hub_1_1_601);
         s.EarlierRun();
         s.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_1_2_0.file));
         s.Deliver(L"ORVHPatch.msp", FixturePackagePath(fx::hub_1_2_100_msp.file));
         s.Deliver(L"ORVHUpdate.exe", OrvhUpdateExe());
         AnnounceBoth(s, L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000");
         AnnounceBoth(s, L"ORVHPatch.msp", L"ORVHPatch.zip", L"0001.0002.0000.0100");
         AnnounceBoth(s, L"ORVHUpdate.exe", L"ORVHUpdate.zip", L"0001.0000.0000.0001");
     },
     L"1.2.100"},
    {"patch",
     [](UpdateScenario& s) {
         s.Install(fx::hub_1_2_0, true);
         EarlierCorrente(s, L"Orvane Hub.msi", FixturePackagePath(fx::hub_1_2_0.file));
         s.Deliver(L"ORVHPatch.msp", FixturePackagePath(fx::hub_1_2_100_msp.file));
         AnnounceBoth(s, L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000");
         AnnounceBoth(s, L"ORVHPatch.msp", L"ORVHPatch.zip", L"0001.0002.0000.0100");
     },
     L"1.2.100"},
    {"repair",
     [](UpdateScenario& s) {
         s.Install(fx::hub_1_2_0, true);
         std::filesystem::remove(s.Sub(L"Setup\\") + std::wstring(fx::hub_1_2_0.productCode) + L"\\Orvane Hub.msi");
         EarlierCorrente(s);
         s.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_1_2_0.file));
         AnnounceBoth(s, L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000");
     },
     L"1.2.0"},
    {"rotation",
     [](UpdateScenario& s) {
         s.Install(fx::hub_1_2_0, true);
         EarlierCorrente(s, L"ORVHUpdate.exe", TestProgramFolder() + L"\\sleeper_standin.exe");
         s.Deliver(L"ORVHUpdate.exe", OrvhUpdateExe());
         AnnounceBoth(s, L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000");
         AnnounceBoth(s, L"ORVHUpdate.exe", L"ORVHUpdate.zip", L"0001.0000.0000.0001");
     },
     L"1.2.0"},
    // Packages of real size, so that a copy can be cut short.
    {"large",
     [](UpdateScenario& s) {
         s.Install(fx::hub_large_1_1_601);
         EarlierCorrente(s, L"Orvane Hub.msi", FixturePackagePath(fx::hub_large_1_1_601.file));
         s.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_large_1_2_0.file));
         AnnounceBoth(s, L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000");
     },
     L"1.2.0", fx::hub_large_1_1_601, fx::hub_large_1_2_0},
};

// What is wrong with the end state; empty when nothing.
std::vector<std::string> Findings(const UpdateScenario& s, const Road& road, const Files& delivered,
                                  const Files& correnteBefore, const Files& vecchioBefore) {
    std::vector<std::string> wrong;
    const auto expect = [&](bool holds, const std::string& what) {
        if (!holds) wrong.push_back(what);
    };
    const std::wstring installed = InstalledVersion(fx::hub_1_1_601.upgradeCode);
    expect(installed == road.finalVersion, "installed version " + Utf8(installed) + ", not " + Utf8(road.finalVersion));
    for (const auto& name : kSetFiles) {
        expect(!std::filesystem::exists(s.Sub(L"Nuovo\\" + name)), "Nuovo still holds " + Utf8(name));
    }
    const Files corrente = FilesIn(s.Sub(L"Corrente"));
    for (const auto& [name, bytes] : delivered) {
        expect(corrente.count(name) && corrente.at(name) == bytes, "Corrente lacks the delivered " + Utf8(name));
    }
    Files vecchio = vecchioBefore;
    for (const auto& [name, bytes] : correnteBefore) {
        if (delivered.count(name)) vecchio[name] = bytes;
    }
    expect(FilesIn(s.Sub(L"Vecchio")) == vecchio,
           "Vecchio holds" + Names(FilesIn(s.Sub(L"Vecchio"))) + ", not" + Names(vecchio));
    const std::wstring newCode(road.newPackage.productCode), oldCode(road.oldPackage.productCode);
    for (const auto& name : FolderEntries(s.Sub(L"Setup"))) {
        expect(name == newCode || name == oldCode, "Setup holds " + Utf8(name));
    }
    const Files source = FilesIn(s.Sub(L"Setup\\" + newCode));
    expect(source.count(L"Orvane Hub.msi") && source.at(L"Orvane Hub.msi") == ReadFileBytes(FixturePackagePath(road.newPackage.file)),
           "the installation source lacks the complete package:" + Names(source));
    for (const Files& folder : {corrente, source}) {
        for (const auto& [name, bytes] : folder) {
            expect(!name.ends_with(kPartialCopySuffix) && !name.ends_with(kVerificationCopySuffix),
                   "a copy of the run is left: " + Utf8(name));
        }
    }
    return wrong;
}

int Sweep(const Road& road, const std::string& point) {
    UpdateScenario s;
    road.arrange(s);
    const Files delivered = FilesIn(s.Sub(L"Nuovo"));
    const Files correnteBefore = FilesIn(s.Sub(L"Corrente"));
    const Files vecchioBefore = FilesIn(s.Sub(L"Vecchio"));
    const std::wstring program = s.Root() / L"Program\\OrvhUpdate.exe";
    std::filesystem::copy_file(OrvhUpdateExe(), program);

    Journal first;
    std::size_t boxes = 0;
    bool again = false;
    if (point == "points") {
        const RunOutcome run = s.Run(s.Tail());
        boxes = run.boxes.size();
        first = run.journal;
        std::printf("points %zu\n", ChangeLines(first));
    } else {
        const std::wstring source = s.Sub(L"Nuovo\\Orvane Hub.msi"), staged = s.Sub(L"Corrente\\Orvane Hub.msi");
        const auto kill = point == "cut" ? KillWhen([&](const Journal&) { return PartialCopySize(source, staged) > 0; })
                                         : KillWhen([k = std::stoul(point)](const Journal& journal) {
                                               return k == 0 ? !journal.empty() : ChangeLines(journal) >= k;
                                           });
        first = EndWhen(LaunchedProgram(program, s.Tail()), kill);
        if (point == "cut" && PartialCopySize(source, staged) == 0) {
            std::printf("RESULT %s cut fail: the copy into Corrente was not cut short\n", road.name.c_str());
            return 1;
        }
        WaitForNoInstallerProcess();
        for (const auto& name : kSetFiles) again = again || std::filesystem::exists(s.Sub(L"Nuovo\\" + name));
        if (again) boxes = s.Run(s.Tail()).boxes.size();
    }
    std::vector<std::string> wrong = Findings(s, road, delivered, correnteBefore, vecchioBefore);
    if (boxes != 0) wrong.push_back(std::to_string(boxes) + " message boxes shown");
    // With Nuovo empty nothing starts the launcher again: the product is started by whoever
    // starts it next, as after any end of the launcher.
    const bool startedFirst = std::ranges::any_of(first, [](const auto& l) { return l.event.starts_with(L"Start program "); });
    const std::size_t expected = again || startedFirst ? 1 : 0, starts = s.ProductStarts(expected).size();
    if (starts != expected || (again && startedFirst)) {
        wrong.push_back("product started " + std::to_string(starts) + " times" + (startedFirst ? ", by the first run" : ""));
    }

    std::wstring landed = L"(no change yet)";
    for (const auto& line : first) {
        if (IsChangeLine(line.event)) landed = line.event;
    }
    const bool inInstaller = landed.starts_with(L"Windows Installer: ") && landed.find(L", properties \"") != landed.npos;
    const char* verdict = inInstaller ? "excluded" : wrong.empty() ? "pass" : "fail";
    std::printf("RESULT %s %s %s landed=%zu%s after: %s\n", road.name.c_str(), point.c_str(), verdict, ChangeLines(first),
                again ? " second-run" : "", Utf8(landed).c_str());
    for (const auto& finding : wrong) std::printf("  %s\n", finding.c_str());
    return wrong.empty() || inInstaller ? 0 : 1;
}

} // namespace
} // namespace orvh::test

int main(int argc, char** argv) {
    for (const auto& road : orvh::test::kRoads) {
        if (argc == 3 && road.name == argv[1]) return orvh::test::Sweep(road, argv[2]);
    }
    std::fprintf(stderr, "usage: kill_point ROAD points|K|cut\n");
    return 2;
}
