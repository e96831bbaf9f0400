// The launcher's own account of one update run, read from the journal it wrote: each event
// with the time since the one before, then the run cut into its phases, and its time split
// into Windows Installer's calls, the wait and the launcher's own work.
#include "figures.h"

#include "journal_reader.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace orvh::bench {
namespace {

using orvh::test::JournalLine;

// The milliseconds a line reports after `marker` ("... after 231 ms"), 0 without.
double ReportedMs(const std::wstring& event, const wchar_t* marker) {
    const auto at = event.find(marker);
    return at == std::wstring::npos ? 0 : std::wcstod(event.c_str() + at + std::wcslen(marker), nullptr);
}

// The time of the first line from `from` on that begins with one of the prefixes.
const JournalLine* FirstFrom(const std::vector<JournalLine>& journal, std::size_t& from,
                             std::initializer_list<const wchar_t*> prefixes) {
    for (; from < journal.size(); ++from) {
        for (const wchar_t* prefix : prefixes) {
            if (journal[from].event.starts_with(prefix)) return &journal[from];
        }
    }
    return nullptr;
}

} // namespace

void PrintBreakdown(const std::vector<JournalLine>& journal, double wallMs) {
    if (journal.empty()) {
        std::printf("  (the launcher left no journal: no breakdown)\n");
        return;
    }
    std::printf("  breakdown of the median launcher run, from its journal (ms since the process was created):\n");
    std::printf("    %7s %7s  %s\n", "at", "+", "event");
    long long before = 0;
    for (const auto& line : journal) {
        std::printf("    %7lld %7lld  %.110ls\n", line.ms, line.ms - before, line.event.c_str());
        before = line.ms;
    }
    std::printf("    %7.0f %7.0f  (the process has ended)\n", wallMs, wallMs - static_cast<double>(before));

    // Each phase ends at the first line of its marker after the phase before.
    struct Phase {
        const char* name;
        std::initializer_list<const wchar_t*> end;
        bool signedOnly = false; // a phase only a signed launcher's run has
    };
    const Phase phases[] = {
        {"start-up: loading, start-up checks, folders, window loaded (hidden), wait/pause", {L"Wait over", L"Paused"}},
        {"window shown, installed version and announced versions read", {L"Versions announced"}},
        {"the update set's signatures and own versions verified", {L"Update set verified", L"Update set refused"}, true},
        {"staging copies, installer queries and Windows Installer's calls", {L"Rotating", L"No rotation"}},
        {"rotation of the update set", {L"Rotation done", L"No rotation"}},
        {"product started", {L"Start program"}},
        {"window unloaded, final check of the installed version", {L"Final check"}},
        {"end of the run", {L"End"}},
    };
    std::printf("  phases:\n");
    std::size_t from = 0;
    long long phaseStart = 0;
    for (const auto& phase : phases) {
        const std::size_t searched = from;
        const JournalLine* end = FirstFrom(journal, from, phase.end);
        if (!end && phase.signedOnly) {
            from = searched;
            continue;
        }
        if (!end) break;
        std::printf("    %7lld ms  %s\n", end->ms - phaseStart, phase.name);
        phaseStart = end->ms;
    }
    std::printf("    %7.0f ms  process teardown after the journal's last line\n", wallMs - static_cast<double>(phaseStart));

    double installer = 0, waited = 0, copies = 0;
    before = 0;
    for (const auto& line : journal) {
        if (line.event.find(L" ended with result ") != std::wstring::npos) installer += ReportedMs(line.event, L" after ");
        waited += ReportedMs(line.event, L"Wait over after ") + ReportedMs(line.event, L"Paused ");
        if (line.event.starts_with(L"Copy ")) copies += static_cast<double>(line.ms - before);
        before = line.ms;
    }
    std::printf("  of the run's %.0f ms: Windows Installer's calls %.0f ms, waiting %.0f ms, copies %.0f ms, "
                "the launcher's own %.0f ms\n",
                wallMs, installer, waited, copies, wallMs - installer - waited);
}

} // namespace orvh::bench
