// The run's decisions over the situations a delivery can present: installer results,
// packages present in Nuovo, installed and announced versions, fonts, the edition.
#include "main/update_run.h"

#include "run_fakes.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;

const std::wstring kHubCode(kServerUpgradeCode);
const std::wstring kDeskCode(kClientUpgradeCode);
const std::wstring kProduct = L"C:\\Prod dir\\Hub.exe";
const std::wstring kCfg = L"U:\\Nuovo\\ORVHUpdate.cfg";
const std::wstring kInstallFull = L"install Orvane Hub.msi from U:\\Corrente into U:\\Setup [] ui ";
const std::wstring kPatch = L"patch U:\\Corrente\\ORVHPatch.msp ui ";
const std::wstring kRepair =
    L"install Orvane Hub.msi from U:\\Corrente into U:\\Setup [REINSTALL=ALL REINSTALLMODE=dmus] ui 99";
const std::wstring kStartUpdated = L"start [C:\\Prod dir\\Hub.exe] C:\\Prod dir\\Hub.exe /NoConsole show 1";
const std::wstring kStartIgnoring =
    L"start [C:\\Prod dir\\Hub.exe] C:\\Prod dir\\Hub.exe /IgnoraAggiornamento /NoConsole show 1";
const std::wstring k10001 = L"message #2 | #10001 | stop";

// A situation, and what the run did in it.
struct Scenario {
    std::wstring installed = L"0001.0001.0000.0601";
    std::wstring update = L"0001.0002.0000.0000";
    std::wstring patch = L"0001.0002.0000.0100";
    bool cfg = true, fullInNuovo = true, patchInNuovo = true, sourceAvailable = true;
    std::deque<bool> installResults = {}, patchResults = {};
    std::set<std::wstring> fontsAt = {};
    std::wstring upgradeCode = kHubCode, cluster = L"";
    std::int32_t processId = 0;
    Log installerCalls = {};
    std::array<std::wstring, 4> icons = {};  // per row, in the order set
    bool rotated = false;
    std::wstring started = kStartUpdated;  // empty: nothing started
    Log messages = {};
};

// One run over fresh fakes.
struct Bench {
    void Run(const Scenario& sc) {
        for (const auto* f : {L"U:", L"C:\Orvane"}) fakes.fs.AddFolder(f);
        fakes.fs.AddFile(kProduct);
        if (sc.cfg) fakes.fs.AddFile(kCfg);
        if (sc.fullInNuovo) fakes.fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi");
        if (sc.patchInNuovo) fakes.fs.AddFile(L"U:\\Nuovo\\ORVHPatch.msp");
        const bool desk = sc.upgradeCode == kDeskCode;
        fakes.profile.Set(kCfg, L"Versione", desk ? L"Orvane Desk.msi" : L"Orvane Hub.msi", sc.update);
        fakes.profile.Set(kCfg, L"Versione", desk ? L"ORVDPatch.msp" : L"ORVHPatch.msp", sc.patch);
        fakes.installed = sc.installed;
        fakes.fullInstalls = sc.update;
        fakes.patchInstalls = sc.patch;
        fakes.sourceAvailable = sc.sourceAvailable;
        fakes.installResults = sc.installResults;
        fakes.patchResults = sc.patchResults;
        fakes.fontsAt = sc.fontsAt;
        try {
            RunUpdate({sc.cluster, sc.processId, kProduct, L"U:", sc.upgradeCode}, services);
        } catch (const test::RunFakes::Ended&) {
            ended = true;
        }
    }
    Log InstallerCalls() const {
        Log calls;
        for (const auto& e : fakes.log) {
            if (e.starts_with(L"install ") || e.starts_with(L"patch ")) calls.push_back(e);
        }
        return calls;
    }

    test::RunFakes fakes;
    RunServices services = fakes.Services();
    bool ended = false;
};

