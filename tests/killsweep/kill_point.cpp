// One point of the kill sweep (tests/wine_host/kill_sweep.sh runs each in a fresh prefix):
// a road of the update run whose launcher is ended with TerminateProcess once its journal
// holds the chosen line, then started again with the same command line while Nuovo still
// holds anything of the set, as the product would. Afterwards the one property of every
// point: the uninterrupted run's end state, nothing lost.
//   kill_point.exe ROAD points   the uninterrupted run; prints "points N" (its change lines)
//   kill_point.exe ROAD K        ends the run after its K-th change line (0: at its first line)
//   kill_point.exe ROAD cut      ends it while the full package is being copied into Corrente
// Prints "RESULT road K pass|fail|excluded landed=L ..." and its findings; exits 1 on fail.
#include "bench_packages.h"
#include "update_scenario.h"

#include "system/file_system.h"

#include <tlhelp32.h>

#include <cstdio>
#include <functional>
#include <iostream>
#include <map>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
namespace fx = fixtures;
using Files = std::map<std::wstring, std::string>;

const std::wstring kSetFiles[] = {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi",
                                  L"Orvane Desk.msi", L"ORVHPatch.msp", L"ORVDPatch.msp"};

// A change on disk or a Windows Installer call (its start and its end).
bool IsChangeLine(std::string_view event) {
    for (const std::string_view start : {"Create folder ", "Copy ", "Delete file ", "Delete folder ",
                                         "Windows Installer: install ", "Windows Installer: apply patch "}) {
        if (event.starts_with(start)) return true;
    }
    return false;
}
bool IsInstallerCall(std::string_view event) {
    return event.starts_with("Windows Installer: ") && event.find(", properties \"") != event.npos;
}

// The journal's complete lines, their time stamps left out.
std::vector<std::string> Events(const std::string& text) {
    std::vector<std::string> events;
    for (std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0, next; (next = text.find("\r\n", at)) != text.npos;
         at = next + 2) {
        const std::string line = text.substr(at, next - at);
        const auto stamp = line.find(" ms  ");
        events.push_back(stamp == line.npos ? line : line.substr(stamp + 5));
    }
    return events;
}

std::size_t ChangeLines(const std::vector<std::string>& events) { return std::ranges::count_if(events, IsChangeLine); }

std::wstring JournalOf(DWORD processId) {
    std::wstring found;
    for (const auto& name : FolderEntries(JournalFolder())) {
        if (name.ends_with(L"_" + std::to_wstring(processId) + L".log")) found = JournalFolder() + L"\\" + name;
    }
    return found;
}

using KillWhen = std::function<bool(const std::vector<std::string>& events)>;

