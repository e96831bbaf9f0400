// The run's decisions over the situations a delivery can present, through fakes of every
// service: installer results, packages present in Nuovo, installed versions, fonts.
#include "main/update_run.h"

#include "fake_conversions.h"
#include "fake_file_system.h"
#include "fake_profile.h"
#include "ini/ov_file_ini.h"
#include "installer/product_installer.h"
#include "resources/string_table.h"
#include "system/message_pump.h"
#include "system/processes.h"
#include "ui/dialogs.h"
#include "ui/progress_view.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <set>

namespace orvh {
namespace {

using testing::ElementsAreArray;

const std::wstring kHubCode(kServerUpgradeCode);
const std::wstring kDeskCode(kClientUpgradeCode);
const std::wstring kProduct = L"C:\\Prod dir\\Hub.exe";
const std::wstring kRoot = L"U:";
const std::wstring kCfg = L"U:\\Nuovo\\ORVHUpdate.cfg";

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// Texts are their ids, so the tests see which string was used where.
class IdTexts final : public StringTable {
public:
    std::wstring LoadDllString(std::int32_t index) const override { return L"#" + std::to_wstring(index); }
};

struct Events {
    std::vector<std::wstring> log;
    void Add(std::wstring event) { log.push_back(std::move(event)); }
};

// The window: follows the step counter, keeps each row's icons in the order they were set.
class FakeView final : public ProgressView {
public:
    explicit FakeView(Events& events) : events_(events) { events_.Add(L"load"); }
    ~FakeView() override { events_.Add(L"unload"); }
    void SetCaption(std::wstring_view caption) override { caption_ = caption; }
    void SetLabel(WindowLabel label, std::wstring_view text) override {
        labels[label] = text;
        if (label == WindowLabel::Attivita) events_.Add(L"activity " + std::wstring(text));
    }
    void StepSuccessivo() override { ++counter; }
    void SetInconStep(bool success) override {
        if (counter >= 1) icons[counter - 1] += success ? L'S' : L'F';
    }
    void Show() override { events_.Add(L"show"); }

