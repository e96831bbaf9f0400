#pragma once
// The journal a run of OrvhUpdate.exe left in the temporary folder, read back.
#include "paths.h"
#include "test_text.h"


namespace orvh::test {

struct JournalLine {
    long long ms = -1;  // since the program started
    std::wstring event;
};

inline std::wstring JournalFolder() { return (std::filesystem::temp_directory_path() / L"OrvhUpdate").wstring(); }

// The lines of the newest journal of that process id; none without one. A journal not in
// its form (byte-order mark, CRLF line ends, "<ms> ms  " before each event) reads as one
// line saying so.
inline std::vector<JournalLine> ReadJournal(DWORD processId) {
    const std::wstring end = L"_" + std::to_wstring(processId) + L".log";
    std::wstring newest;
    for (const auto& name : FolderEntries(JournalFolder())) {
        if (name.ends_with(end)) newest = name;  // the names sort by their start time
    }
    if (newest.empty()) return {};
    std::string text = ReadFileBytes(JournalFolder() + L"\\" + newest);
    if (!text.starts_with("\xEF\xBB\xBF")) return {{-1, L"no byte-order mark"}};
    std::vector<JournalLine> lines;
    for (std::size_t at = 3, next; at < text.size(); at = next + 2) {
        next = text.find("\r\n", at);
        const std::string line = text.substr(at, next == std::string::npos ? next : next - at);
        const auto stamp = line.find(" ms  ");
        if (next == std::string::npos || stamp == std::string::npos || line.find('\n') != std::string::npos) {
            return {{-1, L"not in the journal's form: " + Widen(line)}};
        }
        lines.push_back({std::stoll(line.substr(0, stamp)), Widen(line.substr(stamp + 5))});
    }
    return lines;
}

// A message's text as the journal writes it, its line breaks as \r and \n.
inline std::wstring AsInJournal(std::wstring_view text) {
    std::wstring written;
    for (const wchar_t c : text) written += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
    return written;
}

// "" when each fragment is part of an event after the one the fragment before was found in;
// else the first fragment not found and the whole journal.
inline std::string MissingInOrder(const std::vector<JournalLine>& journal, const std::vector<std::wstring>& fragments) {
    auto line = journal.begin();
    for (const auto& fragment : fragments) {
        line = std::find_if(line, journal.end(), [&](const JournalLine& l) { return l.event.find(fragment) != l.event.npos; });
        if (line == journal.end()) {
            std::string report = "not in the journal (in this order): " + Narrow(fragment) + "\n";
            for (const auto& each : journal) report += std::to_string(each.ms) + " " + Narrow(each.event) + "\n";
            return report;
        }
        ++line;
    }
    return "";
}

} // namespace orvh::test
