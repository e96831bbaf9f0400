#include "journal/journal_file_win32.h"

#include "journal/journal_folder.h"
#include "journal/journal_line.h"
#include "journal/old_journals.h"
#include "system/environment_win32.h"
#include "system/folder_security_win32.h"

#include <aclapi.h>
#include <sddl.h>

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

FolderOwner OwnerOf(HANDLE folder) {
    switch (OwnerKind(folder)) {
    case SidKind::SystemOrAdministrators: return FolderOwner::SystemOrAdministrators;
    case SidKind::RunningUser: return FolderOwner::RunningUser;
    case SidKind::Other: break;
    }
    return FolderOwner::Other;
}

// The folder, created with the security the run gives it when it is not there yet.
bool MakeFolder(const std::wstring& folder, bool elevated) {
    const auto security = JournalFolderSecurity(elevated);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (security && !::ConvertStringSecurityDescriptorToSecurityDescriptorW(security->c_str(), SDDL_REVISION_1,
                                                                            &descriptor, nullptr)) {
        return false;
    }
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owner(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    return ::CreateDirectoryW(folder.c_str(), security ? &attributes : nullptr) ||
           ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// The folder itself, not what a link there points to, held without delete sharing: as long
// as the run holds it nobody can rename or delete it, so its path names it for the whole run.
// An elevated run may give it its security through this handle.
UniqueFile OpenFolder(const std::wstring& folder, bool elevated) {
    constexpr DWORD kRead = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL;
    return UniqueFile(OpenEntryItself(folder, kRead | (elevated ? WRITE_DAC | WRITE_OWNER : 0), false));
}

// The folder's facts through the handle that is then held. A link is looked for by the name
// too, before the folder is opened: a file system that follows a link on its own when it is
// opened (Wine with a host's symbolic link, a Samba share with a Unix one) shows it only there.
JournalFolderFacts FactsOf(HANDLE folder, const std::wstring& path, DWORD attributesByName) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(folder, FileAttributeTagInfo, &tag, sizeof tag)) return {false, true};
    const DWORD attributes = tag.FileAttributes | attributesByName;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || LinkKindOf(folder, path) != LinkKind::None;
    return {(attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, link, OwnerOf(folder), OthersMayChange(folder)};
}

// A file of the folder deleted as the entry it is: a link planted under a journal's name goes
// where the system lets the handle reach the link itself, and what it points to stays.
void DeleteEntry(const std::wstring& path) {
    const UniqueFile doomed(OpenEntryItself(path, DELETE | FILE_READ_ATTRIBUTES));
    if (!doomed || LinkKindOf(doomed.get(), path) == LinkKind::Followed) return;
    FILE_DISPOSITION_INFO disposition{TRUE};
    ::SetFileInformationByHandle(doomed.get(), FileDispositionInfo, &disposition, sizeof disposition);
}

// A new file under `path`, written through; whatever stood under the name goes first, as the
// entry it is, so that nothing planted there is written through.
UniqueFile CreateNewFile(const std::wstring& path, DWORD access) {
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteEntry(path);
    return UniqueFile(::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
}

} // namespace

JournalFile::JournalFile(bool elevated) : processStart_(ProcessStart()) {
    const auto temp = TemporaryFolder();
    if (!temp) return;
    // The temporary folder as the system names it (no short names), so that a link under it shows.
    const UniqueFile tempFolder(::CreateFileW(temp->c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    auto tempPath = tempFolder ? FinalPathOf(tempFolder.get()) : std::nullopt;
    if (!tempPath) return;
    if (tempPath->back() == L'\\') tempPath->pop_back();
    const std::wstring folder = *tempPath + L"\\OrvhUpdate";
    if (!MakeFolder(folder, elevated)) return;
    const DWORD attributesByName = ::GetFileAttributesW(folder.c_str());
    if (attributesByName == INVALID_FILE_ATTRIBUTES) return;
    folder_ = OpenFolder(folder, elevated);
    if (!folder_) return;
    std::wstring secured;
    switch (UseJournalFolder(elevated, FactsOf(folder_.get(), folder, attributesByName))) {
    case JournalFolderUse::Use: break;
    case JournalFolderUse::Refuse: folder_.reset(); return;
    case JournalFolderUse::SecureFirst: {
        std::wstring privilege;
        switch (SetOwnSecurityWithPrivilege(folder_.get(), folder, JournalFolderResecurity().c_str(), privilege)) {
        case ERROR_SUCCESS:
            secured = L"The journal's folder could be changed by others: it now belongs to SYSTEM and the administrators alone" +
                      (privilege.empty() ? L"" : L", with " + privilege);
            break;
        case ERROR_NOT_SUPPORTED:
            secured = L"The journal's folder could be changed by others; this system keeps no access lists on files, "
                      L"so it stays as it is";
            break;
        default: folder_.reset(); return;
        }
        break;
    }
    }

    SYSTEMTIME start;
    ::GetLocalTime(&start);
    const std::wstring name = JournalFileName(start.wYear, start.wMonth, start.wDay, start.wHour, start.wMinute,
                                              start.wSecond, ::GetCurrentProcessId());
    // Written through: nothing of a line may wait in a cache when Windows restarts.
    file_ = CreateNewFile(folder + L"\\" + name, GENERIC_WRITE);
    if (!file_) return;
    constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    DWORD written = 0;
    if (!::WriteFile(file_.get(), kByteOrderMark, 3, &written, nullptr)) {
        file_.reset();
        return;
    }
    if (!secured.empty()) Write(secured);
    // Windows Installer appends to its log: the launcher makes it, new, first.
    const std::wstring installerLog = folder + L"\\" + InstallerLogFileName(name);
    if (CreateNewFile(installerLog, GENERIC_WRITE)) installerLog_ = installerLog;
    path_ = folder + L"\\" + name;

    // This run's own files stay even when a clock set back made earlier names look newer.
    for (const auto& old : JournalsToDelete(FileNamesIn(folder))) {
        if (old != name && old != InstallerLogFileName(name)) DeleteEntry(folder + L"\\" + old);
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
