// The README's table "Failure behaviour": faults in the way of a run that installs a newer full
// package (Orvane Hub 1.1.601 installed, 1.2.0 delivered), what the user sees and what is left.
#include "test_text.h"
#include "delivery.h"

#include "fonts/special_folder_win32.h"
#include "system/win32_error_win32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
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

std::wstring ErrorReport(unsigned long number, const std::wstring& description = L"") {
    const std::wstring shown = description.empty() ? SystemErrorDescription(number) : description;
    return L"Errore di run-time '" + std::to_wstring(number) + L"':\r\n\r\n" + shown;
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

// The folder under a second name: through the drive that maps the host's root under Wine,
// through a drive letter defined for it for the run on Windows.
std::wstring AnotherName(const std::wstring& folder, Arranged& a) {
    wchar_t prefix[MAX_PATH];
    if (::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) == 0) {
        EXPECT_TRUE(::DefineDosDeviceW(0, L"Q:", folder.c_str()));
        a.kept = std::shared_ptr<void>(nullptr, [](void*) { ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr); });
        return L"Q:";
    }
    std::wstring name = L"Z:" + std::wstring(prefix) + L"/drive_c" + folder.substr(2);
    std::ranges::replace(name, L'/', L'\\');
    return name;
}

// The product starts the launcher from Corrente under another name of the update folder,
// and a newer launcher is offered: the running copy must not be overwritten.
void LauncherInCorrenteUnderAnotherName(UpdateScenario& s, Arranged& a) {
    s.EarlierRun();
    std::filesystem::copy_file(OrvhUpdateExe(), s.Sub(L"Corrente\\ORVHUpdate.exe"));
    s.Deliver(L"ORVHUpdate.exe", s.ProductPath());
    s.Announce(L"ORVHUpdate.exe", L"0009.0000.0000.0000");
    s.RunFrom(AnotherName(s.Sub(L"Corrente"), a) + L"\\ORVHUpdate.exe");
}

// The journal folder cannot take a file: a read-only file holds its name. (Under Wine, which
// runs as root here, neither a folder's read-only attribute nor its access list stops a file
// being made in it.) Everything comes back once the run has ended.
void JournalFolderTaken(UpdateScenario&, Arranged& a) {
    const std::wstring folder = JournalFolder(), aside = JournalFolder() + L".aside";
    ::MoveFileW(folder.c_str(), aside.c_str());
    WriteFileBytes(folder, "no folder");
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
    a.kept = std::shared_ptr<void>(nullptr, [folder, aside](void*) {
        ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(folder.c_str());
        ::MoveFileW(aside.c_str(), folder.c_str());
    });
}

// A signed launcher over a set whose package is the signed one unless `package` names another.
void SignedLauncherOver(UpdateScenario& s, const std::wstring& package = L"hub-1.2.0.msi",
                        const std::wstring& launcher = L"OrvhUpdate.exe") {
    EXPECT_TRUE(s.RunSigned(launcher));
    s.Deliver(L"Orvane Hub.msi", package.empty() ? FixturePackagePath(fx::hub_1_2_0.file) : SignedFixture(package));
}

std::wstring Refused(const std::wstring& file, int reason) {
    return StringText(10002) + L" '" + file + L"' " + StringText(reason) + L". " + StringText(10007);
}

// Obsolete product fonts call for a restart, and the launcher's account may not restart Windows.
void FontsToRemoveWithoutTheRightToRestart(UpdateScenario& s, Arranged& a) {
    const std::wstring font = FontsFolder() + L"\\ORVH MS.TTF";
    WriteFileBytes(font, "font");
    s.WithoutShutdownPrivilege();
    a.kept = std::shared_ptr<void>(nullptr, [font](void*) { ::DeleteFileW(font.c_str()); });
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
    bool journaled = true;
    std::wstring told = L"";  // a line the journal holds besides the box and the end
    // Windows compares a signed package's digest; Wine 8 does not, so the row cannot run there.
    bool needsPackageDigest = false;
    bool nobodySees = false; // the launcher runs on a window station nobody sees: no box at all
};

void PrintTo(const Fault& fault, std::ostream* os) { *os << fault.name; }

class Faults : public testing::TestWithParam<Fault> {};

