#pragma once
// The file-system object on the Win32 file API.
#include "common/journal.h"
#include "system/file_system.h"

#include <optional>
#include <string>

namespace orvh {

// The full path the system makes of `path` (GetFullPathNameW); nullopt when it cannot, the
// reason left in the thread's last error.
std::optional<std::wstring> FullPathName(const std::wstring& path);

class Win32FileSystem final : public FileSystem {
public:
    // `journal` is told of a copy's replacement tried again.
    explicit Win32FileSystem(Journal& journal) : journal_(journal) {}
    bool FileExists(const std::wstring& path) const override;
    bool FolderExists(const std::wstring& path) const override;
    void CreateFolder(const std::wstring& path) override;
    void CopyFile(const std::wstring& source, const std::wstring& destination) override;
    bool SameContent(const std::wstring& a, const std::wstring& b) const override;
    std::vector<std::wstring> EntryNames(const std::wstring& folder) const override;
    void DeleteFile(const std::wstring& path) override;
    void DeleteFolder(const std::wstring& path) override;
    std::wstring GetFilePath(const std::wstring& path) const override;

private:
    Journal& journal_;
};

} // namespace orvh
