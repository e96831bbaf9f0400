// The run's decisions over what a delivery can present, its end, and its dealings with the product:
// waiting for it, starting it or its cluster resource.
#include "rows.h"
#include "main/product_start.h"
#include "main/product_wait.h"
#include "run_fakes.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;

const std::wstring kHubCode(kServerUpgradeCode), kDeskCode(kClientUpgradeCode);
const std::wstring kProduct = L"C:\\Prod dir\\Hub.exe", kCfg = L"U:\\Nuovo\\ORVHUpdate.cfg";
const std::wstring kFull = L"install Orvane Hub.msi from U:\\Corrente into U:\\Setup [] ui ";
const std::wstring kRepair = L"install Orvane Hub.msi from U:\\Corrente into U:\\Setup [REINSTALL=ALL REINSTALLMODE=dmus] ui 99";
const std::wstring kPatch = L"patch U:\\Corrente\\ORVHPatch.msp into U:\\Setup beside U:\\Corrente\\Orvane Hub.msi ui ";
const std::wstring kUpdated = L"start [C:\\Prod dir\\Hub.exe] C:\\Prod dir\\Hub.exe /NoConsole show 1";
const std::wstring kIgnoring = L"start [C:\\Prod dir\\Hub.exe] C:\\Prod dir\\Hub.exe /IgnoraAggiornamento /NoConsole show 1";
const std::wstring k10001 = L"message #2 | #10001 | stop";
const std::wstring kMsi = L"U:\\Nuovo\\Orvane Hub.msi", kMsp = L"U:\\Nuovo\\ORVHPatch.msp", kExe = L"U:\\Nuovo\\ORVHUpdate.exe";
// The run's one copy of a file of Nuovo, in Corrente: what is verified, held and copied on.
std::wstring Copy(const std::wstring& nuovoFile) {
    return L"U:\\Corrente\\" + nuovoFile.substr(nuovoFile.rfind(L'\\') + 1) + L".orvh-verified";
}
// The held file of which a signed run's installer call receives the copy.
const std::wstring kOfMsi = L" of " + Copy(kMsi), kOfMsp = L" of " + Copy(kMsp);
const FileSignature kPublisher{SignatureState::Valid, 0, L"ERROR_SUCCESS", 0, {L"", L"", L"", L"", L"Orvane"}, L"CN=Orvane", L"AA"};

// A situation, and what the run did in it: installations and restarts; each step row's
// icons ("-": none), "rotated" when the update set was, and the start; the messages.
struct Scenario {
    std::wstring installed = L"0001.0001.0000.0601", update = L"0001.0002.0000.0000", patch = L"0001.0002.0000.0100";
    bool cfg = true, fullInNuovo = true, patchInNuovo = true, sourceAvailable = true;
    std::deque<unsigned> installResults = {}, patchResults = {};
    std::set<std::wstring> fontsAt = {};
    bool restartsAllowed = true, restartRefused = false;
    std::wstring delivered = L"";  // the full package's version in Corrente's configuration file, if any
    std::wstring upgradeCode = kHubCode;
    std::int32_t processId = 0;
    // A signed launcher: its own signature, the set's (the publisher's when missing), the files'
    // own versions (the announced ones when missing), an ORVHUpdate.exe offered at a version.
    std::optional<FileSignature> launcher = {};
    std::map<std::wstring, FileSignature> signatures = {};
    std::map<std::wstring, std::wstring> own = {};
    std::wstring updaterOffered = L"";
    // Others meanwhile: an unsigned launcher dropped into Nuovo and announced at 9999 while the
    // full package installs; the installation source lost once the run has asked about it.
    bool dropUpdater = false, sourceLost = false;
    Log calls = {};
    Log verified = {};  // the files of Nuovo verified
    std::wstring outcome = L"";
    std::uint32_t exitCode = 0;
    Log messages = {};
    std::wstring journal = L"";  // the journal's account of the last file verified, when given
    // Files of Nuovo not whole (and why), or still being written.
    std::map<std::wstring, std::wstring> notWhole = {};
    std::set<std::wstring> beingWritten = {};
    // The update folder's sub-folders: one a link, the run elevated, what protecting gives, a
    // sub-folder this run may not write, an entry no elevated run made; the folders protected.
    std::wstring link = L"";
    bool elevated = false;
    ProtectResult protect = ProtectResult::Protected;
    std::wstring unwritable = L"", foreign = L"";
    Log protectedFolders = {};
};

