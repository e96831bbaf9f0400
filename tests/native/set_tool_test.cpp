// The delivering side's tool: the findings of a check, what make writes or refuses, and the
// plan, which is the launcher's own run over a simulated Windows Installer.
#include "fakes.h"
#include "rows.h"
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

struct Reader final : SetFileReader {
    PackageFacts Package(const std::wstring&) override { return {}; }
    PatchFacts Patch(const std::wstring&) override { return {}; }
    std::wstring ExecutableVersion(const std::wstring&) override { return L""; }
    SignatureFacts Signature(const std::wstring&) override { return {}; }
    std::optional<Role> RoleOf(const std::wstring&) override { return std::nullopt; }
    ArrivalVerdict ArrivalOf(const std::wstring&, std::optional<Role>) override { return {}; }
};

// "Orvane Hub" 1.2.0, its patch to 1.2.100 and a launcher 1.0.0.2, announced under both schemes.
SetFolder Typical() {
    SetFolder set;
    set.folder = kFolder;
    set.configurationPresent = true;
    set.entries = {L"ORVHUpdate.cfg", L"Orvane Hub.msi", L"ORVHPatch.msp", L"ORVHUpdate.exe"};
    set.files[Role::FullPackage] = {kFolder + L"\\Orvane Hub.msi", Role::FullPackage,
                                    PackageFacts{L"Orvane Hub", L"1.2.0", kCode120, kHub}, std::nullopt, L"", {}};
    set.files[Role::Patch] = {kFolder + L"\\ORVHPatch.msp", Role::Patch, std::nullopt,
                              PatchFacts{L"{23AB4191-9484-4E9D-9E9F-162F81BDC0FE}", {kCode120},
                                         {{kCode120, L"1.2.0", kCode120, L"1.2.100", kHub}}},
                              L"", {}};
    set.files[Role::Launcher] = {kFolder + L"\\ORVHUpdate.exe", Role::Launcher, std::nullopt, std::nullopt, L"1.0.0.2", {}};
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
        file.signature.timestamped = true;
    }
}

using Change = std::function<void(SetFolder&)>;

// The typical set without one of its files and the file's two keys.
Change Without(Role role, const std::wstring& name, const std::wstring& archive) {
    return [=](SetFolder& s) {
        s.files.erase(role);
        s.announced.erase(name);
        s.announced.erase(archive);
    };
}

