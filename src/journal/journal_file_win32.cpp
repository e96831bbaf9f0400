#include "journal/journal_file_win32.h"

#include "journal/journal_line.h"
#include "journal/old_journals.h"
#include "system/sized_text.h"

#include <optional>
#include <vector>

namespace orvh {
namespace {

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

ULONGLONG Now() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

// The time the process was created, so that a line's time counts the program's loading too.
ULONGLONG ProcessStart() {
    FILETIME created, ended, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user)) return Now();
    return Ticks(created);
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = folder + L"\\OrvhUpdate_*.log";
    UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!find) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (::FindNextFileW(find.get(), &entry));
    return names;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The temporary folder. GetTempPath2W, where Windows has it, gives SYSTEM a folder only
// SYSTEM may write to, instead of the Windows folder's Temp that every user can write to.
std::optional<std::wstring> TemporaryFolder() {
    using GetTempPath = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const auto getTempPath = [] {
        const auto second = reinterpret_cast<GetTempPath>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
        return second ? second : &::GetTempPathW;
    }();
    return SizedText([](wchar_t* buffer, std::size_t capacity) {
        const DWORD length = getTempPath(static_cast<DWORD>(capacity), buffer);
        // The length without the null when the path fitted, the size needed otherwise.
        return length == 0 ? 0 : length < capacity ? length + 1 : length;
    });
}

// A folder of the program's own: a link to elsewhere, which another user may have planted,
// would let the rotation of old journals delete files there.
bool OwnFolder(const std::wstring& folder) {
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

JournalFile::JournalFile() : processStart_(ProcessStart()) {
    const auto temp = TemporaryFolder();
    if (!temp) return;
    const std::wstring folder = *temp + L"OrvhUpdate";
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return;
    if (!OwnFolder(folder)) return;

    SYSTEMTIME start;
    ::GetLocalTime(&start);
    const std::wstring name = JournalFileName(start.wYear, start.wMonth, start.wDay, start.wHour, start.wMinute,
                                              start.wSecond, ::GetCurrentProcessId());
    // Written through: nothing of a line may wait in a cache when Windows restarts.
    file_.reset(::CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file_) return;
    constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    DWORD written = 0;
    if (!::WriteFile(file_.get(), kByteOrderMark, 3, &written, nullptr)) {
        file_.reset();
        return;
    }
    installerLog_ = folder + L"\\" + InstallerLogFileName(name);

    // This run's own files stay even when a clock set back made earlier names look newer.
    for (const auto& old : JournalsToDelete(FileNamesIn(folder))) {
        if (old != name && old != InstallerLogFileName(name)) ::DeleteFileW((folder + L"\\" + old).c_str());
    }
}

void JournalFile::Write(std::wstring_view event) {
    if (!file_) return;
    std::wstring line = std::to_wstring((Now() - processStart_) / 10000);
    // Right-aligned in eight places, so that the events stand in one column.
    if (line.size() < 8) line.insert(0, 8 - line.size(), L' ');
    line += L" ms  " + OneLine(event) + L"\r\n";
    const std::string bytes = Utf8(line);
    DWORD written = 0;
    // One write per line: a line is never torn by a later failure. After a failed write the
    // journal ends; the run does not notice.
    if (!::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) file_.reset();
}

} // namespace orvh