TEST_P(Faults, ShowWhatTheUserSeesAndWhatIsLeft) {
    const Fault& fault = GetParam();
    if (fault.needsPackageDigest && UnderWine()) {
        GTEST_SKIP() << "Wine 8 does not compare the digest of a signed .msi: a changed package verifies there";
    }
    UpdateScenario scenario;
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_1_2_0.file));
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    Arranged arranged{scenario.Tail()};
    fault.arrange(scenario, arranged);
    if (fault.nobodySees) scenario.NobodySees();
    const RunOutcome run = scenario.Run(arranged.tail);
    arranged.kept.reset();
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.boxes.size(), fault.nobodySees ? 0u : fault.installerBoxes + (fault.title.empty() ? 0u : 1u));
    if (!fault.title.empty() && !fault.nobodySees) {
        const ShownBox& box = run.boxes.back();
        EXPECT_EQ(box.contents.title, fault.title);
        EXPECT_EQ(box.contents.text, fault.text) << Narrow(box.contents.text);
        EXPECT_EQ(box.contents.icon, "stop");
        EXPECT_EQ(box.windowVisible, fault.windowVisible);
    }
    EXPECT_EQ(InstalledVersion(fx::hub_1_1_601.upgradeCode), fault.installed);
    for (const auto& [folder, listing] : fault.folders) {
        EXPECT_EQ(Contents(scenario.Root() / folder), listing) << Narrow(folder);
    }
    const auto starts = scenario.ProductStarts(fault.started == kNotStarted ? 0 : 1);
    const std::wstring started = starts.empty() ? kNotStarted : starts[0].commandLine.substr(scenario.ProductPath().size());
    EXPECT_EQ(started, fault.started);
    EXPECT_LE(starts.size(), 1u);
    // The journal tells the launcher's box, if any, and the end.
    std::vector<std::wstring> told{L"Command line: ", AsInJournal(fault.text), L"End"};
    if (fault.title.empty()) told.erase(told.begin() + 1);
    if (!fault.told.empty()) told.insert(told.begin() + 1, fault.told);
    if (fault.nobodySees) {
        told.insert(told.begin() + 1, L"nobody can see this program's windows");
        told.insert(told.end() - 1, L"Not shown, nobody can see this session");
    }
    if (fault.journaled) {
        EXPECT_EQ(MissingInOrder(run.journal, told), "");
    } else {
        EXPECT_TRUE(run.journal.empty());
    }
}

const std::wstring kHubTitle = StringText(2);
const Listing kSetInNuovo = {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"};
const std::wstring kLowerCaseCode = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}";
const Listing kSubFolders = {L"Corrente\\", L"Nuovo\\", L"Setup\\", L"Vecchio\\"};
const Listing kSignedSetInNuovo = {L"ORVHUpdate.cfg", L"Orvane Hub.msi (signed hub-1.2.0.msi)"};
// A refused set: everything where it was.
std::vector<std::pair<std::wstring, Listing>> Untouched(const Listing& nuovo) {
    return {{L"Upd\\Nuovo", nuovo}, {L"Upd\\Corrente", {}}, {L"Upd\\Vecchio", {}}, {L"Upd\\Setup", {}}};
}