struct Bench {
    void Run(const Scenario& sc) {
        fakes.fs.AddFolder(L"U:");
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
        fakes.restartRefused = sc.restartRefused;
        if (!sc.delivered.empty()) {
            fakes.fs.AddFile(L"U:\\Corrente\\ORVHUpdate.cfg");
            fakes.profile.Set(L"U:\\Corrente\\ORVHUpdate.cfg", L"Versione", L"Orvane Hub.msi", sc.delivered);
        }
        fakes.sourceLostOnceAsked = sc.sourceLost;
        if (sc.dropUpdater) {
            fakes.whileInstalling = [this] {
                fakes.fs.AddFile(kExe, "dropped");
                fakes.profile.Set(kCfg, L"Versione", L"ORVHUpdate.exe", L"9999.0000.0000.0001");
            };
        }
        if (sc.launcher) {
            fakes.signatures[L"C:\\Orvane\\OrvhUpdate.exe"] = *sc.launcher;
            for (const auto& path : {kMsi, kMsp, kExe}) fakes.signatures[Copy(path)] = kPublisher;
            for (const auto& [path, signature] : sc.signatures) fakes.signatures[Copy(path)] = signature;
            fakes.ownVersions = {{Copy(kMsi), sc.update}, {Copy(kExe), sc.updaterOffered}};
            for (const auto& [path, version] : sc.own) fakes.ownVersions[Copy(path)] = version;
            fakes.fs.AddFile(L"U:\\Corrente\\ORVHUpdate.exe");
            fakes.updater = L"0001.0000.0000.0001";
        }
        if (!sc.updaterOffered.empty()) {
            fakes.fs.AddFile(kExe);
            fakes.profile.Set(kCfg, L"Versione", L"ORVHUpdate.exe", sc.updaterOffered);
        }
        for (const auto& [path, fault] : sc.notWhole) fakes.notWhole[Copy(path)] = fault;
        fakes.beingWritten = sc.beingWritten;
        if (!sc.link.empty()) fakes.fs.AddLink(sc.link, L"C:\\Windows");
        services.program.elevated = sc.elevated;
        fakes.access.protection.result = sc.protect;
        fakes.access.unwritable.insert(sc.unwritable);
        if (!sc.foreign.empty()) {
            fakes.fs.AddFile(L"U:\\Corrente\\" + sc.foreign);
            fakes.access.foreign[L"U:\\Corrente"] = {sc.foreign};
        }
        try {
            RunUpdate({L"", sc.processId, kProduct, L"U:", sc.upgradeCode, sc.restartsAllowed}, services, record);
        } catch (const test::RunFakes::Ended&) {
        } catch (const PlatformError& error) {
            record.errorReport = error.Number();
        }
    }
    Log Calls() const {
        Log calls;
        for (const auto& e : fakes.log) {
            if (e.starts_with(L"install ") || e.starts_with(L"patch ") || e.starts_with(L"restart") || e == L"end") {
                calls.push_back(e);
            }
        }
        return calls;
    }
    std::wstring Outcome() const {
        std::wstring outcome;
        for (const auto& icons : fakes.icons) outcome += (icons.empty() ? L"-" : icons) + L" ";
        if (fakes.fs.FileExists(L"U:\\Corrente\\ORVHUpdate.cfg")) outcome += L"rotated ";
        if (std::ranges::count(fakes.fs.log, L"copy " + Copy(kExe) + L" -> U:\\Corrente\\ORVHUpdate.exe")) {
            outcome += L"new launcher ";
        }
        const Log started = fakes.Events(L"start ");
        if (started.empty()) return outcome + L"no start";
        return outcome + (started == Log{kUpdated} ? L"updated" : started == Log{kIgnoring} ? L"ignoring" : started[0]);
    }

    test::RunFakes fakes;
    RunServices services = fakes.Services();
    RunRecord record;
};

