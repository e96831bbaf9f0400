// The delivering side's tool: the findings of a check, what make writes or refuses, and the
// plan, which is the launcher's own run over a simulated Windows Installer.
#include "fakes.h"
#include "rows.h"
#include "set_tool/installed_classes.h"
#include "set_tool/set_check.h"
#include "set_tool/set_make.h"
#include "set_tool/set_plan.h"
#include "set_tool/tool_command_line.h"
#include "set_tool/tool_output.h"
#include "ini/ov_file_ini.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvh::set_tool {
namespace {

const std::wstring kHub(kServerUpgradeCode), kDesk(kClientUpgradeCode);
const std::wstring kCode120 = L"{79BFBBD3-7201-408A-83D0-199A674CFA26}";
const std::wstring kFolder = L"S:\\Set";

// Every package is one of "Orvane Desk", every patch "{PATCH}", every launcher 1.0.0.2; the
// configuration file is still being written.
struct Reader final : SetFileReader {
    PackageFacts Package(const std::wstring&) override { return {L"Orvane Desk", {}, {}, {}}; }
    PatchFacts Patch(const std::wstring&) override { return {L"{PATCH}", {}, {}}; }
    std::wstring ExecutableVersion(const std::wstring&) override { return L"1.0.0.2"; }
    SignatureFacts Signature(const std::wstring&) override { return {}; }
    std::optional<SetRole> RoleOf(const std::wstring&) override { return std::nullopt; }
    ArrivalVerdict ArrivalOf(const std::wstring&, std::optional<SetRole> role) override {
        return role ? ArrivalVerdict{} : ArrivalVerdict{Arrival::BeingWritten, L""};
    }
};

// "Orvane Hub" 1.2.0, its patch to 1.2.100 and a launcher 1.0.0.2, announced under both schemes.
SetFolder Typical() {
    SetFolder set;
    set.folder = kFolder;
    set.configurationPresent = true;
    set.entries = {L"ORVHUpdate.cfg", L"Orvane Hub.msi", L"ORVHPatch.msp", L"ORVHUpdate.exe"};
    set.files[SetRole::FullPackage] = {kFolder + L"\\Orvane Hub.msi", SetRole::FullPackage,
                                    PackageFacts{L"Orvane Hub", L"1.2.0", kCode120, kHub}, std::nullopt, L"", {}};
    set.files[SetRole::Patch] = {kFolder + L"\\ORVHPatch.msp", SetRole::Patch, std::nullopt,
                              PatchFacts{L"{23AB4191-9484-4E9D-9E9F-162F81BDC0FE}", {kCode120},
                                         {{kCode120, L"1.2.0", kCode120, L"1.2.100", kHub}}},
                              L"", {}};
    set.files[SetRole::Launcher] = {kFolder + L"\\ORVHUpdate.exe", SetRole::Launcher, std::nullopt, std::nullopt, L"1.0.0.2", {}};
    for (const auto& [name, archive, version] :
         {std::tuple{L"Orvane Hub.msi", L"Orvane Hub.zip", L"0001.0002.0000.0000"},
          std::tuple{L"ORVHPatch.msp", L"ORVHPatch.zip", L"0001.0002.0000.0100"},
          std::tuple{L"ORVHUpdate.exe", L"ORVHUpdate.zip", L"0001.0000.0000.0002"}}) {
        set.announced[name] = version;
        set.announced[archive] = version;
    }
    return set;
}

// Every file signed by the publisher "Orvane", with a timestamp.
void Signed(SetFolder& set) {
    for (auto& [role, file] : set.files) {
        file.signature.signature.state = SignatureState::Valid;
        file.signature.signature.publisher.commonName = L"Orvane";
        file.signature.signature.subjectText = L"CN=Orvane";
        file.signature.timestamped = true;
    }
}

using Change = std::function<void(SetFolder&)>;

// The typical set without one of its files and the file's two keys.
Change Without(SetRole role, const std::wstring& name, const std::wstring& archive) {
    return [=](SetFolder& s) {
        s.files.erase(role);
        s.announced.erase(name);
        s.announced.erase(archive);
    };
}

TEST(SetCheck, EachSlipOfTheDeliveringSideIsOneFindingWithItsFile) {
    // A change to the typical set, and its findings as severity and file, in order; the last
    // finding's text, when given; the publisher given, if any.
    struct Row {
        Change change;
        std::vector<std::wstring> found;
        std::wstring says = L"";
        std::optional<Publisher> publisher = std::nullopt;
    };
    const Row rows[] = {
        {[](SetFolder&) {}, {}},
        {[](SetFolder& s) { s.announced[L"Orvane Hub.msi"] = s.announced[L"Orvane Hub.zip"] = L"1.2.0.0"; },
         {L"E Orvane Hub.msi", L"E Orvane Hub.zip", L"E Orvane Hub.msi", L"E ORVHPatch.msp"}},
        {[](SetFolder& s) { std::erase_if(s.announced, [](const auto& e) { return e.first.ends_with(L".zip"); }); },
         {L"E ORVHUpdate.cfg", L"E ORVHUpdate.cfg"}},
        {[](SetFolder& s) { s.files[SetRole::FullPackage].package->upgradeCode = kDesk; }, {L"E Orvane Hub.msi"}},
        {[](SetFolder& s) {
             s.announced[L"ORVHPatch.msp"] = s.announced[L"ORVHPatch.zip"] = L"0001.0002.0000.0000";
             s.files[SetRole::Patch].patch->targets[0].resultingVersion = L"1.2.0";
         },
         {L"E ORVHPatch.msp"}},
        {[](SetFolder& s) { s.files[SetRole::Patch].patch->targets[0].productCode = kDesk; }, {L"E ORVHPatch.msp"}},
        {[](SetFolder& s) { s.files[SetRole::Patch].patch->targets[0].upgradeCode = kDesk; }, {L"E ORVHPatch.msp"},
         L"targets upgrade code " + kDesk + L", not Orvane Hub's: Windows Installer does not apply it"},
        {[](SetFolder& s) { s.files[SetRole::Launcher].executableVersion = L"1.0.0.1"; }, {L"E ORVHUpdate.exe"}},
        {[](SetFolder& s) { s.configurationPresent = false; }, {L"E ORVHUpdate.cfg"}},
        {[](SetFolder& s) { std::erase_if(s.announced, [](const auto& e) { return !e.first.ends_with(L".zip"); }); },
         {L"W ORVHUpdate.cfg", L"W ORVHUpdate.cfg", L"W ORVHUpdate.cfg"}},
        {[](SetFolder& s) { s.announced.erase(L"ORVHUpdate.exe"); }, {L"W ORVHUpdate.cfg"}},
        {[](SetFolder& s) { std::erase_if(s.announced, [](const auto& e) { return e.first.starts_with(L"Orvane"); }); },
         {L"W Orvane Hub.msi"}},
        {[](SetFolder& s) { s.entries.push_back(L"Orvane Hub 1.2.msi"); }, {L"W Orvane Hub 1.2.msi"}},
        {[](SetFolder& s) { s.files.erase(SetRole::Patch); }, {L"E ORVHPatch.msp"}},
        {[](SetFolder& s) {
             s.files.erase(SetRole::Launcher);
             s.notArrived[L"ORVHUpdate.exe"] = {Arrival::NotWhole, L"cut"};
         },
         {L"E ORVHUpdate.exe"}, L"not whole (cut): the launcher does not copy it into Corrente, and the rotation deletes it"},
        {[](SetFolder& s) { Signed(s); }, {}},
        // A signed launcher refuses only where its road uses the file.
        {[](SetFolder& s) {
             Signed(s);
             s.files[SetRole::Patch].signature.signature.publisher.commonName = L"Other";
             s.files[SetRole::Patch].signature.signature.subjectText = L"CN=Other";
         },
         {L"E ORVHPatch.msp"},
         L"signed by \"CN=Other\", not by the set's first signer \"CN=Orvane\": installations below 1.2.100 refuse the "
         L"set (message 10004)"},
        {[](SetFolder& s) {
             Signed(s);
             s.files[SetRole::FullPackage].signature = {};
         },
         {L"E Orvane Hub.msi"},
         L"not signed, beside signed files: installations below 1.2.0, and installations from 1.2.0 on whose "
         L"installation source is lost refuse the set (message 10003)"},
        {[](SetFolder& s) {
             Signed(s);
             s.files[SetRole::Launcher].executableVersion = L"1.0.0.1";
         },
         {L"E ORVHUpdate.exe", L"E ORVHUpdate.exe"},
         L"its own version 0001.0000.0000.0001 is not the announced 0001.0000.0000.0002: all installations refuse the "
         L"set (message 10006)"},
        // A certificate names no launcher: which launcher uses the one offered depends on its own version.
        {[](SetFolder& s) {
             Signed(s);
             s.files[SetRole::Launcher].executableVersion = L"1.0.0.1";
         },
         {L"E ORVHUpdate.exe", L"E ORVHUpdate.exe"},
         L"its own version 0001.0000.0000.0001 is not the announced 0001.0000.0000.0002: all installations refuse the "
         L"set (message 10006) when the launcher that runs is not above 1.0.2: a signed launcher never puts one older "
         L"than itself into Corrente, and a certificate does not tell which version runs",
         Publisher{{L"", L"", L"", L"", L"Orvane"}, L"CN=Orvane", true}},
        {[](SetFolder& s) {
             Signed(s);
             s.files[SetRole::FullPackage].signature.timestamped = false;
         },
         {L"W Orvane Hub.msi"}},
        // Without its configuration file the set announces nothing, and nothing of it is refused.
        {[](SetFolder& s) {
             Signed(s);
             s.files[SetRole::Patch].signature = {};
             s.configurationPresent = false;
         },
         {L"E ORVHUpdate.cfg"}},
    };
    test::FakeConversions numbers;
    test::ForEachRow(rows, [&](const Row& row) {
        SetFolder set = Typical();
        row.change(set);
        test::FakeProfile profile;
        for (const auto& [key, value] : set.announced) profile.Set(kFolder + L"\\ORVHUpdate.cfg", L"Versione", key, value);
        const auto findings = CheckSet(set, row.publisher, profile, numbers);
        std::vector<std::wstring> found;
        for (const auto& f : findings) found.push_back((f.severity == Severity::Error ? L"E " : L"W ") + f.file);
        EXPECT_EQ(found, row.found);
        if (!row.says.empty()) {
            EXPECT_EQ(findings.back().text, row.says);
        }
    });
}

TEST(SetMake, BothKeySchemesWithEachFilesOwnVersionOrARefusal) {
    using Inputs = std::vector<FileFacts>;
    const auto typical = [] {
        const SetFolder set = Typical();
        return Inputs{set.files.at(SetRole::FullPackage), set.files.at(SetRole::Patch), set.files.at(SetRole::Launcher)};
    };
    test::FakeConversions numbers;
    const MadeSet made = MakeSet(typical(), std::nullopt, numbers);
    EXPECT_EQ(made.entries, (std::vector<std::pair<std::wstring, std::wstring>>{
                                {L"Orvane Hub.msi", L"0001.0002.0000.0000"}, {L"Orvane Hub.zip", L"0001.0002.0000.0000"},
                                {L"ORVHPatch.msp", L"0001.0002.0000.0100"}, {L"ORVHPatch.zip", L"0001.0002.0000.0100"},
                                {L"ORVHUpdate.exe", L"0001.0000.0000.0002"}, {L"ORVHUpdate.zip", L"0001.0000.0000.0002"}}));
    EXPECT_EQ(made.copies.size(), 3u);

    // A change to the inputs and the edition asked for: the one refusal, by its reason.
    const std::tuple<std::function<void(Inputs&)>, std::optional<Edition>, std::wstring> refused[] = {
        {[](Inputs&) {}, Edition::Client, L"Orvane Hub.msi: a package of Orvane Hub, not of Orvane Desk"},
        {[](Inputs& in) { in[1].patch->targets[0].resultingVersion = L"1.2.0"; }, std::nullopt,
         L"ORVHPatch.msp: its resulting version 1.2.0 is not above the full package's 1.2.0: the launcher would ignore it"},
        {[](Inputs& in) { in[1].patch->targets[0].productCode = kDesk; }, std::nullopt,
         L"ORVHPatch.msp: does not target the full package's product " + kCode120 + L" at 1.2.0"},
        {[](Inputs& in) { in[2].executableVersion.clear(); }, std::nullopt, L"ORVHUpdate.exe: no version resource"},
    };
    test::ForEachRow(refused, [&](const auto& row) {
        const auto& [change, edition, refusal] = row;
        Inputs inputs = typical();
        change(inputs);
        EXPECT_EQ(MakeSet(inputs, edition, numbers).refusals, std::vector<std::wstring>{kFolder + L"\\" + refusal});
    });

    // A patch alone: its edition from its target's upgrade code, its version its target's result.
    Inputs alone{typical()[1]};
    alone[0].patch->targets[0].upgradeCode = kDesk;
    const MadeSet patch = MakeSet(alone, std::nullopt, numbers);
    EXPECT_EQ(patch.entries, (std::vector<std::pair<std::wstring, std::wstring>>{
                                 {L"ORVDPatch.msp", L"0001.0002.0000.0100"}, {L"ORVDPatch.zip", L"0001.0002.0000.0100"}}));
    EXPECT_EQ(patch.copies, (std::vector<std::pair<std::wstring, std::wstring>>{{kFolder + L"\\ORVHPatch.msp", L"ORVDPatch.msp"}}));
}

TEST(SetPlan, TheLaunchersRunForEachInstalledVersion) {
    struct Row {
        std::wstring installed;
        Change change;
        bool launcherSigned;
        std::wstring endVersion;
        bool rotated, ignoreUpdate;
        std::vector<std::int32_t> firstStrings; // of each box
        std::wstring endAfterStop;              // "" when the run does not install and then patch
        std::size_t installerCalls;
        bool sourceMissing = false;             // the installed product's cached package is gone
    };
    const Row rows[] = {
        {L"0001.0001.0000.0601", {}, false, L"0001.0002.0000.0100", true, false, {}, L"0001.0002.0000.0100", 2},
        // The trap of the key schemes: a run stopped after 1.2.0 reads the archive keys.
        {L"0001.0001.0000.0601",
         [](SetFolder& s) { std::erase_if(s.announced, [](const auto& e) { return e.first.ends_with(L".zip"); }); }, false,
         L"0001.0002.0000.0100", true, false, {}, L"0001.0002.0000.0000", 2},
        {L"0001.0002.0000.0000", {}, false, L"0001.0002.0000.0100", true, false, {}, L"", 1},
        {L"0001.0003.0000.0000", {}, false, L"0001.0003.0000.0000", true, true, {}, L"", 0},
        {L"0001.0001.0000.0601", {}, true, L"0001.0001.0000.0601", false, true, {10002}, L"", 0},
        // A full package delivered alone: nothing to stop between.
        {L"0001.0001.0000.0601", Without(SetRole::Patch, L"ORVHPatch.msp", L"ORVHPatch.zip"), false,
         L"0001.0002.0000.0000", true, false, {}, L"", 1},
        // A patch delivered alone, for a version no package of the set describes.
        {L"0001.0002.0000.0000", Without(SetRole::FullPackage, L"Orvane Hub.msi", L"Orvane Hub.zip"), false,
         L"0001.0002.0000.0100", true, false, {}, L"", 1},
        // A patch applies once, though its second target is the version its first gives.
        {L"0001.0002.0000.0000",
         [](SetFolder& s) { s.files[SetRole::Patch].patch->targets.push_back({kCode120, L"1.2.100", kCode120, L"1.2.200", kHub}); },
         false, L"0001.0002.0000.0100", true, false, {}, L"", 1},
        // A full package not whole, delivered alone: never installed.
        {L"0001.0001.0000.0601",
         [](SetFolder& s) {
             Without(SetRole::Patch, L"ORVHPatch.msp", L"ORVHPatch.zip")(s);
             s.files.erase(SetRole::FullPackage);
             s.notArrived[L"Orvane Hub.msi"] = {Arrival::NotWhole, L"cut"};
         },
         false, L"0001.0001.0000.0601", false, true, {10001}, L"", 0},
        // The source repaired from the full package, then the patch.
        {L"0001.0002.0000.0000", {}, false, L"0001.0002.0000.0100", true, false, {}, L"", 2, true},
    };
    test::FakeConversions numbers;
    test::ForEachRow(rows, [&](const auto& row) {
        SetFolder set = Typical();
        if (row.change) row.change(set);
        test::FakeProfile profile;
        for (const auto& [key, value] : set.announced) profile.Set(kFolder + L"\\ORVHUpdate.cfg", L"Versione", key, value);
        PlanCase planCase{row.installed, L"", row.sourceMissing, std::nullopt};
        if (row.launcherSigned) planCase.launcher = FileSignature{SignatureState::Valid, 0, L"", 0, {L"", L"", L"", L"", L"Orvane"}, L"CN=Orvane", L""};
        const Plan plan = PlanRun(set, planCase, profile, numbers);
        std::vector<std::int32_t> first;
        for (const auto& box : plan.run.messages) first.push_back(box.at(0));
        EXPECT_EQ(plan.run.endVersion, row.endVersion);
        EXPECT_EQ(plan.run.rotated, row.rotated);
        EXPECT_EQ(plan.run.ignoreUpdate, row.ignoreUpdate);
        EXPECT_EQ(first, row.firstStrings);
        EXPECT_EQ(plan.afterStop ? plan.afterStop->endVersion : L"", row.endAfterStop);
        EXPECT_EQ(plan.run.steps.size(), row.installerCalls);
        for (const auto& step : plan.run.steps) EXPECT_TRUE(step.ends_with(L": done")) << testing::PrintToString(step);
    });
}

TEST(SetTool, CommandLineAsTheDeliveringSideTypesIt) {
    using Args = std::vector<std::wstring>;
    // The arguments; the command read back, or "usage" for a usage error.
    const std::pair<Args, std::wstring> rows[] = {
        {{L"make", L"O", L"a.msi"}, L"make O [a.msi]"},
        {{L"make", L"O"}, L"usage"},
        {{L"check", L"S", L"T"}, L"usage"},
        {{L"check", L"S", L"--publisher", L"p.exe", L"--edition", L"desk"}, L"check S [] desk by p.exe"},
        {{L"plan", L"S", L"--publisher", L"p.exe", L"--installed", L"1.1.601"}, L"usage"},
        {{L"plan", L"S", L"--installed", L"1.1.601", L"--json"}, L"plan S [] 0001.0001.0000.0601 json"},
        {{L"plan", L"S", L"--installed"}, L"usage"},
        {{L"plan", L"S", L"--installed", L"1.1.601", L"--launcher"}, L"usage"},
        {{L"plan", L"S"}, L"usage"},
        {{L"plan", L"S", L"--installed", L"1.1.601", L"--source-missing"}, L"plan S [] 0001.0001.0000.0601 source missing"},
        {{L"check", L"S", L"--source-missing"}, L"usage"},
    };
    const test::FakeConversions numbers;
    test::ForEachRow(rows, [&](const auto& row) {
        const ParsedCommand parsed = ParseToolCommand(row.first, numbers);
        std::wstring read = L"usage";
        if (const auto& c = parsed.command) {
            read = std::wstring(c->command == Command::Make ? L"make" : c->command == Command::Check ? L"check" : L"plan") +
                   L" " + c->folder + L" [";
            for (const auto& file : c->files) read += file;
            read += L"]";
            if (c->edition) read += c->edition == Edition::Client ? L" desk" : L" hub";
            for (const auto& version : c->installed) read += L" " + version;
            if (!c->publisher.empty()) read += L" by " + c->publisher;
            if (c->json) read += L" json";
            if (c->sourceMissing) read += L" source missing";
        }
        EXPECT_EQ(read, row.second);
        EXPECT_EQ(parsed.error.empty(), row.second != L"usage");
    });
}

TEST(SetTool, PlanPrintedForPeopleAndForPrograms) {
    const test::FakeConversions numbers;
    // A full package and its patch, verified, then the run stopped between the two.
    Plan both;
    RunPlan& run = both.run;
    run.installed = L"0001.0001.0000.0601";
    run.keys = {L"Orvane Hub.msi", L"ORVHPatch.msp", L"ORVHUpdate.exe"};
    run.announced = {L"0001.0002.0000.0000", L"0001.0002.0000.0100", L""};
    run.road = RunRoad{};
    run.road->update = L"0001.0002.0000.0000";
    run.road->patch = L"0001.0002.0000.0100";
    run.road->newerFullPackage = run.road->installFullPackage = run.road->applyPatch = true;
    run.road->files = {{SetRole::FullPackage, L"N\\Orvane Hub.msi", L""}, {SetRole::Patch, L"N\\ORVHPatch.msp", L""}};
    run.verdict.verified = {L"N\\Orvane Hub.msi", L"N\\ORVHPatch.msp"};
    run.steps = {L"install Orvane Hub.msi 1.2.0 at interface level 99: error 1603",
                 L"install Orvane Hub.msi 1.2.0 at interface level 1: done", L"apply patch ORVHPatch.msp at interface level 99: done"};
    run.endVersion = L"0001.0002.0000.0100";
    run.productCommandLine = L"P.exe /NoConsole";
    run.exitCode = 1603;
    run.eventId = 1005;
    run.journal = {L"say \"hi\" in C:\\x"};
    both.afterStop = RunPlan{};
    both.afterStop->exitCode = 10002;
    both.afterStop->eventId = 1007;
    both.afterStop->installed = both.afterStop->endVersion = L"0001.0002.0000.0000";
    both.afterStop->verdict = {Refusal::NotSigned, L"N\\ORVHPatch.msp", {L"N\\ORVHPatch.msp"}};
    both.afterStop->ignoreUpdate = true;
    both.afterStop->messages = {{10002, 10003, 10007}, {10001}};
    EXPECT_EQ(PlanText({both}, numbers),
              L"Installed 1.1.601 (0001.0001.0000.0601):\n"
              L"  reads \"Orvane Hub.msi\" 0001.0002.0000.0000, \"ORVHPatch.msp\" 0001.0002.0000.0100, \"ORVHUpdate.exe\" none\n"
              L"  decides: full package 0001.0002.0000.0000 to be installed; patch 0001.0002.0000.0100 to be applied; launcher not "
              L"replaced; files of Nuovo used: \"N\\Orvane Hub.msi\", \"N\\ORVHPatch.msp\"\n"
              L"  verifies: Orvane Hub.msi, ORVHPatch.msp; accepted\n"
              L"  Windows Installer: install Orvane Hub.msi 1.2.0 at interface level 99: error 1603\n"
              L"  Windows Installer: install Orvane Hub.msi 1.2.0 at interface level 1: done\n"
              L"  Windows Installer: apply patch ORVHPatch.msp at interface level 99: done\n"
              L"  ends at 0001.0002.0000.0100; the set stays in Nuovo\n"
              L"  exit code 1603, event 1005\n"
              L"  product: P.exe /NoConsole\n"
              L"  the launcher's account (simulated paths):\n"
              L"    say \"hi\" in C:\\x\n"
              L"  stopped between the full package and the patch, the next run:\n"
              L"    decides no road: it reads no versions\n"
              L"    verifies: ORVHPatch.msp; refuses ORVHPatch.msp (message 10003)\n"
              L"    Windows Installer: nothing installed\n"
              L"    ends at 0001.0002.0000.0000; the set stays in Nuovo\n"
              L"    exit code 10002, event 1007\n"
              L"    product: not started\n"
              L"    message box: strings 10002, 10003, 10007\n"
              L"    message box: strings 10001\n"
              L"    the launcher's account (simulated paths):\n");
    const std::wstring twoCalls = PlanJson({both});
    for (const auto* part :
         {L"\"road\": {\"update\": \"0001.0002.0000.0000\", \"patch\": \"0001.0002.0000.0100\", \"launcher\": \"\", "
          L"\"installFullPackage\": true, \"repairSource\": false, \"applyPatch\": true, \"replaceLauncher\": false, "
          L"\"used\": [\"N\\\\Orvane Hub.msi\", \"N\\\\ORVHPatch.msp\"], \"verified\": [\"N\\\\Orvane Hub.msi\", "
          L"\"N\\\\ORVHPatch.msp\"], \"refused\": null, \"refusal\": null}, \"steps\": [\"install Orvane Hub.msi 1.2.0 at "
          L"interface level 99: error 1603\", \"install Orvane Hub.msi 1.2.0 at interface level 1: done\", \"apply patch "
          L"ORVHPatch.msp at interface level 99: done\"], \"endVersion\": \"0001.0002.0000.0100\"",
          L"\"afterStop\": {\"installed\": \"0001.0002.0000.0000\", \"keys\": [\"\", \"\", \"\"]",
          L"\"exitCode\": 1603, \"eventId\": 1005, \"journal\": [\"say \\\"hi\\\" in C:\\\\x\"]",
          L"\"messages\": [10002, 10001], \"messageStrings\": [[10002, 10003, 10007], [10001]]",
          L"\"exitCode\": 10002, \"eventId\": 1007, \"journal\": []}}]"}) {
        EXPECT_NE(twoCalls.find(part), std::wstring::npos) << testing::PrintToString(twoCalls);
    }

    // The summary of a check, and whether its exit tells errors.
    const std::vector<Finding> findings{{Severity::Warning, L"a", L"w"}, {Severity::Error, L"b", L"e"}};
    EXPECT_EQ(FindingsText(findings, kFolder), L"warning: a: w\nerror: b: e\nS:\\Set: 1 error(s), 1 warning(s)\n");
    EXPECT_TRUE(HasErrors(findings));
    EXPECT_FALSE(HasErrors({findings[0]}));
}

// The installed versions a set meets, in the classes inside which the launcher decides alike,
// each run by one representative; consecutive classes told as one range.
TEST(SetCheck, ClassesOfInstalledVersionsBetweenTheSetsOwn) {
    const std::wstring v120 = L"0001.0002.0000.0000", v121 = L"0001.0002.0000.0100";
    const test::FakeConversions numbers;
    // The set's versions; the classes' representatives, the server's split where the archive keys begin.
    using Versions = std::vector<std::wstring>;
    const std::pair<Versions, Versions> classes[] = {
        {{v121, v120}, {L"0000.0000.0000.0000", L"0001.0001.0000.0602", v120, L"0001.0002.0000.0001", v121}},
        {{L"0001.0001.0000.0500"}, {L"0000.0000.0000.0000", L"0001.0001.0000.0500", L"0001.0001.0000.0602"}},
        {{L"0001.0001.0000.0601"}, {L"0000.0000.0000.0000", L"0001.0001.0000.0601", L"0001.0001.0000.0602"}},
    };
    test::ForEachRow(classes, [](const auto& row) {
        Versions representatives;
        for (const auto& c : InstalledClasses(row.first, Edition::Server)) representatives.push_back(c.representative);
        EXPECT_EQ(representatives, row.second);
    });
    const auto server = InstalledClasses({v121, v120}, Edition::Server);
    // Indices of classes; their installations.
    const std::pair<std::vector<std::size_t>, std::wstring> rows[] = {
        {{0}, L"installations below 1.1.602"}, {{1}, L"installations from 1.1.602 to below 1.2.0"},
        {{2}, L"installations at 1.2.0"}, {{3}, L"installations above 1.2.0 to below 1.2.100"},
        {{4}, L"installations from 1.2.100 on"}, {{0, 1, 2}, L"installations up to 1.2.0"},
        {{0, 2, 3}, L"installations below 1.1.602 and installations from 1.2.0 to below 1.2.100"},
        {{0, 1, 2, 3, 4}, L"all installations"}};
    test::ForEachRow(rows, [&](const auto& row) { EXPECT_EQ(InstallationsOf(server, row.first, numbers), row.second); });
    // The client's keys do not depend on the installed version; nothing lies between neighbours.
    const auto client = InstalledClasses({v120, L"0001.0002.0000.0001", v120}, Edition::Client);
    ASSERT_EQ(client.size(), 3u);
    EXPECT_EQ(InstallationsOf(client, 0, 0, numbers) + L", " + InstallationsOf(client, 2, 2, numbers),
              L"installations below 1.2.0, installations from 1.2.1 on");
    EXPECT_EQ(InstallationsOf(InstalledClasses({}, Edition::Client), 0, 0, numbers), L"all installations");
}

// The launcher knows its files by name in any letter case; the edition follows the names found; a
// file still being written is told apart.
TEST(SetTool, TheFolderAsTheLauncherSeesIt) {
    Reader reader;
    test::FakeFileSystem fs;
    test::FakeProfile profile;
    const test::FakeConversions numbers;
    const OvFileIni ini(profile, numbers);
    fs.AddFolder(kFolder);
    fs.AddFile(kFolder + L"\\ORVDPATCH.MSP");
    fs.AddFile(kFolder + L"\\ORVHUpdate.exe");
    fs.AddFile(kFolder + L"\\ORVHUpdate.cfg");
    profile.Set(kFolder + L"\\ORVHUpdate.cfg", L"Versione", L"ORVDPatch.zip", L"0001.0002.0000.0100");
    const SetFolder set = ReadSetFolder(kFolder, std::nullopt, fs, ini, reader);
    EXPECT_EQ(set.edition, Edition::Client);
    EXPECT_TRUE(set.configurationPresent);
    EXPECT_EQ(set.notArrived.size(), 1u);
    EXPECT_EQ(set.notArrived.count(L"ORVHUpdate.cfg"), 1u);
    EXPECT_EQ(set.announced, (std::map<std::wstring, std::wstring>{{L"ORVDPatch.zip", L"0001.0002.0000.0100"}}));
    EXPECT_EQ(set.files.size(), 2u);
    EXPECT_EQ(set.files.at(SetRole::Patch).patch->patchCode, L"{PATCH}");
    EXPECT_EQ(set.files.at(SetRole::Launcher).executableVersion, L"1.0.0.2");
}

} // namespace
} // namespace orvh::set_tool
