// The README's table "Failure behaviour" where only the real program shows it: faults in the way of
// a run that installs a newer full package (Orvane Hub 1.1.601 installed, 1.2.0 delivered), what the
// user sees and what is left. The table's decisions alone are rows of the native run table.
#include "run_checks.h"

#include "fonts/special_folder_win32.h"
#include "system/win32_error_win32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
namespace fx = fixtures;
using Listing = std::vector<std::wstring>;

const std::wstring kOld = L"1.1.601";
const std::wstring kNew = L"1.2.0";
const std::wstring kIgnoring = L" /IgnoraAggiornamento /NoConsole";
const std::wstring kNotStarted = L"(not started)";

std::wstring ErrorReport(unsigned long number) {
    return L"Errore di run-time '" + std::to_wstring(number) + L"':\r\n\r\n" + SystemErrorDescription(number);
}

// What a fault puts in the run's way: the tail, and what lives until the run has ended.
struct Arranged {
    std::wstring tail;
    std::shared_ptr<void> kept;
};

// An earlier run's file in Corrente, held open without sharing.
void HoldInCorrente(UpdateScenario& s, Arranged& a, const std::wstring& name) {
    s.EarlierRun();
    const std::wstring path = s.Sub(L"Corrente\\" + name);
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    a.kept = std::shared_ptr<void>(file, ::CloseHandle);
}

// The update folder moves away once the launcher, its sub-folders made, waits for the product.
void MovedAwayDuringTheWait(UpdateScenario& s, Arranged& a) {
    auto product = std::make_shared<Sleeper>(3s, 0);
    a.tail += L" /AttendiProcesso=" + std::to_wstring(product->ProcessId());
    a.kept = std::make_shared<std::jthread>([&s, product] {
        for (int i = 0; i < 200 && FolderEntries(s.UpdateFolder()).size() < 4; ++i) std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(300ms);
        ::MoveFileW(s.UpdateFolder().c_str(), (s.Root() / L"Moved").c_str());
    });
}

// The link stands where a folder of the update folder belongs; what it leads to, outside the
// update folder, holds what the run would otherwise write over or delete.
void LinkedVecchio(UpdateScenario& s, Arranged& a) {
    s.EarlierRun();
    std::filesystem::remove(s.Sub(L"Vecchio"));
    std::filesystem::create_directories(s.Root() / L"Outside");
    WriteFileBytes(s.Root() / L"Outside\\Orvane Hub.msi", "kept");
    a.kept = HostLink(s.Sub(L"Vecchio"), s.Root() / L"Outside", true);
}

// A newer package whose launch condition is false.
void PackageWindowsInstallerRefuses(UpdateScenario& s, Arranged&) {
    s.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_launch_condition_false.file));
    s.Announce(L"Orvane Hub.msi", L"0001.0003.0000.0000");
}

// Obsolete product fonts call for a restart, and the launcher's account may not restart Windows.
void FontsToRemoveWithoutTheRightToRestart(UpdateScenario& s, Arranged& a) {
    const std::wstring font = FontsFolder() + L"\\ORVH MS.TTF";
    WriteFileBytes(font, "font");
    s.StartOn(L"", TokenWithoutShutdownPrivilege());
    a.kept = std::shared_ptr<void>(nullptr, [font](void*) { ::DeleteFileW(font.c_str()); });
}

// Another installation runs its execute sequence: this process holds Windows Installer's mutex
// (Wine's msi.dll neither takes nor checks it) from before the run until the run's journal says
// it waits for it; the run may wait 60 s.
void InstallerBusyThenFree(UpdateScenario&, Arranged& a) {
    a.tail += L" /AttendiInstaller=60";
    const std::vector<std::wstring> earlier = FolderEntries(JournalFolder());
    auto taken = std::make_shared<std::promise<void>>();
    std::future<void> holding = taken->get_future();
    a.kept = std::make_shared<std::jthread>([taken, earlier](std::stop_token stop) {
        const UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, L"Global\\_MSIExecute"));
        taken->set_value();
        const auto waiting = [&] {
            return std::ranges::any_of(FolderEntries(JournalFolder()), [&](const std::wstring& name) {
                return !std::ranges::count(earlier, name) &&
                       ReadFileBytes(JournalFolder() + L"\\" + name).find("_MSIExecute is held") != std::string::npos;
            });
        };
        while (!stop.stop_requested() && !waiting()) std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(500ms);
        ::ReleaseMutex(mutex.get());
    });
    holding.wait();
}