TEST(UpdateRun, DecidesAsTheSituationRequires) {
    const std::wstring v0601 = L"0001.0001.0000.0601", v0700 = L"0001.0001.0000.0700";
    const std::wstring lowerHub = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}", restart = L"restart forced";
    const std::wstring noVersion = L"message #2 | #203 ";
    const FileSignature renewed{SignatureState::Valid, 0, L"ERROR_SUCCESS", 0, {L"", L"", L"", L"", L"Orvane"}, L"CN=Orvane", L"BB"};
    const FileSignature other{SignatureState::Valid, 0, L"ERROR_SUCCESS", 0, {L"", L"", L"", L"", L"Other"}, L"CN=Other", L"CC"};
    const FileSignature broken{SignatureState::NotValid, 0x80096010, L"TRUST_E_BAD_DIGEST", 0, {L"", L"", L"", L"", L"Orvane"}, L"CN=Orvane", L"AA"};
    const FileSignature unsigned_{};
    const std::wstring refused = L"S F F S ignoring", v2 = L"0001.0000.0000.0002";
    const std::wstring no202 = L"message #2 | #202 'ORVHUpdate.cfg' | stop";
    const auto box = [](const std::wstring& title, const std::wstring& file, const std::wstring& reason) {
        return Log{L"message " + title + L" | #10002 '" + file + L"' " + reason + L". #10007 | stop"};
    };
    const Scenario rows[] = {
        {.calls = {kFull + L"99", kPatch + L"99"}, .outcome = L"S S S S rotated updated"},
        {.update = v0601, .patch = v0601, .outcome = L"S F F S rotated ignoring"},
        {.cfg = false, .outcome = L"F F F S ignoring", .exitCode = 10202, .messages = {no202}},
        // Run again after a completed update: Corrente's configuration (hence "rotated") offers nothing newer.
        {.cfg = false, .delivered = v0601, .outcome = L"F F F S rotated ignoring", .messages = {no202}},
        {.cfg = false, .delivered = L"0001.0002.0000.0000", .outcome = L"F F F S rotated ignoring", .exitCode = 10202,
         .messages = {no202}},
        {.installed = L"", .outcome = L"F F F S ignoring", .exitCode = 1605, .messages = {noVersion + kHubCode + L" | stop"}},
        {.upgradeCode = lowerHub, .outcome = L"F F F S ignoring", .exitCode = 1605,
         .messages = {noVersion + lowerHub + L" | stop"}},
        // The arrow lands on the patch step and the start's icon goes there.
        {.fullInNuovo = false, .outcome = L"S - S - ignoring", .exitCode = 1603, .messages = {k10001}},
        {.patch = L"", .installResults = {1603, 1603}, .calls = {kFull + L"99", kFull + L"1"},
         .outcome = L"S F F S ignoring", .exitCode = 1603, .messages = {k10001}},
        {.patch = L"", .installResults = {1603, 0}, .calls = {kFull + L"99", kFull + L"1"},
         .outcome = L"S S F S rotated updated"},
        {.installResults = {1603, 1603}, .calls = {kFull + L"99", kFull + L"1", kPatch + L"99"},
         .outcome = L"S F S S rotated updated", .exitCode = 1603},
        {.sourceAvailable = false, .installResults = {1603, 1603}, .calls = {kFull + L"99", kFull + L"1"},
         .outcome = L"S F S - ignoring", .exitCode = 1603, .messages = {k10001}},
        {.update = v0601, .patch = v0700, .patchResults = {1603, 0}, .calls = {kPatch + L"99", kPatch + L"1"},
         .outcome = L"S F FS S rotated updated"},
        {.update = L"", .patch = v0700, .patchInNuovo = false, .outcome = L"S F - S ignoring", .exitCode = 1603,
         .messages = {k10001}},
        // Windows Installer busy past the wait: no retry, nothing more installed, no message.
        {.installResults = {1618}, .calls = {kFull + L"99"}, .outcome = L"S F F S ignoring", .exitCode = 1618},
        {.update = v0601, .patch = v0700, .patchResults = {1618}, .calls = {kPatch + L"99"},
         .outcome = L"S F F S ignoring", .exitCode = 1618},
        // A restart the installer requires never restarts Windows; one it started ends the run.
        {.installResults = {3010}, .calls = {kFull + L"99", kPatch + L"99"}, .outcome = L"S S S S rotated updated",
         .exitCode = 3010},
        {.installResults = {1641}, .restartsAllowed = false, .calls = {kFull + L"99", L"end"},
         .outcome = L"S - - - no start", .exitCode = 1641},
        {.update = L"", .patch = v0700, .sourceAvailable = false, .installResults = {1603}, .calls = {kRepair},
         .outcome = L"S F F S ignoring", .exitCode = 1603, .messages = {k10001}},
        {.update = L"", .patch = L"", .fullInNuovo = false, .sourceAvailable = false, .outcome = L"S - F S ignoring"},
        {.update = L"", .patch = L"", .sourceAvailable = false, .calls = {kRepair},
         .outcome = L"S S F S rotated ignoring"},
        // Fonts removed before an installation (for the version installed then) end in a restart.
        {.installed = L"0001.0001.0000.0100", .fontsAt = {L"0001.0001.0000.0100"}, .calls = {restart, L"end"},
         .outcome = L"S - - - no start", .exitCode = 1641},
        {.fontsAt = {L"0001.0002.0000.0000"}, .calls = {kFull + L"99", restart, L"end"}, .outcome = L"S S - - no start",
         .exitCode = 1641},
        {.update = L"", .patch = v0700, .fontsAt = {v0601}, .calls = {restart, L"end"}, .outcome = L"S F - - no start",
         .exitCode = 1641},
        {.update = L"", .patch = v0700, .fontsAt = {v0601}, .restartRefused = true, .calls = {restart},
         .outcome = L"S F - - no start", .exitCode = kExitErrorReport},
        // Restarts not allowed: the set stays for the run after the restart, the product waits for it.
        {.installed = L"0001.0001.0000.0100", .fontsAt = {L"0001.0001.0000.0100"}, .restartsAllowed = false,
         .outcome = L"S - - - no start", .exitCode = 3010},
        {.fontsAt = {L"0001.0002.0000.0000"}, .restartsAllowed = false, .calls = {kFull + L"99"},
         .outcome = L"S S - - no start", .exitCode = 3010},
        {.update = L"", .patch = L"", .fontsAt = {v0601}, .outcome = L"S F F S rotated ignoring"},
        // A signed launcher uses only what its publisher signed, a renewed certificate included.
        {.launcher = kPublisher, .signatures = {{kMsi, renewed}}, .updaterOffered = v2,
         .calls = {kFull + L"99" + kOfMsi, kPatch + L"99" + kOfMsp}, .verified = {kMsi, kMsp, kExe},
         .outcome = L"S S S S rotated new launcher updated"},
        {.launcher = kPublisher, .signatures = {{kMsi, unsigned_}}, .updaterOffered = v2, .verified = {kMsi},
         .outcome = refused, .exitCode = kExitSetRefused, .messages = box(L"#2", L"Orvane Hub.msi", L"#10003")},
        {.launcher = kPublisher, .signatures = {{kMsp, other}}, .verified = {kMsi, kMsp}, .outcome = refused, .exitCode = kExitSetRefused,
         .messages = box(L"#2", L"ORVHPatch.msp", L"#10004")},
        {.launcher = kPublisher, .signatures = {{kExe, broken}}, .updaterOffered = v2, .verified = {kMsi, kMsp, kExe},
         .outcome = refused, .exitCode = kExitSetRefused, .messages = box(L"#2", L"ORVHUpdate.exe", L"#10005"),
         .journal = L"journal Signature of \"" + Copy(kExe) + L"\": result 0x80096010 TRUST_E_BAD_DIGEST, signer \"CN=Orvane\", "
                    L"thumbprint AA, expected publisher \"CN=Orvane\": signature not valid"},
        {.launcher = kPublisher, .own = {{kMsi, L"0001.0003.0000.0000"}}, .verified = {kMsi}, .outcome = refused, .exitCode = kExitSetRefused,
         .messages = box(L"#2", L"Orvane Hub.msi", L"#10006"),
         .journal = L"journal Own version of \"" + Copy(kMsi) + L"\" 0001.0003.0000.0000, announced 0001.0002.0000.0000: they differ"},
        {.launcher = kPublisher, .own = {{kExe, L""}}, .updaterOffered = v2, .verified = {kMsi, kMsp, kExe},
         .outcome = refused, .exitCode = kExitSetRefused, .messages = box(L"#2", L"ORVHUpdate.exe", L"#10006")},
        // A launcher whose own signature fails uses nothing, whatever the set.
        {.upgradeCode = kDeskCode, .launcher = broken, .outcome = refused, .exitCode = kExitSetRefused,
         .messages = box(L"#4", L"OrvhUpdate.exe", L"#10005")},
        // Only the files the road uses count (a patch not above the full package, a launcher not
        // newer), and a repair installs the verified copy.
        {.patch = v0700, .launcher = kPublisher, .signatures = {{kMsp, unsigned_}, {kExe, unsigned_}},
         .updaterOffered = L"0001.0000.0000.0001", .calls = {kFull + L"99" + kOfMsi}, .verified = {kMsi},
         .outcome = L"S S F S rotated updated"},
        {.update = v0601, .patch = v0700, .sourceAvailable = false, .launcher = kPublisher,
         .calls = {kRepair + kOfMsi, kPatch + L"99" + kOfMsp}, .verified = {kMsi, kMsp}, .outcome = L"S S S S rotated updated"},
        // Decided once: what others change after the decision is not used, signed or not. A
        // launcher dropped into Nuovo and announced anew is not copied; a source lost after the
        // question is not repaired (for a signed launcher, from a full package it never verified).
        {.dropUpdater = true, .calls = {kFull + L"99", kPatch + L"99"}, .outcome = L"S S S S rotated updated"},
        {.launcher = kPublisher, .dropUpdater = true, .calls = {kFull + L"99" + kOfMsi, kPatch + L"99" + kOfMsp},
         .verified = {kMsi, kMsp}, .outcome = L"S S S S rotated updated"},
        {.update = v0601, .patch = v0700, .sourceLost = true, .calls = {kPatch + L"99"}, .outcome = L"S F S S rotated updated"},
        {.update = v0601, .patch = v0700, .launcher = kPublisher, .signatures = {{kMsi, unsigned_}}, .sourceLost = true,
         .calls = {kPatch + L"99" + kOfMsp}, .verified = {kMsp}, .outcome = L"S F S S rotated updated"},
        {.update = v0601, .patch = v0700, .sourceAvailable = false, .launcher = kPublisher,
         .signatures = {{kMsi, other}}, .verified = {kMsi}, .outcome = refused, .exitCode = kExitSetRefused,
         .messages = box(L"#2", L"Orvane Hub.msi", L"#10004")},
        // A file not whole is never read: a failed installation or patch, a launcher not copied.
        {.patch = L"", .outcome = L"S F F S ignoring", .exitCode = 1603, .messages = {k10001},
         .notWhole = {{kMsi, L"cut"}}},
        {.update = v0601, .patch = v0700, .outcome = L"S F F S ignoring", .exitCode = 1603, .messages = {k10001},
         .notWhole = {{kMsp, L"cut"}}},
        {.calls = {kFull + L"99"}, .outcome = L"S S F S ignoring", .exitCode = 1603, .notWhole = {{kMsp, L"cut"}}},
        {.update = L"", .patch = L"", .sourceAvailable = false, .outcome = L"S F F S ignoring", .exitCode = 1603,
         .notWhole = {{kMsi, L"cut"}}},
        {.launcher = kPublisher, .updaterOffered = v2, .calls = {kFull + L"99" + kOfMsi, kPatch + L"99" + kOfMsp},
         .verified = {kMsi, kMsp}, .outcome = L"S S S S rotated updated", .notWhole = {{kExe, L"cut"}}},
        // A set still being written is left as it is, without a box, for a later run.
        {.outcome = L"S F F S ignoring", .exitCode = 1618, .beingWritten = {kCfg}},
        {.launcher = kPublisher, .outcome = L"S F F S ignoring", .exitCode = 1618,
         .beingWritten = {L"U:\\Nuovo\\Orvane Desk.msi"}},
        // A link where a sub-folder belongs ends the run before anything changes, as a failed
        // installation ends it; so does a folder of the launcher's it cannot make its own.
        {.outcome = L"F F F S ignoring", .exitCode = 1603, .messages = {k10001}, .link = L"U:\\Vecchio"},
        {.outcome = L"F F F S ignoring", .exitCode = 1603, .messages = {k10001}, .unwritable = L"U:\\Corrente"},
        {.calls = {kFull + L"99", kPatch + L"99"}, .outcome = L"S S S S rotated updated", .unwritable = L"U:\\Nuovo"},
        {.calls = {kFull + L"99", kPatch + L"99"}, .outcome = L"S S S S rotated updated", .elevated = true,
         .foreign = L"planted.msi", .protectedFolders = {L"U:\\Vecchio", L"U:\\Corrente", L"U:\\Setup"}},
        {.calls = {kFull + L"99", kPatch + L"99"}, .outcome = L"S S S S rotated updated", .elevated = true,
         .protect = ProtectResult::NotKept, .foreign = L"planted.msi",
         .protectedFolders = {L"U:\\Vecchio", L"U:\\Corrente", L"U:\\Setup"}},
        {.outcome = L"F F F S ignoring", .exitCode = 1603, .messages = {k10001}, .elevated = true, .protect = ProtectResult::Failed,
         .protectedFolders = {L"U:\\Vecchio"}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        Bench b;
        b.Run(row);
        EXPECT_EQ(b.Calls(), row.calls);
        EXPECT_EQ(b.Outcome(), row.outcome);
        EXPECT_EQ(DecideEnd(b.record).exitCode, row.exitCode);
        // A run Windows restarts reports its end before it ends; any other leaves it to the program's end.
        EXPECT_EQ(b.fakes.Events(L"end reported "), row.exitCode == 1641 ? Log{L"end reported 1641"} : Log{});
        EXPECT_EQ(b.fakes.Events(L"message "), row.messages);
        EXPECT_EQ(b.fakes.Events(L"activity #300"), Log{});
        Log verified, expected;
        for (const auto& event : b.fakes.Events(L"verify U:")) verified.push_back(event.substr(7, event.size() - 12));
        for (const auto& file : row.verified) expected.push_back(Copy(file));
        EXPECT_EQ(verified, expected);
        // The set's files of Nuovo are read once, by their verification copies, which are gone
        // at the end (the configuration file, read as text, is copied on as it stands).
        for (const auto& event : b.fakes.fs.log) {
            if (event.starts_with(L"copy U:\\Nuovo\\") && !event.starts_with(L"copy " + kCfg)) {
                EXPECT_TRUE(event.ends_with(L".orvh-verified")) << event;
            }
        }
        EXPECT_EQ(b.fakes.fs.FileExists(Copy(kMsi)) || b.fakes.fs.FileExists(Copy(kMsp)) || b.fakes.fs.FileExists(Copy(kExe)),
                  false);
        EXPECT_EQ(b.fakes.Events(L"verify C:"), Log{L"verify C:\\Orvane\\OrvhUpdate.exe"});
        EXPECT_EQ(b.fakes.Holding(L"\" is not whole (cut): "), static_cast<long>(row.notWhole.size()));
        EXPECT_EQ(b.fakes.access.protectedFolders, row.protectedFolders);
        // Held from the wait on: the update folder and its four sub-folders; with a link, none.
        EXPECT_EQ(b.fakes.fs.held.size(), row.link.empty() ? 5u : 0u);
        if (!row.link.empty()) {
            EXPECT_EQ(b.fakes.fs.log, Log{});
            EXPECT_EQ(b.fakes.Holding(L"\"" + row.link + L"\" is a link to \"C:\\Windows\""), 1);
        }
        // Where the list is kept, what no elevated run made goes rather than keeping its own.
        const bool removed = std::ranges::count(b.fakes.fs.log, L"delete U:\\Corrente\\" + row.foreign) != 0;
        EXPECT_EQ(removed, !row.foreign.empty() && row.protect == ProtectResult::Protected);
        // A refused set, or one still being written, is not touched: nothing copied, installed or
        // rotated, but for the verification copies, removed again.
        const auto moved = std::ranges::count_if(b.fakes.fs.log, [](const auto& e) {
            return !e.starts_with(L"mkdir ") && e.find(L".orvh-verified") == std::wstring::npos;
        });
        if (!row.beingWritten.empty()) {
            EXPECT_TRUE(std::ranges::all_of(b.fakes.fs.log, [](const auto& e) { return e.starts_with(L"mkdir "); }));
        }
        if (!row.launcher || !row.beingWritten.empty()) return;
        const bool accepted = row.messages.empty();
        EXPECT_EQ(moved == 0, !accepted);
        const Log verifications = b.fakes.Events(accepted ? L"journal Update set verified" : L"journal Update set refused");
        EXPECT_EQ(verifications.size(), 1u);
        if (!row.journal.empty()) {
            const Log lines = b.fakes.Events(L"journal ");
            EXPECT_EQ(*(std::find(lines.begin(), lines.end(), verifications[0]) - 1), row.journal);
        }
    });
}