TEST(SetCheck, EachSlipOfTheDeliveringSideIsOneFindingWithItsFile) {
    // A change to the typical set, and its findings as severity and file, in order.
    const std::pair<Change, std::vector<std::wstring>> rows[] = {
        {[](SetFolder&) {}, {}},
        {[](SetFolder& s) { s.announced[L"Orvane Hub.msi"] = s.announced[L"Orvane Hub.zip"] = L"1.2.0.0"; },
         {L"E Orvane Hub.msi", L"E Orvane Hub.zip", L"E Orvane Hub.msi", L"E ORVHPatch.msp"}},
        {[](SetFolder& s) { std::erase_if(s.announced, [](const auto& e) { return e.first.ends_with(L".zip"); }); },
         {L"E ORVHUpdate.cfg", L"E ORVHUpdate.cfg"}},
        {[](SetFolder& s) { s.files[Role::FullPackage].package->upgradeCode = kDesk; }, {L"E Orvane Hub.msi"}},
        {[](SetFolder& s) {
             s.announced[L"ORVHPatch.msp"] = s.announced[L"ORVHPatch.zip"] = L"0001.0002.0000.0000";
             s.files[Role::Patch].patch->targets[0].resultingVersion = L"1.2.0";
         },
         {L"E ORVHPatch.msp"}},
        {[](SetFolder& s) { s.files[Role::Patch].patch->targets[0].productCode = kDesk; }, {L"E ORVHPatch.msp"}},
        {[](SetFolder& s) { s.files[Role::Launcher].executableVersion = L"1.0.0.1"; }, {L"E ORVHUpdate.exe"}},
        {[](SetFolder& s) { s.configurationPresent = false; }, {L"E ORVHUpdate.cfg"}},
        {[](SetFolder& s) { std::erase_if(s.announced, [](const auto& e) { return !e.first.ends_with(L".zip"); }); },
         {L"W ORVHUpdate.cfg", L"W ORVHUpdate.cfg", L"W ORVHUpdate.cfg"}},
        {[](SetFolder& s) { s.announced.erase(L"ORVHUpdate.exe"); }, {L"W ORVHUpdate.cfg"}},
        {[](SetFolder& s) { s.entries.push_back(L"Orvane Hub 1.2.msi"); }, {L"W Orvane Hub 1.2.msi"}},
        {[](SetFolder& s) { s.files.erase(Role::Patch); }, {L"E ORVHPatch.msp"}},
        {[](SetFolder& s) { Signed(s); }, {}},
        {[](SetFolder& s) {
             Signed(s);
             s.files[Role::Patch].signature.signature.publisher.commonName = L"Other";
         },
         {L"E ORVHPatch.msp"}},
        {[](SetFolder& s) {
             Signed(s);
             s.files[Role::Launcher].signature = {};
         },
         {L"E ORVHUpdate.exe"}},
        {[](SetFolder& s) {
             Signed(s);
             s.files[Role::FullPackage].signature.timestamped = false;
         },
         {L"W Orvane Hub.msi"}},
    };
    test::FakeConversions numbers;
    Reader reader;
    test::ForEachRow(rows, [&](const auto& row) {
        SetFolder set = Typical();
        row.first(set);
        const auto findings = CheckSet(set, std::nullopt, reader, numbers);
        std::vector<std::wstring> found;
        for (const auto& f : findings) found.push_back((f.severity == Severity::Error ? L"E " : L"W ") + f.file);
        EXPECT_EQ(found, row.second);
        // The summary line, and the exit code's decision.
        const auto errors = std::ranges::count_if(found, [](const auto& f) { return f.starts_with(L"E "); });
        EXPECT_EQ(HasErrors(findings), errors > 0);
        const std::wstring summary = kFolder + L": " + std::to_wstring(errors) + L" error(s), " +
                                     std::to_wstring(found.size() - errors) + L" warning(s)\n";
        EXPECT_TRUE(FindingsText(findings, kFolder).ends_with(summary));
    });
}

TEST(SetMake, BothKeySchemesWithEachFilesOwnVersionOrARefusal) {
    using Inputs = std::vector<FileFacts>;
    const auto typical = [] {
        const SetFolder set = Typical();
        return Inputs{set.files.at(Role::FullPackage), set.files.at(Role::Patch), set.files.at(Role::Launcher)};
    };
    test::FakeConversions numbers;
    const MadeSet made = MakeSet(typical(), std::nullopt, numbers);
    EXPECT_EQ(made.entries, (std::vector<std::pair<std::wstring, std::wstring>>{
                                {L"Orvane Hub.msi", L"0001.0002.0000.0000"}, {L"Orvane Hub.zip", L"0001.0002.0000.0000"},
                                {L"ORVHPatch.msp", L"0001.0002.0000.0100"}, {L"ORVHPatch.zip", L"0001.0002.0000.0100"},
                                {L"ORVHUpdate.exe", L"0001.0000.0000.0002"}, {L"ORVHUpdate.zip", L"0001.0000.0000.0002"}}));
    EXPECT_EQ(made.copies.size(), 3u);

    // A change to the inputs and the edition asked for: each is refused.
    const std::pair<std::function<void(Inputs&)>, std::optional<Edition>> refused[] = {
        {[](Inputs&) {}, Edition::Client},
        {[](Inputs& in) { in[1].patch->targets[0].resultingVersion = L"1.2.0"; }, std::nullopt},
        {[](Inputs& in) { in[1].patch->targets[0].productCode = kDesk; }, std::nullopt},
        {[](Inputs& in) { in[2].executableVersion.clear(); }, std::nullopt},
    };
    test::ForEachRow(refused, [&](const auto& row) {
        Inputs inputs = typical();
        row.first(inputs);
        EXPECT_EQ(MakeSet(inputs, row.second, numbers).refusals.size(), 1u);
    });
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
        {L"0001.0001.0000.0601", [](SetFolder& s) { Signed(s); }, true, L"0001.0002.0000.0100", true, false, {},
         L"0001.0002.0000.0100", 2},
        // A full package delivered alone: nothing to stop between.
        {L"0001.0001.0000.0601", Without(Role::Patch, L"ORVHPatch.msp", L"ORVHPatch.zip"), false,
         L"0001.0002.0000.0000", true, false, {}, L"", 1},
        // A patch delivered alone, for a version no package of the set describes.
        {L"0001.0002.0000.0000", Without(Role::FullPackage, L"Orvane Hub.msi", L"Orvane Hub.zip"), false,
         L"0001.0002.0000.0100", true, false, {}, L"", 1},
        // The source repaired from the full package, then the patch.
        {L"0001.0002.0000.0000", {}, false, L"0001.0002.0000.0100", true, false, {}, L"", 2, true},
    };
    test::FakeConversions numbers;
    Reader reader;
    test::ForEachRow(rows, [&](const auto& row) {
        SetFolder set = Typical();
        if (row.change) row.change(set);
        test::FakeProfile profile;
        for (const auto& [key, value] : set.announced) profile.Set(kFolder + L"\\ORVHUpdate.cfg", L"Versione", key, value);
        PlanCase planCase{row.installed, L"", row.sourceMissing, std::nullopt};
        if (row.launcherSigned) planCase.launcher = FileSignature{SignatureState::Valid, 0, L"", 0, {L"", L"", L"", L"", L"Orvane"}, L"CN=Orvane", L""};
        const Plan plan = PlanRun(set, planCase, profile, numbers, reader);
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
        }
        EXPECT_EQ(read, row.second);
        EXPECT_EQ(parsed.error.empty(), row.second != L"usage");
    });
}