// Ends the program as soon as `when` holds of its journal's events, read as they are
// written; returns the journal's events once the program has gone.
std::vector<std::string> EndWhen(const LaunchedProgram& program, const KillWhen& when) {
    UniqueFile journal;
    std::string text;
    char buffer[65536];
    while (!program.WaitForExit(0ms)) {
        if (!journal) {
            const std::wstring path = JournalOf(program.ProcessId());
            if (!path.empty()) {
                journal.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
            }
            continue;
        }
        DWORD read = 0;
        while (::ReadFile(journal.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
        if (when(Events(text))) {
            ::TerminateProcess(program.Process(), 9);
            break;
        }
    }
    program.WaitForExit(10s);
    return Events(ReadFileBytes(JournalOf(program.ProcessId())));
}

// After `kill` change lines; 0: at the journal's first line.
KillWhen AfterChangeLines(std::size_t kill) {
    return [kill](const auto& events) { return kill == 0 ? !events.empty() : ChangeLines(events) >= kill; };
}

// While the copy to `destination` is under way: its partial file is there and still short.
KillWhen DuringCopy(const std::wstring& source, const std::wstring& destination) {
    const auto size = std::filesystem::file_size(source);
    return [=](const auto&) {
        std::error_code error;
        const auto written = std::filesystem::file_size(destination + std::wstring(kPartialCopySuffix), error);
        return !error && written > 0 && written < size;
    };
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
    for (const auto& [name, bytes] : files) names += " " + Narrow(name) + "(" + std::to_string(bytes.size()) + ")";
    return names.empty() ? " (none)" : names;
}

// The product installed from a copy in Setup\{product code}, as an earlier run left it.
void InstallFromSetup(const UpdateScenario& s, const fx::FixturePackage& package) {
    const std::wstring folder = s.Sub(L"Setup\\") + std::wstring(package.productCode);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(FixturePackagePath(package.file), folder + L"\\Orvane Hub.msi");
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    ::MsiInstallProductW((folder + L"\\Orvane Hub.msi").c_str(), L"");
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
         InstallFromSetup(s, fx::hub_1_2_0);
         EarlierCorrente(s, L"Orvane Hub.msi", FixturePackagePath(fx::hub_1_2_0.file));
         s.Deliver(L"ORVHPatch.msp", FixturePackagePath(fx::hub_1_2_100_msp.file));
         AnnounceBoth(s, L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000");
         AnnounceBoth(s, L"ORVHPatch.msp", L"ORVHPatch.zip", L"0001.0002.0000.0100");
     },
     L"1.2.100"},
    {"repair",
     [](UpdateScenario& s) {
         InstallFromSetup(s, fx::hub_1_2_0);
         std::filesystem::remove(s.Sub(L"Setup\\") + std::wstring(fx::hub_1_2_0.productCode) + L"\\Orvane Hub.msi");
         EarlierCorrente(s);
         s.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_1_2_0.file));
         AnnounceBoth(s, L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000");
     },
     L"1.2.0"},
    {"rotation",
     [](UpdateScenario& s) {
         InstallFromSetup(s, fx::hub_1_2_0);
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
    expect(installed == road.finalVersion, "installed version " + Narrow(installed) + ", not " + Narrow(road.finalVersion));
    for (const auto& name : kSetFiles) {
        expect(!std::filesystem::exists(s.Sub(L"Nuovo\\" + name)), "Nuovo still holds " + Narrow(name));
    }
    const Files corrente = FilesIn(s.Sub(L"Corrente"));
    for (const auto& [name, bytes] : delivered) {
        expect(corrente.count(name) && corrente.at(name) == bytes, "Corrente lacks the delivered " + Narrow(name));
    }
    Files vecchio = vecchioBefore;
    for (const auto& [name, bytes] : correnteBefore) {
        if (delivered.count(name)) vecchio[name] = bytes;
    }
    expect(FilesIn(s.Sub(L"Vecchio")) == vecchio,
           "Vecchio holds" + Names(FilesIn(s.Sub(L"Vecchio"))) + ", not" + Names(vecchio));
    for (const auto& [name, bytes] : corrente) {
        expect(!name.ends_with(kPartialCopySuffix), "Corrente holds " + Narrow(name));
    }
    const std::wstring newCode(road.newPackage.productCode), oldCode(road.oldPackage.productCode);
    for (const auto& name : FolderEntries(s.Sub(L"Setup"))) {
        expect(name == newCode || name == oldCode, "Setup holds " + Narrow(name));
    }
    const Files source = FilesIn(s.Sub(L"Setup\\" + newCode));
    const std::string package = ReadFileBytes(FixturePackagePath(road.newPackage.file));
    const std::string patch = ReadFileBytes(FixturePackagePath(fx::hub_1_2_100_msp.file));
    for (const auto& [name, bytes] : source) {
        expect((name == L"Orvane Hub.msi" && bytes == package) || (name == L"ORVHPatch.msp" && bytes == patch),
               "the installation source holds" + Names(source));
    }
    expect(source.count(L"Orvane Hub.msi") == 1, "the installation source lacks the package:" + Names(source));
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

    std::vector<std::string> first;
    std::size_t boxes = 0;
    bool again = false;
    if (point == "points") {
        const RunOutcome run = s.Run(s.Tail());
        boxes = run.boxes.size();
        for (const auto& line : run.journal) first.push_back(Narrow(line.event));
        std::printf("points %zu\n", ChangeLines(first));
    } else {
        const bool cut = point == "cut";
        const std::wstring staged = s.Sub(L"Corrente\\Orvane Hub.msi");
        first = EndWhen(LaunchedProgram(program, s.Tail()), cut ? DuringCopy(s.Sub(L"Nuovo\\Orvane Hub.msi"), staged)
                                                                : AfterChangeLines(std::stoul(point)));
        if (cut) {
            std::error_code none;
            const auto written = std::filesystem::file_size(staged + std::wstring(kPartialCopySuffix), none);
            if (none || written >= std::filesystem::file_size(s.Sub(L"Nuovo\\Orvane Hub.msi"))) {
                std::printf("RESULT %s cut fail: the copy to Corrente was not cut short\n", road.name.c_str());
                return 1;
            }
            const bool earlier = ReadFileBytes(staged) == correnteBefore.at(L"Orvane Hub.msi");
            std::printf("cut short: the partial copy holds %llu of %llu bytes; %s %s\n",
                        static_cast<unsigned long long>(written),
                        static_cast<unsigned long long>(std::filesystem::file_size(s.Sub(L"Nuovo\\Orvane Hub.msi"))),
                        Narrow(staged).c_str(), earlier ? "still holds the earlier package" : "lost the earlier package");
            if (!earlier) return 1;
        }
        WaitForNoInstallerProcess();
        for (const auto& name : kSetFiles) again = again || std::filesystem::exists(s.Sub(L"Nuovo\\" + name));
        if (again) boxes = s.Run(s.Tail()).boxes.size();
    }
    std::vector<std::string> wrong = Findings(s, road, delivered, correnteBefore, vecchioBefore);
    if (boxes != 0) wrong.push_back(std::to_string(boxes) + " message boxes shown");
    const bool startedFirst = std::ranges::any_of(first, [](const auto& e) { return e.starts_with("Start program "); });
    // With Nuovo empty nothing starts the launcher again: the product starts as it would
    // after any end of the launcher, by whoever starts it next.
    const std::size_t starts = s.ProductStarts(again || startedFirst ? 1 : 0).size();
    if (starts != (again || startedFirst ? 1u : 0u) || (again && startedFirst)) {
        wrong.push_back("product started " + std::to_string(starts) + " times" + (startedFirst ? ", by the first run" : ""));
    }

    // Where the kill landed: after the last change line the journal holds.
    std::string landed = "(no change yet)";
    for (const auto& event : first) {
        if (IsChangeLine(event)) landed = event;
    }
    const bool inInstaller = IsInstallerCall(landed);
    const char* verdict = inInstaller ? "excluded" : wrong.empty() ? "pass" : "fail";
    std::printf("RESULT %s %s %s landed=%zu%s after: %s\n", road.name.c_str(), point.c_str(), verdict, ChangeLines(first),
                again ? " second-run" : "", landed.c_str());
    if (inInstaller) {
        std::printf("  inside a Windows Installer call: Wine runs the installation in the launcher's process, without "
                    "Windows' rollback of an interrupted installation; the end state %s\n",
                    wrong.empty() ? "is the uninterrupted run's all the same" : "differs:");
    }
    for (const auto& finding : wrong) std::printf("  %s\n", finding.c_str());
    return wrong.empty() || inInstaller ? 0 : 1;
}

} // namespace
} // namespace orvh::test

int main(int argc, char** argv) {
    using namespace orvh::test;
    if (argc != 3) {
        std::fprintf(stderr, "usage: kill_point ROAD points|K\n");
        return 2;
    }
    for (const auto& road : kRoads) {
        if (road.name == argv[1]) return Sweep(road, argv[2]);
    }
    std::fprintf(stderr, "no road %s\n", argv[1]);
    return 2;
}
