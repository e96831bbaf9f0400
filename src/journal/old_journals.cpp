#include "journal/old_journals.h"

#include <algorithm>
#include <optional>
#include <iterator>
#include <set>
#include <string_view>
#include <tuple>

namespace orvh {
namespace {

constexpr std::wstring_view kPrefix = L"OrvhUpdate_";
constexpr std::wstring_view kJournalEnd = L".log";
constexpr std::wstring_view kInstallerLogEnd = L"_msi.log";

std::wstring TwoDigits(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

bool AllDigits(std::wstring_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// A run's name: "yyyymmdd_hhmmss" and the process id, in the order runs started.
struct RunName {
    std::wstring startTime;
    std::wstring processId;
    auto Key() const { return std::tuple(startTime, processId.size(), processId); }
    bool operator<(const RunName& other) const { return Key() < other.Key(); }
};

// The run a journal or installer log belongs to; nullopt for any other file.
std::optional<RunName> RunOf(std::wstring_view name) {
    if (!name.starts_with(kPrefix)) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    if (name.ends_with(kInstallerLogEnd)) {
        name.remove_suffix(kInstallerLogEnd.size());
    } else if (name.ends_with(kJournalEnd)) {
        name.remove_suffix(kJournalEnd.size());
    } else {
        return std::nullopt;
    }
    // yyyymmdd_hhmmss_pid
    if (name.size() < 17 || name[8] != L'_' || name[15] != L'_') return std::nullopt;
    const auto date = name.substr(0, 8), time = name.substr(9, 6), id = name.substr(16);
    if (!AllDigits(date) || !AllDigits(time) || !AllDigits(id)) return std::nullopt;
    return RunName{std::wstring(name.substr(0, 15)), std::wstring(id)};
}

} // namespace

std::wstring JournalFileName(int year, int month, int day, int hour, int minute, int second,
                             unsigned long processId) {
    return std::wstring(kPrefix) + std::to_wstring(year) + TwoDigits(month) + TwoDigits(day) + L"_" +
           TwoDigits(hour) + TwoDigits(minute) + TwoDigits(second) + L"_" + std::to_wstring(processId) +
           std::wstring(kJournalEnd);
}

std::wstring InstallerLogFileName(const std::wstring& journalFileName) {
    return journalFileName.substr(0, journalFileName.size() - kJournalEnd.size()) + std::wstring(kInstallerLogEnd);
}

std::vector<std::wstring> JournalsToDelete(const std::vector<std::wstring>& names, std::size_t kept) {
    std::set<RunName> runs;
    for (const auto& name : names) {
        if (const auto run = RunOf(name)) runs.insert(*run);
    }
    // The runs older than the `kept` newest.
    std::set<RunName> old;
    if (runs.size() > kept) old.insert(runs.begin(), std::prev(runs.end(), static_cast<std::ptrdiff_t>(kept)));

    std::vector<std::wstring> doomed;
    for (const auto& name : names) {
        const auto run = RunOf(name);
        if (run && old.count(*run)) doomed.push_back(name);
    }
    return doomed;
}

} // namespace orvh