// The first end that applies, in order of precedence, gives the exit code and the event.
TEST(UpdateRun, EndsWithTheExitCodeAndEventOfTheFirstEndThatApplies) {
    using R = RunRecord;
    const std::tuple<RunRecord, std::uint32_t, std::uint32_t> rows[] = {
        {R{.help = true}, 0, 1000},
        {R{.restartStarted = true, .restartRequired = true, .installationFailed = true}, 1641, 1002},
        {R{.restartRequired = true, .installerBusy = true, .installationPhase = true, .installationFailed = true}, 3010, 1001},
        {R{.installerBusy = true, .installationPhase = true, .reachedOffered = false}, 1618, 1003},
        {R{.anotherLauncher = true}, 1618, 1003},
        {R{.notInstalled = true, .errorReport = 32}, 1605, 1004},
        {R{.installationPhase = true, .reachedOffered = true}, 0, 1000},
        {R{.noConfiguration = true, .completedEarlier = true}, 0, 1000},
        // A full package failed and the patch applied; a failure shown; the set's version not reached.
        {R{.installationPhase = true, .installationFailed = true, .reachedOffered = true}, 1603, 1005},
        {R{.installationPhase = true, .failureShown = true, .reachedOffered = true}, 1603, 1005},
        {R{.installationPhase = true, .reachedOffered = false}, 1603, 1005},
        {R{.installationFailed = true, .errorReport = 32}, 1603, 1005},
        {R{.noConfiguration = true}, kExitNoConfiguration, 1006},
        {R{.noConfiguration = true, .completedEarlier = true, .errorReport = 32}, kExitNoConfiguration, 1006},
        {R{.refused = true}, kExitSetRefused, 1007},
        {R{.installationPhase = true, .errorReport = 32}, kExitErrorReport, 1008}, // the rotation failed
        {R{.errorReport = 32}, kExitErrorReport, 1008},
        {R{.installationPhase = true}, kExitErrorReport, 1008}, // the final check never reached
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [record, exitCode, eventId] = row;
        EXPECT_EQ(DecideEnd(record).exitCode, exitCode);
        EXPECT_EQ(DecideEnd(record).eventId, eventId);
    });
}