    std::wstring caption_;
    std::map<WindowLabel, std::wstring> labels;
    int counter = 0;
    std::array<std::wstring, 4> icons;

private:
    Events& events_;
};

class Fakes final : public Dialogs,
                    public MessagePump,
                    public ProgressWindowLoader,
                    public ProductInstaller,
                    public ProcessWaiter,
                    public ProgramStarter,
                    public SystemRestart,
                    public ProgramEnd {
public:
    struct Ended {};

    Events events;
    std::wstring lastCaption;
    std::map<WindowLabel, std::wstring> lastLabels;
    std::array<std::wstring, 4> lastIcons;
    int lastCounter = 0;

    // Installer state and scripted results.
    std::wstring installed;
    std::wstring fullPackageVersion;  // what a successful full installation installs
    std::wstring patchedVersion;      // what a successful patch installs
    bool sourceAvailable = true;
    std::deque<bool> installResults;
    std::deque<bool> patchResults;
    std::set<std::wstring> fontsFoundAt;

    void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override {
        events.Add(L"message " + std::wstring(title) + L" | " + std::wstring(text) +
                   (icon == MessageIcon::CriticalStop ? L" | stop" : L" | info"));
    }
    void ProcessPendingMessages() override { events.Add(L"pump"); }
    std::unique_ptr<ProgressView> Load() override {
        return std::make_unique<Observed>(*this);
    }
    std::wstring GetInstalledVersion(const std::wstring& name, const std::wstring& code) override {
        events.Add(L"installed? " + name + L" " + code);
        return installed;
    }
    bool InstallSourceAvailable(const std::wstring& name, const std::wstring&) override {
        events.Add(L"source? " + name);
        return sourceAvailable;
    }
    bool InstallPackage(const std::wstring& name, const std::wstring& folder, const std::wstring& setup,
                        const std::wstring& properties, int ui) override {
        events.Add(L"install " + name + L" from " + folder + L" into " + setup + L" [" + properties + L"] ui " +
                   std::to_wstring(ui));
        const bool ok = installResults.empty() ? true : Next(installResults);
        if (ok) {
            sourceAvailable = true;
            if (properties.empty()) installed = fullPackageVersion;
        }
        return ok;
    }
    bool ApplyPatchPackage(const std::wstring& path, int ui) override {
        events.Add(L"patch " + path + L" ui " + std::to_wstring(ui));
        const bool ok = patchResults.empty() ? true : Next(patchResults);
        if (ok) installed = patchedVersion;
        return ok;
    }
    std::int32_t AttendiProcesso(std::int32_t id, bool wait) override {
        events.Add(L"wait " + std::to_wstring(id) + (wait ? L" blocking" : L" polling"));
        return 0;
    }
    void Pausa(std::int32_t ms) override { events.Add(L"pause " + std::to_wstring(ms)); }
    void Start(const std::wstring& app, const std::wstring& line, ShowCommand show) override {
        events.Add(L"start [" + app + L"] " + line + L" show " + std::to_wstring(static_cast<int>(show)));
    }
    void RestartWindows(bool force) override { events.Add(force ? L"restart forced" : L"restart"); }
    [[noreturn]] void EndNow() override {
        events.Add(L"end");
        throw Ended{};
    }

private:
    static bool Next(std::deque<bool>& results) {
        const bool r = results.front();
        results.pop_front();
        return r;
    }
    // Keeps what the window showed after it is unloaded.
    class Observed final : public ProgressView {
    public:
        explicit Observed(Fakes& f) : f_(f), inner_(f.events) {}
        ~Observed() override {
            f_.lastCaption = inner_.caption_;
            f_.lastLabels = inner_.labels;
            f_.lastIcons = inner_.icons;
            f_.lastCounter = inner_.counter;
        }
        void SetCaption(std::wstring_view c) override { inner_.SetCaption(c); }
        void SetLabel(WindowLabel l, std::wstring_view t) override { inner_.SetLabel(l, t); }
        void StepSuccessivo() override { inner_.StepSuccessivo(); }
        void SetInconStep(bool s) override { inner_.SetInconStep(s); }
        void Show() override { inner_.Show(); }

    private:
        Fakes& f_;
        FakeView inner_;
    };
};

struct Scenario {
    const char* name;
    // Situation.
    std::wstring installed = L"0001.0001.0000.0601";
    std::wstring update = L"0001.0002.0000.0000";
    std::wstring patch = L"0001.0002.0000.0100";
    bool cfg = true;
    bool fullInNuovo = true;
    bool patchInNuovo = true;
    bool sourceAvailable = true;
    std::deque<bool> installResults;
    std::deque<bool> patchResults;
    std::set<std::wstring> fontsAt;
    std::wstring upgradeCode = kHubCode;
    std::wstring cluster;
    // Expected.
    std::vector<std::wstring> installerCalls;
    std::array<const wchar_t*, 4> icons;  // per row, in the order set: "S", "F", "FS", ""
    bool rotated = false;
    std::wstring started;                 // the start event, empty for none
    std::vector<std::wstring> messages;
};

const std::wstring kInstallFull = L"install Orvane Hub.msi from U:\\Corrente into U:\\Setup [] ui ";
const std::wstring kPatch = L"patch U:\\Corrente\\ORVHPatch.msp ui ";
const std::wstring kRepair =
    L"install Orvane Hub.msi from U:\\Corrente into U:\\Setup [REINSTALL=ALL REINSTALLMODE=dmus] ui 99";
const std::wstring kStartUpdated = L"start [C:\\Prod dir\\Hub.exe] C:\\Prod dir\\Hub.exe /NoConsole show 1";
const std::wstring kStartIgnoring =
    L"start [C:\\Prod dir\\Hub.exe] C:\\Prod dir\\Hub.exe /IgnoraAggiornamento /NoConsole show 1";
const std::wstring k10001 = L"message #2 | #10001 | stop";

class UpdateRunTest : public testing::TestWithParam<Scenario> {
protected:
    void Prepare(const Scenario& sc) {
        for (const auto* f : {L"U:", L"C:", L"C:\\Orvane", L"C:\\Prod dir"}) fs.AddFolder(f);
        fs.AddFile(kProduct);
        if (sc.cfg) {
            fs.AddFile(kCfg);
            const bool desk = sc.upgradeCode == kDeskCode;
            if (!sc.update.empty()) profile.Set(kCfg, L"Versione", desk ? L"Orvane Desk.msi" : L"Orvane Hub.msi", sc.update);
            if (!sc.patch.empty()) profile.Set(kCfg, L"Versione", desk ? L"ORVDPatch.msp" : L"ORVHPatch.msp", sc.patch);
        }
        fakes.installed = sc.installed;
        fakes.fullPackageVersion = sc.update;
        fakes.patchedVersion = sc.patch;
        fakes.sourceAvailable = sc.sourceAvailable;
        fakes.installResults = sc.installResults;
        fakes.patchResults = sc.patchResults;
        fakes.fontsFoundAt = sc.fontsAt;
    }