// The product, 1.2.0, was installed by hand from Delivered; Corrente holds its package from an
// earlier run, Nuovo only a patch.
void PatchForAProductInstalledFromDelivered(UpdateScenario& s, Arranged&) {
    EXPECT_EQ(s.Install(fx::hub_1_2_0), 0u);
    s.EarlierRun();
    std::filesystem::copy_file(FixturePackagePath(fx::hub_1_2_0.file), s.Sub(L"Corrente\\Orvane Hub.msi"),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(s.Sub(L"Nuovo\\Orvane Hub.msi"));
    // 1.2.0 reads the archive keys.
    s.Announce(L"Orvane Hub.zip", L"0001.0002.0000.0000");
    s.Deliver(L"ORVHPatch.msp", FixturePackagePath(fx::hub_1_2_100_msp.file));
    s.Announce(L"ORVHPatch.zip", L"0001.0002.0000.0100");
}

struct Fault {
    const char* name;
    std::function<void(UpdateScenario&, Arranged&)> arrange;
    std::size_t installerBoxes; // boxes of Windows Installer's own before the launcher's
    std::wstring title; // of the launcher's box ("" for none)
    std::wstring text;
    bool windowVisible; // when the launcher's box came
    std::wstring installed;
    std::vector<std::pair<std::wstring, Listing>> folders; // below the scratch folder
    std::wstring started;                                  // the product's switches
    DWORD exitCode;                                        // as a Windows process reads it
    std::wstring told = L"";  // a line the journal holds besides the box and the end
    bool nobodySees = false; // the launcher runs on a window station nobody sees
};

void PrintTo(const Fault& fault, std::ostream* os) { *os << fault.name; }

class Faults : public testing::TestWithParam<Fault> {};

TEST_P(Faults, ShowWhatTheUserSeesAndWhatIsLeft) {
    const Fault& fault = GetParam();
    UpdateScenario scenario;
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_1_2_0.file));
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    Arranged arranged{scenario.Tail()};
    fault.arrange(scenario, arranged);
    std::optional<InvisibleStation> station;
    if (fault.nobodySees) {
        station.emplace();
        scenario.StartOn(InvisibleStation::Desktop());
    }
    const RunOutcome run = scenario.Run(arranged.tail);
    arranged.kept.reset();
    ASSERT_TRUE(run.ended);
    // The box reader sees this station only: where nobody sees, the run's end and its journal tell.
    if (!fault.nobodySees) ASSERT_EQ(run.boxes.size(), fault.installerBoxes + (fault.title.empty() ? 0u : 1u));
    if (!fault.title.empty() && !fault.nobodySees) {
        const ShownBox& box = run.boxes.back();
        EXPECT_EQ(box.contents.title, fault.title);
        EXPECT_EQ(box.contents.text, fault.text);
        EXPECT_EQ(box.contents.icon, "stop");
        EXPECT_EQ(box.windowVisible, fault.windowVisible);
    }
    EXPECT_EQ(InstalledVersion(fx::hub_1_1_601.upgradeCode), fault.installed);
    for (const auto& [folder, listing] : fault.folders) {
        EXPECT_EQ(Contents(scenario.Root() / folder), listing) << testing::PrintToString(folder);
    }
    const auto starts = scenario.ProductStarts(fault.started == kNotStarted ? 0 : 1);
    const std::wstring started = starts.empty() ? kNotStarted : starts[0].commandLine.substr(scenario.ProductPath().size());
    EXPECT_EQ(started, fault.started);
    EXPECT_LE(starts.size(), 1u);
    EXPECT_EQ(run.exitCode, fault.exitCode);
    // The journal tells the launcher's box, if any, and the end.
    std::vector<std::wstring> told{L"Command line: ", fault.text, L"End"};
    if (fault.title.empty()) told.erase(told.begin() + 1);
    if (!fault.told.empty()) told.insert(told.begin() + 1, fault.told);
    if (fault.nobodySees) {
        told.insert(told.begin() + 1, L"nobody can see this program's windows");
        told.insert(told.end() - 1, L"Not shown, nobody can see this session");
    }
    EXPECT_EQ(MissingInOrder(run.journal, told), L"");
}