TEST(UpdateRun, WindowTextsAndOrderOfTheRun) {
    Bench b;
    b.Run({.processId = 4242});
    const std::map<WindowLabel, std::wstring> labels = {
        {WindowLabel::RicercaVersioni, L"#105 1.1.601"}, {WindowLabel::OrvhMsi, L"#106 1.2.0"},
        {WindowLabel::OrvhMsp, L"#107 1.2.100"}, {WindowLabel::AvvioOrvh, L"#104 #1"}, {WindowLabel::Attivita, L"#306"}};
    EXPECT_EQ(b.fakes.labels, labels);
    // Loaded before the wait, shown after it; the closing text first; the product started
    // before the window goes; the final check of the installed version last.
    const std::wstring installed = L"installed? Orvane Hub " + kHubCode;
    const Log order = {L"load", L"caption #2 - V. 1.0.1", L"activity #300", L"wait 4242 polling", L"activity #301",
                       L"step 1", L"show", installed, L"activity #302", L"activity #303", L"icon S", L"step 2",
                       L"activity #304", L"icon S", L"step 3", L"activity #305", L"icon S", L"step 4", L"activity #307",
                       L"activity #306", kUpdated, L"icon S", L"unload", installed};
    Log seen;
    std::copy_if(b.fakes.log.begin(), b.fakes.log.end(), std::back_inserter(seen),
                 [&](const auto& e) { return std::find(order.begin(), order.end(), e) != order.end(); });
    EXPECT_EQ(seen, order);
    // The journal tells what was found and decided, and why.
    EXPECT_EQ(b.fakes.Events(L"journal "),
              (Log{L"journal Update folder \"U:\" (given by /PathAggiornamento)",
                   L"journal Edition Orvane Hub, upgrade code " + kHubCode + L", process 4242, product \"" + kProduct +
                       L"\", cluster resource \"\"",
                   L"journal This launcher is not signed (TRUST_E_NOSIGNATURE): the update set is not verified",
                   L"journal The update folder and its sub-folders are held until the run ends",
                   L"journal Configuration file \"" + kCfg + L"\"", L"journal Installed version 0001.0001.0000.0601",
                   L"journal Versions announced (keys \"Orvane Hub.msi\", \"ORVHPatch.msp\"): full package "
                   L"0001.0002.0000.0000, patch 0001.0002.0000.0100",
                   L"journal Road of this run: full package 0001.0002.0000.0000 to be installed; patch 0001.0002.0000.0100 "
                   L"to be applied; launcher not replaced; files of Nuovo used: \"" + kMsi + L"\", \"" + kMsp + L"\"",
                   L"journal The full package is newer than the installed version: it is installed",
                   L"journal Full package installed", L"journal The patch is newer than the full package: it is applied",
                   L"journal Patch applied", L"journal Rotating the update set through Corrente and Vecchio",
                   L"journal Rotation done", L"journal Final check: installed version 0001.0002.0000.0100"}));

    Bench desk;
    desk.Run({.patch = L"", .installResults = {1603, 1603}, .upgradeCode = kDeskCode});
    EXPECT_EQ(desk.fakes.Events(L"caption "), Log{L"caption #4 - V. 1.0.1"});
    EXPECT_EQ(desk.fakes.labels.at(WindowLabel::AvvioOrvh), L"#104 #3");
    EXPECT_EQ(desk.fakes.log.back(), L"message #4 | #10001 | stop");
    EXPECT_EQ(desk.fakes.Events(L"journal Final check"),
              Log{L"journal Final check: installed version 0001.0001.0000.0601, unchanged although an update was due"});
    Bench none;  // nothing newer offered
    none.Run({.update = L"0001.0001.0000.0601", .patch = L""});
    EXPECT_EQ(none.fakes.Events(L"journal Final check"), Log{L"journal Final check: installed version 0001.0001.0000.0601"});
}