    void Run(const Scenario& sc) {
        Prepare(sc);
        if (sc.fullInNuovo) fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi");
        if (sc.patchInNuovo) fs.AddFile(L"U:\\Nuovo\\ORVHPatch.msp");
        RunSettings settings{sc.cluster, 0, kProduct, kRoot, sc.upgradeCode};
        RunServices services{fs,          ini,    texts,  fakes,  fakes, fakes,
                             fakes,       fakes,  fakes,  fakes,  fakes,
                             [this](const std::wstring& v) {
                                 fakes.events.Add(L"fonts " + v);
                                 return fakes.fontsFoundAt.count(v) != 0;
                             },
                             [](const std::wstring&) { return std::wstring(); },
                             [](std::wstring_view t) { return std::optional<std::wstring>(std::wstring(t)); },
                             L"C:\\Orvane",
                             L"1.0.1"};
        try {
            RunUpdate(settings, services);
        } catch (const Fakes::Ended&) {
            ended = true;
        }
    }

    std::vector<std::wstring> Matching(const std::wstring& prefix) const {
        std::vector<std::wstring> found;
        for (const auto& e : fakes.events.log) {
            if (e.rfind(prefix, 0) == 0) found.push_back(e);
        }
        return found;
    }
    std::vector<std::wstring> InstallerCalls() const {
        std::vector<std::wstring> all;
        for (const auto& e : fakes.events.log) {
            if (e.rfind(L"install ", 0) == 0 || e.rfind(L"patch ", 0) == 0) all.push_back(e);
        }
        return all;
    }