TEST(SetTool, PlanPrintedForPeopleAndForPrograms) {
    Plan plan;
    plan.run.installed = L"0001.0001.0000.0601";
    plan.run.rotated = true;
    plan.run.messages = {{10002, 10003}, {10001}};
    plan.run.journal = {L"say \"hi\" in C:\\x", L"next"};
    const test::FakeConversions numbers;
    EXPECT_TRUE(PlanText({plan}, numbers).starts_with(L"Installed 1.1.601 (0001.0001.0000.0601):\n"));
    const std::wstring json = PlanJson({plan, plan});
    for (const auto* part : {L"\"rotated\": true, \"launcherReplaced\": false",
                             L"\"messages\": [10002, 10001], \"messageStrings\": [[10002, 10003], [10001]]",
                             L"\"journal\": [\"say \\\"hi\\\" in C:\\\\x\", \"next\"]", L"\"afterStop\": null},\n {"}) {
        EXPECT_NE(json.find(part), std::wstring::npos) << testing::PrintToString(std::wstring(part));
    }
}

// The launcher knows its files by name in any letter case; the edition follows the names found.
TEST(SetTool, TheFolderAsTheLauncherSeesIt) {
    struct Named final : SetFileReader {
        PackageFacts Package(const std::wstring&) override { return {L"Orvane Desk", {}, {}, {}}; }
        PatchFacts Patch(const std::wstring&) override { return {L"{PATCH}", {}, {}}; }
        std::wstring ExecutableVersion(const std::wstring&) override { return L"1.0.0.2"; }
        SignatureFacts Signature(const std::wstring&) override { return {}; }
        std::optional<Role> RoleOf(const std::wstring&) override { return std::nullopt; }
        ArrivalVerdict ArrivalOf(const std::wstring&, std::optional<Role>) override { return {}; }
    } reader;
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
    EXPECT_EQ(set.announced, (std::map<std::wstring, std::wstring>{{L"ORVDPatch.zip", L"0001.0002.0000.0100"}}));
    EXPECT_EQ(set.files.size(), 2u);
    EXPECT_EQ(set.files.at(Role::Patch).patch->patchCode, L"{PATCH}");
    EXPECT_EQ(set.files.at(Role::Launcher).executableVersion, L"1.0.0.2");
}

} // namespace
} // namespace orvh::set_tool
