// What the services write to the journal around each call: the call, then its result or the
// error it raised, which goes on to the caller. Durations read as "N ms".
#include "journal/journaled_services.h"
#include "rows.h"
#include "run_fakes.h"
#include "system/replace_retry.h"

#include <gtest/gtest.h>

#include <regex>

namespace orvh {
namespace {

TEST(JournaledServices, WriteEachCallAndItsOutcome) {
    using Lines = std::vector<std::wstring>;
    // The fakes are the services and the journal; a product {P} is installed, its package's name unreadable.
    struct Services {
        Services() {
            installer.products = {test::Installed(L"{P}", L"Orvane Hub", L"", L"1.2.0")};
            installer.products[0].erase(L"PackageName");
        }
        test::RunFakes fakes;
        test::FakeInstallerEngine installer;
        JournaledFileSystem files{fakes.fs, fakes};
        JournaledDialogs dialogs{fakes, fakes};
        JournaledProcesses processes{fakes, fakes, fakes, fakes};
        JournaledInstallerEngine engine{installer, fakes};
    };
    const std::pair<std::function<void(Services&)>, Lines> rows[] = {
        {[](Services& s) { s.files.CopyFile(L"C:\\a", L"C:\\b"); }, {L"Copy \"C:\\a\" to \"C:\\b\": done"}},
        {[](Services& s) { s.files.CopyFile(L"C:\\none", L"C:\\b"); },
         {L"Copy \"C:\\none\" to \"C:\\b\": failed, error 3: refused", L"raised 3"}},
        {[](Services& s) { s.files.DeleteFile(L"C:\\a"); }, {L"Delete file \"C:\\a\": done"}},
        {[](Services& s) { s.fakes.fs.AddLink(L"C:\\l", L"D:\\x"), s.files.DeleteFile(L"C:\\l"); },
         {L"Delete file \"C:\\l\": not deleted, the link is left in place"}},
        {[](Services& s) { s.files.CreateFolder(L"C:\\d"); }, {L"Create folder \"C:\\d\": done"}},
        {[](Services& s) { s.files.DeleteFolder(L"C:\\d"); }, {L"Delete folder \"C:\\d\": failed, error 3: refused", L"raised 3"}},
        {[](Services& s) { s.dialogs.ShowMessage(L"Testo", L"Titolo", MessageIcon::Information); },
         {L"Message box \"Titolo\" (information): \"Testo\"", L"Message box closed"}},
        {[](Services& s) { s.processes.AttendiProcesso(7, false); },
         {L"Waiting for process 7 to end", L"Wait over after N ms, exit code 0"}},
        {[](Services& s) {
             s.fakes.waitOpenError = 87;
             s.processes.AttendiProcesso(7, false);
         },
         {L"Waiting for process 7 to end", L"Wait over at once: there is no process 7 (error 87)"}},
        {[](Services& s) {
             s.fakes.waitOpenError = 5;
             s.processes.AttendiProcesso(7, false);
         },
         {L"Waiting for process 7 to end",
          L"Wait over at once: process 7 runs but may not be opened (error 5); the update goes on while it runs"}},
        {[](Services& s) { s.processes.Pausa(15); }, {L"Paused N ms"}},
        {[](Services& s) { s.processes.Start(L"C:\\S\\cluster.exe", L"Cluster Res \"R\" /On", ShowCommand::Minimized); },
         {L"Start program \"C:\\S\\cluster.exe\", command line \"Cluster Res \"R\" /On\", minimized: done"}},
        {[](Services& s) { s.processes.Start(L"C:\\p.exe", L"C:\\p.exe /NoConsole", ShowCommand::Normal); },
         {L"Start program \"C:\\p.exe\", command line \"C:\\p.exe /NoConsole\": done"}},
        {[](Services& s) { s.processes.RestartWindows(true, [] {}); }, {L"Forced restart of Windows requested"}},
        {[](Services& s) {
             s.fakes.restartRefused = true;
             s.processes.RestartWindows(true, [] {});
         },
         {L"Forced restart of Windows requested",
          L"Restart refused, AdjustTokenPrivileges SeShutdownPrivilege failed, error 1300: refused", L"raised 1300"}},
        {[](Services& s) {
             s.installer.result = 1603;
             s.engine.SetUiLevel(99);
             s.engine.InstallProduct(L"C:\\p.msi", {Reinstall::LostSource});
             s.engine.SetUiLevel(1);
             s.engine.ApplyPatch(L"C:\\p.msp", {Reinstall::Patch, true});
         },
         {L"Windows Installer: install \"C:\\p.msi\", properties \"REINSTALL=ALL REINSTALLMODE=dmus\", interface level 99",
          L"Windows Installer: install ended with result 1603 after N ms",
          L"Windows Installer: apply patch \"C:\\p.msp\", properties \"REINSTALL=ALL REINSTALLMODE=emus REBOOT=ReallySuppress\", interface level 1",
          L"Windows Installer: apply patch ended with result 1603 after N ms"}},
        // The names read while looking for the product are left out.
        {[](Services& s) {
             for (const auto* attribute : {L"InstalledProductName", L"VersionString", L"PackageName"}) {
                 s.engine.ProductInfo(L"{P}", attribute);
             }
         },
         {L"Windows Installer: product {P} VersionString \"1.2.0\"",
          L"Windows Installer: product {P} PackageName unreadable"}},
    };
    test::ForEachRow(rows, [](const auto& row) {
        Services s;
        s.fakes.fs.AddFolder(L"C:");
        s.fakes.fs.AddFile(L"C:\\a");
        std::wstring raised;
        try {
            row.first(s);
        } catch (const PlatformError& error) {
            raised = L"raised " + std::to_wstring(error.Number());
        }
        Lines lines;
        for (const auto& event : s.fakes.Events(L"journal ")) {
            lines.push_back(std::regex_replace(event.substr(8), std::wregex(L"[0-9]+ ms"), L"N ms"));
        }
        if (!raised.empty()) lines.push_back(raised);
        EXPECT_EQ(lines, row.second);
    });
}

// A copy's replacement refused by a program holding a file a moment: 5 and 32 are tried again,
// paused between attempts, for kReplaceAttempts at most; the journal has the refusal and its end.
TEST(JournaledServices, AReplacementRefusedForAMomentIsTriedAgain) {
    using Lines = std::vector<std::wstring>;
    const std::wstring first = L"journal Replace \"C:\\d\": error 32, tried again for up to 5 s";
    const std::tuple<std::vector<unsigned long>, unsigned long, int, Lines> rows[] = {
        {{0}, 0, 0, {}},
        {{2}, 2, 0, {}},
        {{32, 5, 0}, 0, 2, {first, L"journal Replace \"C:\\d\": done at attempt 3"}},
        {{32, 1224}, 1224, 1, {first, L"journal Replace \"C:\\d\": error 1224 at attempt 2"}},
        {std::vector<unsigned long>(kReplaceAttempts + 1, 32), 32, kReplaceAttempts - 1,
         {first, L"journal Replace \"C:\\d\": error 32 at attempt 20"}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [results, last, pauses, lines] = row;
        test::RunFakes journal;
        std::size_t made = 0;
        int paused = 0;
        const auto attempt = [&, &results = results] { return results.at(made++); };
        const auto pause = [&](int ms) { paused += ms == kReplacePauseMs; };
        EXPECT_EQ(ReplaceRetrying(attempt, pause, journal, L"C:\\d"), last);
        EXPECT_EQ(paused, pauses);
        EXPECT_EQ(journal.log, lines);
    });
}

} // namespace
} // namespace orvh