    test::FakeFileSystem fs;
    test::FakeProfile profile;
    test::TextOnlyConversions conversions;
    OvFileIni ini{profile, conversions};
    IdTexts texts;
    Fakes fakes;
    bool ended = false;
};

TEST_P(UpdateRunTest, DecidesAsTheSituationRequires) {
    const Scenario& sc = GetParam();
    Run(sc);
    EXPECT_THAT(InstallerCalls(), ElementsAreArray(sc.installerCalls));
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(fakes.lastIcons[row], sc.icons[row]) << "row " << row;
    }
    EXPECT_EQ(!fs.FileExists(kCfg) && sc.cfg, sc.rotated) << "rotation";
    EXPECT_THAT(Matching(L"start "), ElementsAreArray(sc.started.empty() ? std::vector<std::wstring>{}
                                                                         : std::vector<std::wstring>{sc.started}));
    EXPECT_THAT(Matching(L"message "), ElementsAreArray(sc.messages));
}

std::string ScenarioName(const testing::TestParamInfo<Scenario>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Situations, UpdateRunTest,
    testing::Values(
        Scenario{.name = "TypicalRoadFullThenPatch",
                 .installerCalls = {kInstallFull + L"99", kPatch + L"99"},
                 .icons = {L"S", L"S", L"S", L"S"}, .rotated = true, .started = kStartUpdated},
        Scenario{.name = "NothingNewer", .update = L"0001.0001.0000.0601", .patch = L"0001.0001.0000.0601",
                 .icons = {L"S", L"F", L"F", L"S"}, .rotated = true, .started = kStartIgnoring},
        Scenario{.name = "ConfigurationMissing", .cfg = false, .icons = {L"F", L"F", L"F", L"S"},
                 .started = kStartIgnoring, .messages = {L"message #2 | #202 'ORVHUpdate.cfg' | stop"}},
        Scenario{.name = "NoInstalledProduct", .installed = L"", .icons = {L"F", L"F", L"F", L"S"},
                 .started = kStartIgnoring,
                 .messages = {L"message #2 | #203 {4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60} | stop"}},
        Scenario{.name = "LowerCaseUpgradeCodeIsNoEdition", .upgradeCode = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}",
                 .icons = {L"F", L"F", L"F", L"S"}, .started = kStartIgnoring,
                 .messages = {L"message #2 | #203 {4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60} | stop"}},
        // The arrow lands on the patch step and the start's icon goes there.
        Scenario{.name = "FullPackageMissingFromNuovo", .fullInNuovo = false, .icons = {L"S", L"", L"S", L""},
                 .started = kStartIgnoring, .messages = {k10001}},
        Scenario{.name = "FullPackageFailsTwice", .patch = L"", .installResults = {false, false},
                 .installerCalls = {kInstallFull + L"99", kInstallFull + L"1"}, .icons = {L"S", L"F", L"F", L"S"},
                 .started = kStartIgnoring, .messages = {k10001}},
        Scenario{.name = "RetryWithDefaultInterfaceSucceeds", .patch = L"", .installResults = {false, true},
                 .installerCalls = {kInstallFull + L"99", kInstallFull + L"1"}, .icons = {L"S", L"S", L"F", L"S"},
                 .rotated = true, .started = kStartUpdated},
        Scenario{.name = "FullFailsTwicePatchStillApplied", .installResults = {false, false},
                 .installerCalls = {kInstallFull + L"99", kInstallFull + L"1", kPatch + L"99"},
                 .icons = {L"S", L"F", L"S", L"S"}, .rotated = true, .started = kStartUpdated},
        Scenario{.name = "SourceLostAfterFullInstallSkipsPatchStep", .sourceAvailable = false,
                 .installResults = {false, false},
                 .installerCalls = {kInstallFull + L"99", kInstallFull + L"1"}, .icons = {L"S", L"F", L"S", L""},
                 .started = kStartIgnoring, .messages = {k10001}},
        Scenario{.name = "PatchOnlyFirstAttemptFailsRetrySucceeds", .update = L"0001.0001.0000.0601",
                 .patch = L"0001.0001.0000.0700", .patchResults = {false, true},
                 .installerCalls = {kPatch + L"99", kPatch + L"1"}, .icons = {L"S", L"F", L"FS", L"S"},
                 .rotated = true, .started = kStartUpdated},
        Scenario{.name = "PatchOnlyMissingFromNuovo", .update = L"", .patch = L"0001.0001.0000.0700",
                 .patchInNuovo = false, .icons = {L"S", L"F", L"", L"S"}, .started = kStartIgnoring,
                 .messages = {k10001}},
        Scenario{.name = "RepairThenPatch", .update = L"0001.0001.0000.0601", .patch = L"0001.0001.0000.0700",
                 .sourceAvailable = false, .installerCalls = {kRepair, kPatch + L"99"},
                 .icons = {L"S", L"S", L"S", L"S"}, .rotated = true, .started = kStartUpdated},
        Scenario{.name = "RepairFailsNoRetryNoPatch", .update = L"", .patch = L"0001.0001.0000.0700",
                 .sourceAvailable = false, .installResults = {false}, .installerCalls = {kRepair},
                 .icons = {L"S", L"F", L"F", L"S"}, .started = kStartIgnoring, .messages = {k10001}},
        Scenario{.name = "RepairWithoutPackageInNuovo", .update = L"", .patch = L"", .fullInNuovo = false,
                 .sourceAvailable = false, .icons = {L"S", L"", L"F", L"S"}, .started = kStartIgnoring},
        Scenario{.name = "RepairAloneIsNotAnInstallation", .update = L"", .patch = L"", .sourceAvailable = false,
                 .installerCalls = {kRepair}, .icons = {L"S", L"S", L"F", L"S"}, .rotated = true,
                 .started = kStartIgnoring},
        Scenario{.name = "PatchBelowInstalledIsIgnored", .update = L"", .patch = L"0001.0001.0000.0500",
                 .icons = {L"S", L"F", L"F", L"S"}, .rotated = true, .started = kStartIgnoring},
        Scenario{.name = "PatchBelowUpdateIsIgnored", .patch = L"0001.0001.0000.0700",
                 .installerCalls = {kInstallFull + L"99"}, .icons = {L"S", L"S", L"F", L"S"}, .rotated = true,
                 .started = kStartUpdated},
        Scenario{.name = "ClusterResourceInsteadOfProduct", .update = L"", .patch = L"", .cluster = L"Orvane Res",
                 .icons = {L"S", L"F", L"F", L"F"}, .rotated = true,
                 .started = L"start [] Cluster Res \"Orvane Res\" /On show 2"}),
    ScenarioName);