TEST(UpdateRun, DecidesAsTheSituationRequires) {
    const Scenario rows[] = {
        {.installerCalls = {kInstallFull + L"99", kPatch + L"99"}, .icons = {L"S", L"S", L"S", L"S"}, .rotated = true},
        {.update = L"0001.0001.0000.0601", .patch = L"0001.0001.0000.0601", .icons = {L"S", L"F", L"F", L"S"},
         .rotated = true, .started = kStartIgnoring},
        {.cfg = false, .icons = {L"F", L"F", L"F", L"S"}, .started = kStartIgnoring,
         .messages = {L"message #2 | #202 'ORVHUpdate.cfg' | stop"}},
        {.installed = L"", .icons = {L"F", L"F", L"F", L"S"}, .started = kStartIgnoring,
         .messages = {L"message #2 | #203 " + kHubCode + L" | stop"}},
        // The arrow lands on the patch step and the start's icon goes there.
        {.fullInNuovo = false, .icons = {L"S", L"", L"S", L""}, .started = kStartIgnoring, .messages = {k10001}},
        {.patch = L"", .installResults = {false, false}, .installerCalls = {kInstallFull + L"99", kInstallFull + L"1"},
         .icons = {L"S", L"F", L"F", L"S"}, .started = kStartIgnoring, .messages = {k10001}},
        {.patch = L"", .installResults = {false, true}, .installerCalls = {kInstallFull + L"99", kInstallFull + L"1"},
         .icons = {L"S", L"S", L"F", L"S"}, .rotated = true},
        {.installResults = {false, false}, .installerCalls = {kInstallFull + L"99", kInstallFull + L"1", kPatch + L"99"},
         .icons = {L"S", L"F", L"S", L"S"}, .rotated = true},
        {.sourceAvailable = false, .installResults = {false, false},
         .installerCalls = {kInstallFull + L"99", kInstallFull + L"1"}, .icons = {L"S", L"F", L"S", L""},
         .started = kStartIgnoring, .messages = {k10001}},
        {.update = L"0001.0001.0000.0601", .patch = L"0001.0001.0000.0700", .patchResults = {false, true},
         .installerCalls = {kPatch + L"99", kPatch + L"1"}, .icons = {L"S", L"F", L"FS", L"S"}, .rotated = true},
        {.update = L"", .patch = L"0001.0001.0000.0700", .patchInNuovo = false, .icons = {L"S", L"F", L"", L"S"},
         .started = kStartIgnoring, .messages = {k10001}},
        {.update = L"0001.0001.0000.0601", .patch = L"0001.0001.0000.0700", .sourceAvailable = false,
         .installerCalls = {kRepair, kPatch + L"99"}, .icons = {L"S", L"S", L"S", L"S"}, .rotated = true},
        {.update = L"", .patch = L"0001.0001.0000.0700", .sourceAvailable = false, .installResults = {false},
         .installerCalls = {kRepair}, .icons = {L"S", L"F", L"F", L"S"}, .started = kStartIgnoring, .messages = {k10001}},
        {.update = L"", .patch = L"", .fullInNuovo = false, .sourceAvailable = false, .icons = {L"S", L"", L"F", L"S"},
         .started = kStartIgnoring},
        {.update = L"", .patch = L"", .sourceAvailable = false, .installerCalls = {kRepair},
         .icons = {L"S", L"S", L"F", L"S"}, .rotated = true, .started = kStartIgnoring},
        {.update = L"", .patch = L"0001.0001.0000.0500", .icons = {L"S", L"F", L"F", L"S"}, .rotated = true,
         .started = kStartIgnoring},
        {.patch = L"0001.0001.0000.0700", .installerCalls = {kInstallFull + L"99"}, .icons = {L"S", L"S", L"F", L"S"},
         .rotated = true},
        {.update = L"", .patch = L"", .cluster = L"Orvane Res", .icons = {L"S", L"F", L"F", L"F"}, .rotated = true,
         .started = L"start [] Cluster Res \"Orvane Res\" /On show 2"},
        {.update = L"", .patch = L"", .upgradeCode = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}",
         .icons = {L"F", L"F", L"F", L"S"}, .started = kStartIgnoring,
         .messages = {L"message #2 | #203 {4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60} | stop"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Bench b;
        b.Run(rows[i]);
        EXPECT_EQ(b.InstallerCalls(), rows[i].installerCalls) << "row " << i;
        EXPECT_EQ(b.fakes.window.icons, rows[i].icons) << "row " << i;
        EXPECT_EQ(!b.fakes.fs.FileExists(kCfg) && rows[i].cfg, rows[i].rotated) << "row " << i;
        EXPECT_EQ(b.fakes.Events(L"start "), rows[i].started.empty() ? Log{} : Log{rows[i].started}) << "row " << i;
        EXPECT_EQ(b.fakes.Events(L"message "), rows[i].messages) << "row " << i;
    }
}

// Obsolete fonts are looked for before each installation, with the version installed at
// that moment; when some were removed Windows restarts and the program ends at once.
TEST(UpdateRun, FontsBeforeAnInstallationRestartWindowsAndEndTheRun) {
    const struct {
        Scenario scenario;
        Log fontsAsked;
        Log installerCalls;
    } rows[] = {
        {{.installed = L"0001.0001.0000.0100", .fontsAt = {L"0001.0001.0000.0100"}}, {L"fonts 0001.0001.0000.0100"}, {}},
        {{.fontsAt = {L"0001.0002.0000.0000"}}, {L"fonts 0001.0001.0000.0601", L"fonts 0001.0002.0000.0000"},
         {kInstallFull + L"99"}},
        {{.update = L"", .patch = L"0001.0001.0000.0700", .fontsAt = {L"0001.0001.0000.0601"}},
         {L"fonts 0001.0001.0000.0601"}, {}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Bench b;
        b.Run(rows[i].scenario);
        EXPECT_TRUE(b.ended) << "row " << i;
        EXPECT_EQ(b.fakes.Events(L"fonts "), rows[i].fontsAsked) << "row " << i;
        EXPECT_EQ(b.InstallerCalls(), rows[i].installerCalls) << "row " << i;
        // Nothing runs between the restart request and the end but the fakes' unwinding.
        const auto end = std::find(b.fakes.log.begin(), b.fakes.log.end(), L"end");
        ASSERT_NE(end, b.fakes.log.end()) << "row " << i;
        EXPECT_EQ(*(end - 1), L"restart forced") << "row " << i;
        EXPECT_EQ(*(end - 2), rows[i].fontsAsked.back()) << "row " << i;
        EXPECT_TRUE(b.fakes.fs.FileExists(kCfg)) << "row " << i;
    }
    Bench nothingInstalled;
    nothingInstalled.Run({.update = L"", .patch = L"", .fontsAt = {L"0001.0001.0000.0601"}});
    EXPECT_FALSE(nothingInstalled.ended);
}

TEST(UpdateRun, WindowTextsAndOrderOfTheRun) {
    Bench b;
    b.Run({.processId = 4242});
    const auto& labels = b.fakes.window.labels;
    EXPECT_EQ(labels.at(WindowLabel::RicercaVersioni), L"#105 1.1.601");
    EXPECT_EQ(labels.at(WindowLabel::OrvhMsi), L"#106 1.2.0");
    EXPECT_EQ(labels.at(WindowLabel::OrvhMsp), L"#107 1.2.100");
    EXPECT_EQ(labels.at(WindowLabel::AvvioOrvh), L"#104 #1");
    EXPECT_EQ(b.fakes.window.counter, 4);
    // Loaded before the wait, shown after it; the closing text first; the product started
    // before the window goes; the final check of the installed version last.
    const std::wstring installed = L"installed? Orvane Hub " + kHubCode;
    const Log order = {L"load", L"caption #2 - V. 1.0.1", L"activity #300", L"wait 4242 polling", L"activity #301",
                       L"show", installed, L"activity #302", L"activity #303", L"activity #304", L"activity #305",
                       L"activity #307", L"activity #306", kStartUpdated, L"unload", installed};
    Log seen;
    for (const auto& e : b.fakes.log) {
        if (std::find(order.begin(), order.end(), e) != order.end()) seen.push_back(e);
    }
    EXPECT_EQ(seen, order);
    EXPECT_EQ(b.fakes.log.back(), installed);
}

TEST(UpdateRun, EditionTextsAndKeys) {
    Bench desk;
    desk.Run({.patch = L"", .installResults = {false, false}, .upgradeCode = kDeskCode});
    EXPECT_EQ(desk.fakes.Events(L"caption "), Log{L"caption #4 - V. 1.0.1"});
    EXPECT_EQ(desk.fakes.window.labels.at(WindowLabel::AvvioOrvh), L"#104 #3");
    EXPECT_EQ(desk.fakes.log.back(), L"message #4 | #10001 | stop");

    Bench other;
    other.Run({.upgradeCode = L"{00000000-0000-0000-0000-000000000000}"});
    EXPECT_EQ(other.fakes.Events(L"caption "), Log{});
    EXPECT_EQ(other.fakes.window.labels.count(WindowLabel::AvvioOrvh), 0u);
    EXPECT_EQ(other.fakes.Events(L"installed? "), Log{});

    Bench archive;
    archive.fakes.profile.Set(kCfg, L"Versione", L"Orvane Hub.zip", L"0001.0003.0000.0000");
    archive.Run({.installed = L"0001.0001.0000.0602"});
    EXPECT_EQ(archive.fakes.window.labels.at(WindowLabel::OrvhMsi), L"#106 1.3.0");
    EXPECT_EQ(archive.fakes.window.labels.at(WindowLabel::OrvhMsp), L"#109");
}

} // namespace
} // namespace orvh
