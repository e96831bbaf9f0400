#pragma once
// The journal a run of OrvhUpdate.exe left in the temporary folder, read back.
#include "paths.h"
#include "wide_text.h"

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
            return {{-1, L"not in the journal's form: " + FromUtf8(line)}};
        }
        lines.push_back({std::stoll(line.substr(0, stamp)), FromUtf8(line.substr(stamp + 5))});
    }
    return lines;
}

} // namespace orvh::test