TEST_F(UpdateRunTest, FontsBeforeAFullPackageRestartWindowsAndEndAtOnce) {
    Scenario sc{.name = "", .installed = L"0001.0001.0000.0100"};
    sc.fontsAt = {L"0001.0001.0000.0100"};
    Run(sc);
    EXPECT_TRUE(ended);
    // Nothing runs between the restart request and the end: no unload, no start.
    const auto& log = fakes.events.log;
    const auto end = std::find(log.begin(), log.end(), L"end");
    ASSERT_NE(end, log.end());
    ASSERT_GE(end - log.begin(), 2);
    EXPECT_EQ(*(end - 2), L"fonts 0001.0001.0000.0100");
    EXPECT_EQ(*(end - 1), L"restart forced");
    EXPECT_TRUE(InstallerCalls().empty());
    EXPECT_TRUE(fs.FileExists(kCfg));
    EXPECT_TRUE(fs.FileExists(L"U:\\Nuovo\\Orvane Hub.msi"));
}

TEST_F(UpdateRunTest, FontsAreCheckedWithTheUpdateVersionBeforeAFollowingPatch) {
    Scenario sc{.name = ""};
    sc.fontsAt = {L"0001.0002.0000.0000"};
    Run(sc);
    EXPECT_TRUE(ended);
    EXPECT_THAT(InstallerCalls(), ElementsAreArray({kInstallFull + L"99"}));
    EXPECT_THAT(Matching(L"fonts "), ElementsAreArray({L"fonts 0001.0001.0000.0601", L"fonts 0001.0002.0000.0000"}));
}

TEST_F(UpdateRunTest, FontsBeforeAPatchAlone) {
    Scenario sc{.name = "", .update = L"", .patch = L"0001.0001.0000.0700"};
    sc.fontsAt = {L"0001.0001.0000.0601"};
    Run(sc);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(InstallerCalls().empty());
    EXPECT_TRUE(Matching(L"start ").empty());
}

TEST_F(UpdateRunTest, NoFontsLookupWhenNothingIsInstalled) {
    Scenario sc{.name = "", .update = L"", .patch = L""};
    Run(sc);
    EXPECT_TRUE(Matching(L"fonts ").empty());
}

