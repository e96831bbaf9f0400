// What the services write to the journal around each call: the call, then its result or the
// error it raised, which goes on to the caller. Durations read as "N ms".
#include "journal/journaled_services.h"
#include "run_fakes.h"
#include "system/replace_retry.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <regex>

namespace orvh {
namespace {

struct RecordingJournal final : Journal {
    void Write(std::wstring_view event) override {
        lines.push_back(std::regex_replace(test::Narrow(event), std::regex("[0-9]+ ms"), "N ms"));
    }
    std::vector<std::string> lines;
};

// Reports every product's attributes as "<attribute> of <code>", installs with result 1603.
struct EchoEngine final : InstallerEngine {
    void SetUiLevel(int) override {}
    std::vector<std::wstring> Products() override { return {}; }
    std::optional<std::wstring> ProductInfo(const std::wstring& code, const std::wstring& attribute) override {
        if (attribute == L"PackageName") return std::nullopt;
        return attribute + L" of " + code;
    }
    std::optional<std::wstring> ProductUpgradeCode(const std::wstring&) override { return {}; }
    std::wstring PackageProperty(const std::wstring&, const std::wstring&) override { return {}; }
    std::optional<std::wstring> FileVersion(const std::wstring&) override { return {}; }
    unsigned InstallProduct(const std::wstring&, const std::wstring&) override { return 1603; }
    unsigned ApplyPatch(const std::wstring&, const std::wstring&) override { return 0; }
};

TEST(JournaledServices, WriteEachCallAndItsOutcome) {
    using Lines = std::vector<std::string>;
    struct Services {
        RecordingJournal journal;
        test::RunFakes fakes;
        EchoEngine echo;
        JournaledFileSystem files{fakes.fs, journal};
        JournaledDialogs dialogs{fakes, journal};
        JournaledProcesses processes{fakes, fakes, fakes, journal};
        JournaledInstallerEngine engine{echo, journal};
    };
    const std::pair<std::function<void(Services&)>, Lines> rows[] = {
        {[](Services& s) { s.files.CopyFile(L"C:\\a", L"C:\\b"); }, {"Copy \"C:\\a\" to \"C:\\b\": done"}},
        {[](Services& s) { s.files.CopyFile(L"C:\\none", L"C:\\b"); },
         {"Copy \"C:\\none\" to \"C:\\b\": failed, error 3: refused", "raised 3"}},
        {[](Services& s) { s.files.DeleteFile(L"C:\\a"); }, {"Delete file \"C:\\a\": done"}},
        {[](Services& s) { s.files.CreateFolder(L"C:\\d"); }, {"Create folder \"C:\\d\": done"}},
        {[](Services& s) { s.files.DeleteFolder(L"C:\\d"); }, {"Delete folder \"C:\\d\": failed, error 3: refused", "raised 3"}},
        {[](Services& s) { s.dialogs.ShowMessage(L"Testo", L"Titolo", MessageIcon::CriticalStop); },
         {"Message box \"Titolo\" (stop): \"Testo\"", "Message box closed"}},
        {[](Services& s) { s.dialogs.ShowMessage(L"Testo", L"Titolo", MessageIcon::Information); },
         {"Message box \"Titolo\" (information): \"Testo\"", "Message box closed"}},
        {[](Services& s) { s.processes.AttendiProcesso(7, false); },
         {"Waiting for process 7 to end", "Wait over after N ms, exit code 0"}},
        {[](Services& s) {
             s.fakes.waitOpenError = 87;
             s.processes.AttendiProcesso(7, false);
         },
         {"Waiting for process 7 to end", "Wait over at once: there is no process 7 (error 87)"}},
        {[](Services& s) {
             s.fakes.waitOpenError = 5;
             s.processes.AttendiProcesso(7, false);
         },
         {"Waiting for process 7 to end",
          "Wait over at once: process 7 runs but may not be opened (error 5); the update goes on while it runs"}},
        {[](Services& s) { s.processes.Pausa(15); }, {"Paused N ms"}},
        {[](Services& s) { s.processes.Start(L"C:\\S\\cluster.exe", L"Cluster Res \"R\" /On", ShowCommand::Minimized); },
         {"Start program \"C:\\S\\cluster.exe\", command line \"Cluster Res \"R\" /On\", minimized: done"}},
        {[](Services& s) { s.processes.Start(L"C:\\p.exe", L"C:\\p.exe /NoConsole", ShowCommand::Normal); },
         {"Start program \"C:\\p.exe\", command line \"C:\\p.exe /NoConsole\": done"}},
        {[](Services& s) { s.processes.RestartWindows(true); }, {"Forced restart of Windows requested"}},
        {[](Services& s) {
             s.fakes.restartRefused = true;
             s.processes.RestartWindows(true);
         },
         {"Forced restart of Windows requested",
          "Restart refused, AdjustTokenPrivileges SeShutdownPrivilege failed, error 1300: refused", "raised 1300"}},
        {[](Services& s) {
             s.engine.SetUiLevel(99);
             s.engine.InstallProduct(L"C:\\p.msi", L"A=1");
             s.engine.SetUiLevel(1);
             s.engine.ApplyPatch(L"C:\\p.msp", L"B=2");
         },
         {"Windows Installer: install \"C:\\p.msi\", properties \"A=1\", interface level 99",
          "Windows Installer: install ended with result 1603 after N ms",
          "Windows Installer: apply patch \"C:\\p.msp\", properties \"B=2\", interface level 1",
          "Windows Installer: apply patch ended with result 0 after N ms"}},
        // The names read while looking for the product are left out.
        {[](Services& s) {
             for (const auto* attribute : {L"InstalledProductName", L"VersionString", L"PackageName"}) {
                 s.engine.ProductInfo(L"{P}", attribute);
             }
         },
         {"Windows Installer: product {P} VersionString \"VersionString of {P}\"",
          "Windows Installer: product {P} PackageName unreadable"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Services s;
        s.fakes.fs.AddFolder(L"C:");
        s.fakes.fs.AddFile(L"C:\\a");
        try {
            rows[i].first(s);
        } catch (const PlatformError& error) {
            s.journal.lines.push_back("raised " + std::to_string(error.Number()));
        }
        EXPECT_EQ(s.journal.lines, rows[i].second) << "row " << i;
    }
}

// A copy's replacement refused by a program holding a file a moment: 5 and 32 are tried again,
// paused between attempts, for kReplaceAttempts at most; the journal has the refusal and its end.
TEST(JournaledServices, AReplacementRefusedForAMomentIsTriedAgain) {
    using Lines = std::vector<std::string>;
    const std::string first = "Replace \"C:\\d\": error 32, tried again for up to 5 s";
    const std::tuple<std::vector<unsigned long>, unsigned long, int, Lines> rows[] = {
        {{0}, 0, 0, {}},
        {{2}, 2, 0, {}},
        {{32, 5, 0}, 0, 2, {first, "Replace \"C:\\d\": done at attempt 3"}},
        {{32, 1224}, 1224, 1, {first, "Replace \"C:\\d\": error 1224 at attempt 2"}},
        {std::vector<unsigned long>(kReplaceAttempts + 1, 32), 32, kReplaceAttempts - 1,
         {first, "Replace \"C:\\d\": error 32 at attempt 20"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [results, last, pauses, lines] = rows[i];
        RecordingJournal journal;
        std::size_t made = 0;
        int paused = 0;
        const auto attempt = [&, &results = results] { return results.at(made++); };
        const auto pause = [&](int ms) { paused += ms == kReplacePauseMs; };
        EXPECT_EQ(ReplaceRetrying(attempt, pause, journal, L"C:\\d"), last) << "row " << i;
        EXPECT_EQ(paused, pauses) << "row " << i;
        EXPECT_EQ(journal.lines, lines) << "row " << i;
    }
}

} // namespace
} // namespace orvh
