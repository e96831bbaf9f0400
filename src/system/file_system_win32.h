#pragma once
// The file-system object on the Win32 file API.
#include "common/journal.h"
#include "system/file_system.h"
#include "system/folder_access.h"
#include "system/unique_handles_win32.h"

#include <map>
#include <optional>
#include <set>
#include <string>

namespace orvh {

// The full path the system makes of `path` (GetFullPathNameW); nullopt when it cannot, the
// reason left in the thread's last error.
std::optional<std::wstring> FullPathName(const std::wstring& path);

// The access list of the folders only the launcher writes (SDDL): SYSTEM and the
// administrators full control and owner, the users read and execute, nothing inherited;
// what is made in the folder inherits it.
inline constexpr wchar_t kLauncherFolderSecurity[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

class Win32FileSystem final : public FileSystem, public FolderAccess {
public:
    // `journal` is told of a copy's replacement tried again and of a link met on the way.
    explicit Win32FileSystem(Journal& journal) : journal_(journal) {}
    bool FileExists(const std::wstring& path) const override;
    bool FolderExists(const std::wstring& path) const override;
    void CreateFolder(const std::wstring& path) override;
    void CopyFile(const std::wstring& source, const std::wstring& destination) override;
    bool SameContent(const std::wstring& a, const std::wstring& b) const override;
    std::vector<std::wstring> EntryNames(const std::wstring& folder) const override;
    Deletion DeleteFile(const std::wstring& path) override;
    Deletion DeleteFolder(const std::wstring& path) override;
    std::wstring GetFilePath(const std::wstring& path) const override;
    std::optional<std::wstring> LinkTarget(const std::wstring& path) const override;
    void HoldFolder(const std::wstring& path) override;
    void ReleaseFolder(const std::wstring& path) override;

    std::optional<std::wstring> FinalPath(const std::wstring& folder) const override;
    bool MayWriteIn(const std::wstring& folder) const override;
    Protection Protect(const std::wstring& heldFolder) override;
    std::vector<std::wstring> ForeignEntries(const std::wstring& folder) const override;

private:
    // Deletes the entry at `path` itself through one handle; a link the handle does not reach
    // itself is left. Journals what it does with a link.
    Deletion DeleteEntry(const std::wstring& path, std::wstring_view source);
    // Empties a folder opened as itself, never descending into a link.
    void DeleteTree(const std::wstring& folder);

    Journal& journal_;
    std::map<std::wstring, UniqueFile> held_;  // by the path's lower-case text
    std::set<std::wstring> protected_;         // the same keys: folders given the launcher's list
    std::map<std::wstring, UniqueFile> heldCopies_;  // the same keys: the copies made, read-only to others
};

} // namespace orvh