TEST_F(UpdateRunTest, WindowTextsAndOrderOfTheRun) {
    Scenario sc{.name = ""};
    Prepare(sc);
    fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi");
    fs.AddFile(L"U:\\Nuovo\\ORVHPatch.msp");
    RunSettings settings{L"", 4242, kProduct, kRoot, kHubCode};
    RunServices services{fs, ini, texts, fakes, fakes, fakes, fakes, fakes, fakes, fakes, fakes,
                         [](const std::wstring&) { return false; }, [](const std::wstring&) { return std::wstring(); },
                         [](std::wstring_view t) { return std::optional<std::wstring>(std::wstring(t)); },
                         L"C:\\Orvane", L"1.0.1"};
    RunUpdate(settings, services);

    EXPECT_EQ(fakes.lastCaption, L"#2 - V. 1.0.1");
    EXPECT_EQ(fakes.lastLabels[WindowLabel::RicercaVersioni], L"#105 1.1.601");
    EXPECT_EQ(fakes.lastLabels[WindowLabel::OrvhMsi], L"#106 1.2.0");
    EXPECT_EQ(fakes.lastLabels[WindowLabel::OrvhMsp], L"#107 1.2.100");
    EXPECT_EQ(fakes.lastLabels[WindowLabel::AvvioOrvh], L"#104 #1");
    EXPECT_EQ(fakes.lastCounter, 4);

    // The window is loaded before the wait, shown only after it; the closing text comes
    // first; the product is started before the window goes; the final check comes last.
    const std::vector<std::wstring> order = {L"load", L"activity #300", L"wait 4242 polling", L"activity #301",
                                             L"show", L"activity #302", L"activity #303", L"activity #304",
                                             L"activity #305", L"activity #307", L"activity #306", L"unload"};
    std::vector<std::wstring> seen;
    for (const auto& e : fakes.events.log) {
        if (std::find(order.begin(), order.end(), e) != order.end()) seen.push_back(e);
    }
    EXPECT_EQ(seen, order);
    EXPECT_EQ(fakes.events.log.back(), L"installed? Orvane Hub " + kHubCode);
}

TEST_F(UpdateRunTest, FailedUpdateIsReportedAfterTheWindowIsGone) {
    Scenario sc{.name = "", .patch = L""};
    sc.upgradeCode = kDeskCode;
    sc.installResults = {false, false};
    Run(sc);
    const auto& log = fakes.events.log;
    const auto unload = std::find(log.begin(), log.end(), L"unload");
    const auto message = std::find(log.begin(), log.end(), L"message #4 | #10001 | stop");
    ASSERT_NE(message, log.end());
    EXPECT_LT(unload, message);
    EXPECT_EQ(fakes.lastCaption, L"#4 - V. 1.0.1");
}

TEST_F(UpdateRunTest, OtherUpgradeCodeKeepsTheWindowDesign) {
    Scenario sc{.name = "", .upgradeCode = L"{00000000-0000-0000-0000-000000000000}"};
    Run(sc);
    EXPECT_EQ(fakes.lastCaption, L"");
    EXPECT_TRUE(fakes.lastLabels.count(WindowLabel::AvvioOrvh) == 0);
    EXPECT_TRUE(Matching(L"installed? ").empty());
}

TEST_F(UpdateRunTest, ArchiveKeysFromTheThresholdOn) {
    Scenario sc{.name = "", .installed = L"0001.0001.0000.0602"};
    Prepare(sc);
    profile.Set(kCfg, L"Versione", L"Orvane Hub.zip", L"0001.0003.0000.0000");
    profile.Set(kCfg, L"Versione", L"ORVHPatch.zip", L"");
    fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi");
    RunSettings settings{L"", 0, kProduct, kRoot, kHubCode};
    RunServices services{fs, ini, texts, fakes, fakes, fakes, fakes, fakes, fakes, fakes, fakes,
                         [](const std::wstring&) { return false; }, [](const std::wstring&) { return std::wstring(); },
                         [](std::wstring_view t) { return std::optional<std::wstring>(std::wstring(t)); },
                         L"C:\\Orvane", L"1.0.1"};
    RunUpdate(settings, services);
    EXPECT_EQ(fakes.lastLabels[WindowLabel::OrvhMsi], L"#106 1.3.0");
    EXPECT_EQ(fakes.lastLabels[WindowLabel::OrvhMsp], L"#109");
}

} // namespace
} // namespace orvh