INSTANTIATE_TEST_SUITE_P(Table, Faults, testing::Values(
    Fault{"PackageHeldInCorrenteWhileStaged",
          [](UpdateScenario& s, Arranged& a) { HoldInCorrente(s, a, L"Orvane Hub.msi"); },
          0, L"OrvhUpdate", ErrorReport(ERROR_SHARING_VIOLATION), true, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.1.601"}}, {L"Upd\\Vecchio", {}}},
          kNotStarted},
    Fault{"ReadOnlyCopyInVecchioWhileStaged",
          [](UpdateScenario& s, Arranged&) {
              s.EarlierRun();
              std::filesystem::copy_file(FixturePackagePath(fx::hub_1_1_601.file), s.Sub(L"Vecchio\\Orvane Hub.msi"));
              ::SetFileAttributesW(s.Sub(L"Vecchio\\Orvane Hub.msi").c_str(), FILE_ATTRIBUTE_READONLY);
          },
          0, L"OrvhUpdate", ErrorReport(ERROR_ACCESS_DENIED), true, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.1.601"}},
           {L"Upd\\Vecchio", {L"Orvane Hub.msi 1.1.601"}}},
          kNotStarted},
    Fault{"ConfigurationHeldInCorrenteDuringTheRotation",
          [](UpdateScenario& s, Arranged& a) { HoldInCorrente(s, a, L"ORVHUpdate.cfg"); },
          0, L"OrvhUpdate", ErrorReport(ERROR_SHARING_VIOLATION), true, kNew,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}},
           {L"Upd\\Vecchio", {L"Orvane Hub.msi 1.1.601"}}},
          kNotStarted},
    Fault{"ReadOnlyConfigurationInVecchioDuringTheRotation",
          [](UpdateScenario& s, Arranged&) {
              s.EarlierRun();
              WriteFileBytes(s.Sub(L"Vecchio\\ORVHUpdate.cfg"), "[Versione]\r\n");
              ::SetFileAttributesW(s.Sub(L"Vecchio\\ORVHUpdate.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
          },
          0, L"OrvhUpdate", ErrorReport(ERROR_ACCESS_DENIED), true, kNew,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}},
           {L"Upd\\Vecchio", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.1.601"}}},
          kNotStarted},
    Fault{"NoConfigurationFile",
          [](UpdateScenario& s, Arranged&) { std::filesystem::remove(s.Sub(L"Nuovo\\ORVHUpdate.cfg")); },
          0, kHubTitle, StringText(202) + L" 'ORVHUpdate.cfg'", true, kOld,
          {{L"Upd\\Nuovo", {L"Orvane Hub.msi 1.2.0"}}, {L"Upd\\Corrente", {}}}, kIgnoring},
    Fault{"NoConfigurationFileNobodySees",
          [](UpdateScenario& s, Arranged&) { std::filesystem::remove(s.Sub(L"Nuovo\\ORVHUpdate.cfg")); },
          0, kHubTitle, StringText(202) + L" 'ORVHUpdate.cfg'", false, kOld,
          {{L"Upd\\Nuovo", {L"Orvane Hub.msi 1.2.0"}}, {L"Upd\\Corrente", {}}}, kIgnoring, true, L"", false, true},
    // The upgrade code is taken exactly: in lower case it names no edition's product.
    Fault{"UpgradeCodeInLowerCase",
          [](UpdateScenario&, Arranged& a) { a.tail += L" /MsiUpdateCode=" + kLowerCaseCode; },
          0, kHubTitle, StringText(203) + L" " + kLowerCaseCode, true, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {}}}, kIgnoring},
    Fault{"UpdateFolderMovedAwayDuringTheWait", MovedAwayDuringTheWait,
          0, kHubTitle, StringText(202) + L" 'ORVHUpdate.cfg'", true, kOld,
          {{L"Upd", {}}, {L"Moved\\Nuovo", kSetInNuovo}}, kIgnoring},
    Fault{"FileWhereTheSetupFolderBelongs",
          [](UpdateScenario& s, Arranged&) { WriteFileBytes(s.Sub(L"Setup"), "no folder"); },
          0, L"OrvhUpdate", ErrorReport(ERROR_ALREADY_EXISTS), false, kOld,
          {{L"Upd", {L"Corrente\\", L"Nuovo\\", L"Setup", L"Vecchio\\"}}, {L"Upd\\Nuovo", kSetInNuovo}}, kNotStarted},
    Fault{"FileWhereThePackagesSourceFolderBelongs",
          [](UpdateScenario& s, Arranged&) {
              std::filesystem::create_directories(s.Sub(L"Setup"));
              WriteFileBytes(s.Sub(L"Setup\\") + std::wstring(fx::hub_1_2_0.productCode), "no folder");
          },
          0, kHubTitle, StringText(10001), false, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {L"Orvane Hub.msi 1.2.0"}}}, kIgnoring},
    Fault{"PackageWindowsInstallerRefusesTwice",
          [](UpdateScenario& s, Arranged&) {
              s.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_launch_condition_false.file));
              s.Announce(L"Orvane Hub.msi", L"0001.0003.0000.0000");
          },
          2, kHubTitle, StringText(10001), false, kOld,
          {{L"Upd\\Nuovo", {L"ORVHUpdate.cfg", L"Orvane Hub.msi"}}, {L"Upd\\Corrente", {L"Orvane Hub.msi"}}}, kIgnoring},
    Fault{"PackageWindowsInstallerRefusesTwiceNobodySees",
          [](UpdateScenario& s, Arranged&) {
              s.Deliver(L"Orvane Hub.msi", FixturePackagePath(fx::hub_launch_condition_false.file));
              s.Announce(L"Orvane Hub.msi", L"0001.0003.0000.0000");
          },
          0, kHubTitle, StringText(10001), false, kOld,
          {{L"Upd\\Nuovo", {L"ORVHUpdate.cfg", L"Orvane Hub.msi"}}, {L"Upd\\Corrente", {L"Orvane Hub.msi"}}}, kIgnoring,
          true, L"interface level 2 instead of 1", false, true},
    Fault{"RestartNeededWithoutTheShutdownPrivilege", FontsToRemoveWithoutTheRightToRestart,
          0, L"OrvhUpdate", ErrorReport(ERROR_NOT_ALL_ASSIGNED), true, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {}}, {L"Upd\\Setup", {}}}, kNotStarted},
    Fault{"FourGroupVersionWithALetter",
          [](UpdateScenario& s, Arranged&) { s.Announce(L"Orvane Hub.msi", L"1.a.0.0"); },
          0, L"OrvhUpdate", ErrorReport(13, L"Tipo non corrispondente"), true, kOld,
          {{L"Upd\\Nuovo", kSetInNuovo}, {L"Upd\\Corrente", {}}}, kNotStarted},
    Fault{"LauncherRunFromCorrenteUnderAnotherName", LauncherInCorrenteUnderAnotherName,
          0, L"", L"", false, kNew,
          {{L"Upd\\Nuovo", {}}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"ORVHUpdate.exe (launcher)", L"Orvane Hub.msi 1.2.0"}}},
          L" /NoConsole"},
    Fault{"TailOf40000Characters",
          [](UpdateScenario&, Arranged& a) {
              while (a.tail.size() < 40000) a.tail += L" /Altro=valore x=y / = ";
          },
          0, L"", L"", false, kNew,
          {{L"Upd", kSubFolders}, {L"Upd\\Nuovo", {}}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}}},
          L" /NoConsole"},
    Fault{"JournalFolderCannotTakeAFile", JournalFolderTaken,
          0, L"", L"", false, kNew,
          {{L"Upd", kSubFolders}, {L"Upd\\Nuovo", {}}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}}},
          L" /NoConsole", false},
    Fault{"UnsignedLauncherOverAnUnsignedSet", [](UpdateScenario&, Arranged&) {},
          0, L"", L"", false, kNew,
          {{L"Upd", kSubFolders}, {L"Upd\\Nuovo", {}}, {L"Upd\\Corrente", {L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.2.0"}}},
          L" /NoConsole", true, L"This launcher is not signed (TRUST_E_NOSIGNATURE): the update set is not verified"},
    Fault{"UnsignedPackageForASignedLauncher", [](UpdateScenario& s, Arranged&) { SignedLauncherOver(s, L""); },
          0, kHubTitle, Refused(L"Orvane Hub.msi", 10003), true, kOld, Untouched(kSetInNuovo), kIgnoring},
    Fault{"PatchSignedByAnotherPublisher",
          [](UpdateScenario& s, Arranged&) {
              SignedLauncherOver(s);
              s.Deliver(L"ORVHPatch.msp", SignedFixture(L"hub-1.2.100-other.msp"));
              s.Announce(L"ORVHPatch.msp", L"0001.0002.0000.0100");
          },
          0, kHubTitle, Refused(L"ORVHPatch.msp", 10004), true, kOld,
          Untouched({L"ORVHPatch.msp (signed hub-1.2.100-other.msp)", L"ORVHUpdate.cfg", L"Orvane Hub.msi (signed hub-1.2.0.msi)"}),
          kIgnoring},
    Fault{"TamperedSignedLauncherOffered",
          [](UpdateScenario& s, Arranged&) {
              SignedLauncherOver(s);
              s.Deliver(L"ORVHUpdate.exe", SignedFixture(L"OrvhUpdate-tampered.exe"));
              s.Announce(L"ORVHUpdate.exe", L"0001.0000.0000.0001");
          },
          0, kHubTitle, Refused(L"ORVHUpdate.exe", 10005), true, kOld,
          Untouched({L"ORVHUpdate.cfg", L"ORVHUpdate.exe (signed OrvhUpdate-tampered.exe)", L"Orvane Hub.msi (signed hub-1.2.0.msi)"}),
          kIgnoring},
    Fault{"PackageVersionNotTheOneAnnounced",
          [](UpdateScenario& s, Arranged&) {
              SignedLauncherOver(s);
              s.Announce(L"Orvane Hub.msi", L"0001.0003.0000.0000");
          },
          0, kHubTitle, Refused(L"Orvane Hub.msi", 10006), true, kOld, Untouched(kSignedSetInNuovo), kIgnoring},
    Fault{"LauncherWhoseOwnSignatureFails",
          [](UpdateScenario& s, Arranged&) { SignedLauncherOver(s, L"hub-1.2.0.msi", L"OrvhUpdate-tampered.exe"); },
          0, kHubTitle, Refused(L"OrvhUpdate.exe", 10005), true, kOld, Untouched(kSignedSetInNuovo), kIgnoring},
    Fault{"SignedPackageChangedAfterSigning",
          [](UpdateScenario& s, Arranged&) { SignedLauncherOver(s, L"hub-1.2.0-changed.msi"); },
          0, kHubTitle, Refused(L"Orvane Hub.msi", 10005), true, kOld,
          Untouched({L"ORVHUpdate.cfg", L"Orvane Hub.msi (signed hub-1.2.0-changed.msi)"}), kIgnoring, true, L"", true}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh::test