const std::wstring kHubTitle = StringText(2);
const Listing kSetInNuovo = {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"};
INSTANTIATE_TEST_SUITE_P(Table, Faults, testing::Values(
    Fault{"PackageHeldInCorrenteWhileStaged",
          [](UpdateScenario& s, Arranged& a) { HoldInCorrente(s, a, L"Orvane Hub.msi"); },
          0, L"OrvhUpdate", ErrorReport(ERROR_SHARING_VIOLATION), true, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.1.601"}}, {L"Upd\\Vecchio", {}}},
          kNotStarted, 10900},
    Fault{"ReadOnlyConfigurationInVecchioDuringTheRotation",
          [](UpdateScenario& s, Arranged&) {
              s.EarlierRun();
              WriteFileBytes(s.Sub(L"Vecchio\\ORVHUpdate.cfg"), "[Versione]\r\n");
              ::SetFileAttributesW(s.Sub(L"Vecchio\\ORVHUpdate.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
          },
          0, L"OrvhUpdate", ErrorReport(ERROR_ACCESS_DENIED), true, kNew,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}},
           {L"Upd\\Vecchio", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.1.601"}}},
          kNotStarted, 10900},
    Fault{"UpdateFolderMovedAwayDuringTheWait", MovedAwayDuringTheWait,
          0, kHubTitle, StringText(202) + L" 'ORVHUpdate.cfg'", true, kOld,
          {{L"Upd", {}}, {L"Moved\\Nuovo", kSetInNuovo}}, kIgnoring, 10202},
    // Nothing outside the update folder is written or deleted; the product is started again.
    Fault{"VecchioIsALinkOutsideTheUpdateFolder", LinkedVecchio,
          0, kHubTitle, StringText(10001), true, kOld,
          {{L"Outside", {L"Orvane Hub.msi"}}, {L"Upd\\Nuovo", kSetInNuovo},
           {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.1.601"}}},
          kIgnoring, 1603, L"Vecchio\" is a link to "},
    Fault{"FileWhereTheSetupFolderBelongs",
          [](UpdateScenario& s, Arranged&) { WriteFileBytes(s.Sub(L"Setup"), "no folder"); },
          0, L"OrvhUpdate", ErrorReport(ERROR_ALREADY_EXISTS), false, kOld,
          {{L"Upd", {L"Corrente\\", L"Nuovo\\", L"Setup", L"Vecchio\\"}}, {L"Upd\\Nuovo", kSetInNuovo}}, kNotStarted, 10900},
    Fault{"PackageWindowsInstallerRefusesTwice",
          PackageWindowsInstallerRefuses,
          2, kHubTitle, StringText(10001), false, kOld,
          {{L"Upd\\Nuovo", {L"ORVHUpdate.cfg", L"Orvane Hub.msi"}}, {L"Upd\\Corrente", {L"Orvane Hub.msi"}}}, kIgnoring, 1603},
    Fault{"PackageWindowsInstallerRefusesTwiceNobodySees",
          PackageWindowsInstallerRefuses,
          0, kHubTitle, StringText(10001), false, kOld,
          {{L"Upd\\Nuovo", {L"ORVHUpdate.cfg", L"Orvane Hub.msi"}}, {L"Upd\\Corrente", {L"Orvane Hub.msi"}}}, kIgnoring, 1603,
          L"interface level 2 instead of 1", true},
    Fault{"RestartNeededWithoutTheShutdownPrivilege", FontsToRemoveWithoutTheRightToRestart,
          0, L"OrvhUpdate", ErrorReport(ERROR_NOT_ALL_ASSIGNED), true, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {}}, {L"Upd\\Setup", {}}}, kNotStarted, 10900},
    // The patch and the package it reinstalls from go into Setup, never where the product came from.
    Fault{"PatchForAProductInstalledFromOutsideTheUpdateFolder", PatchForAProductInstalledFromDelivered,
          0, L"", L"", false, L"1.2.100",
          {{L"Delivered", {L"hub-1.1.601.msi 1.1.601", L"hub-1.2.0.msi 1.2.0"}}, {L"Upd\\Nuovo", {}},
           {L"Upd\\Setup\\" + std::wstring(fx::hub_1_2_0.productCode), {L"ORVHPatch.msp", L"hub-1.2.0.msi 1.2.0"}}},
          L" /NoConsole", 0, L"Windows Installer: add source "},
    // Windows Installer busy with another installation: waited for, within the run's bound.
    Fault{"WindowsInstallerBusyThenFree", InstallerBusyThenFree,
          0, L"", L"", false, kNew,
          {{L"Upd\\Nuovo", {}}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}}},
          L" /NoConsole", 0, L"The other installation ended after a wait of "},
    // A folder under the patch's name is no patch: the full package alone, the folder left.
    Fault{"FolderUnderThePatchsName",
          [](UpdateScenario& s, Arranged&) { std::filesystem::create_directory(s.Sub(L"Nuovo\\ORVHPatch.msp")); },
          0, L"", L"", false, kNew, {{L"Upd\\Nuovo", {L"ORVHPatch.msp\\"}}}, L" /NoConsole", 0},
    Fault{"RestartsNotAllowedForTheInstallerEither", [](UpdateScenario&, Arranged& a) { a.tail += L" /NoRiavvio"; },
          0, L"", L"", false, kNew, {{L"Upd\\Nuovo", {}}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}}},
          L" /NoConsole", 0, L"properties \"REBOOT=ReallySuppress\""}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh::test