TEST(UpdateRun, WaitsForTheProductOrPausesThenShowsTheWindowOnTheFirstStep) {
    const std::pair<std::int32_t, std::wstring> rows[] = {{1, L"wait 1 polling"}, {0, L"pause 15"}, {-1, L"pause 15"}};
    test::ForEachRow(rows, [&](const auto& row) {
        test::RunFakes fakes;
        WaitForProduct(row.first, *fakes.Load(), fakes, fakes);
        EXPECT_EQ(fakes.log, (Log{L"load", row.second, L"activity #301", L"step 1", L"show", L"unload"}));
    });
}

TEST(UpdateRun, StartsTheProductOrTheClusterResource) {
    const std::wstring exe = L"C:\\Orvane Hub.exe";
    const std::wstring ignoring = L"start [C:\\Orvane Hub.exe] C:\\Orvane Hub.exe /IgnoraAggiornamento /NoConsole show 1";
    // Cluster resource, executable, installed, edition; then what happened.
    const std::tuple<std::wstring, std::wstring, bool, std::optional<Edition>, Log> rows[] = {
        {L"", exe, false, Edition::Client, {L"activity #309", L"pump", ignoring, L"icon S"}},
        {L"", exe, false, std::nullopt, {L"pump", ignoring, L"icon S"}},
        {L"R \"A\"", exe, true, Edition::Server,
         {L"activity #306", L"pump", L"icon F", L"start [C:\\Sys\\cluster.exe] Cluster Res \"R \"A\"\" /On show 2"}},
        {L"", exe + L"x", true, Edition::Server, {L"activity #306", L"pump", L"icon F"}},
        {L"", L"", true, Edition::Client, {L"activity #309", L"pump", L"icon F"}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [cluster, executable, installed, edition, events] = row;
        test::RunFakes fakes;
        fakes.fs.AddFile(exe);
        const auto view = fakes.Load();
        fakes.log.clear();
        StartProductOrResource({cluster, L"C:\\Sys\\cluster.exe", executable, installed, edition},
                               {*view, fakes, fakes, fakes.fs, fakes});
        EXPECT_EQ(fakes.log, events);
    });
}

} // namespace
} // namespace orvh
