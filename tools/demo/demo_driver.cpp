// The demo: one delivery as it happens on a customer's server. "Orvane Hub" 1.1.601 is
// installed, the update folder's Nuovo receives the update set made by OrvhSet (the next full
// package, its patch, a newer launcher and ORVHUpdate.cfg; its folder is the one argument), a
// stand-in product process is running, and OrvhUpdate.exe is started as the product starts it.
// Prints what happened.
#include "fixture_packages.h"
#include "started_programs.h"
#include "wide_text.h"
#include "delivery.h"

#include <cstdio>
#include <string>

namespace {

using namespace orvh::test;

// UTF-8 on the console, so that accented texts arrive intact.
void Print(const std::wstring& text) {
    std::fputs(Utf8(text).c_str(), stdout);
    std::fflush(stdout);
}

void PrintFolder(const UpdateScenario& scenario, const std::wstring& name) {
    std::wstring line = L"  " + name + L":";
    for (const auto& file : FolderEntries(scenario.Sub(name))) line += L" [" + file + L"]";
    Print(line + L"\n");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace std::chrono_literals;
    namespace fx = orvh::test::fixtures;
    const std::wstring hubCode(fx::hub_1_1_601.upgradeCode);

    if (argc != 2) {
        Print(L"usage: orvh_demo.exe UPDATE_SET_FOLDER\n");
        return 2;
    }
    UpdateScenario scenario;
    if (scenario.Install(fx::hub_1_1_601) != 0) {
        Print(L"could not install Orvane Hub 1.1.601\n");
        return 1;
    }
    const std::wstring set = argv[1];
    for (const auto& name : FolderEntries(set)) scenario.Deliver(name, set + L"\\" + name);

    Sleeper product(3s, 0);
    const std::wstring tail = scenario.Tail() + L" /AttendiProcesso=" + std::to_wstring(product.ProcessId());

    Print(L"installed before: Orvane Hub " + InstalledVersion(hubCode) + L"\n");
    Print(L"delivered into Nuovo:");
    for (const auto& file : FolderEntries(scenario.Sub(L"Nuovo"))) Print(L" [" + file + L"]");
    Print(L"\nstarted: OrvhUpdate.exe " + tail + L"\n");

    const RunOutcome run = scenario.Run(tail);
    for (const auto& box : run.boxes) {
        Print(L"message box: \"" + box.contents.title + L"\", " + FromUtf8(box.contents.icon) + L": " +
              box.contents.text + L"\n");
    }
    Print(run.ended ? L"OrvhUpdate.exe ended\n" : L"OrvhUpdate.exe did not end in time\n");
    Print(L"installed after: Orvane Hub " + InstalledVersion(hubCode) + L"\n");
    Print(L"update folder:\n");
    for (const auto* name : {L"Corrente", L"Vecchio", L"Nuovo", L"Setup"}) PrintFolder(scenario, name);
    for (const auto& start : scenario.ProductStarts()) Print(L"product restarted as: " + start.commandLine + L"\n");
    Print(run.windowShown ? L"the progress window was shown\n" : L"the progress window was never shown\n");
    Print(L"its journal (" + JournalFolder() + L"):\n");
    for (const auto& line : run.journal) Print(L"  " + std::to_wstring(line.ms) + L" ms  " + line.event + L"\n");
    return run.ended ? 0 : 1;
}
