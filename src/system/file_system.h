#pragma once
// The file-system object: every file and folder operation of the run goes through it.
// Paths are full paths; folder paths carry no trailing backslash. A failing operation
// raises a PlatformError with the platform's number and description.
#include <string>
#include <string_view>
#include <vector>

namespace orvh {

// The end of the name a copy is written under until it is complete.
inline constexpr std::wstring_view kPartialCopySuffix = L".orvh-partial";

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool FileExists(const std::wstring& path) const = 0;
    virtual bool FolderExists(const std::wstring& path) const = 0;
    // Creates the last level of `path`; its parent exists and `path` does not.
    virtual void CreateFolder(const std::wstring& path) = 0;
    // Copies one file, replacing an existing destination file; the source stays. All or
    // nothing: the destination keeps its earlier content or holds the source's whole
    // content on disk, whenever the program is stopped. A copy under way is written next to
    // the destination under a name ending in kPartialCopySuffix.
    virtual void CopyFile(const std::wstring& source, const std::wstring& destination) = 0;
    // Whether both files exist and hold the same bytes.
    virtual bool SameContent(const std::wstring& a, const std::wstring& b) const = 0;
    // The names of the files and folders in a folder.
    virtual std::vector<std::wstring> EntryNames(const std::wstring& folder) const = 0;
    // Deletes the file, read-only files included.
    virtual void DeleteFile(const std::wstring& path) = 0;
    // Deletes the folder with everything in it, read-only files included.
    virtual void DeleteFolder(const std::wstring& path) = 0;
    // The full path of an existing file as the file system reports it.
    virtual std::wstring GetFilePath(const std::wstring& path) const = 0;

    // The last component of the path: the text after the last backslash.
    static std::wstring GetFileName(std::wstring_view path) {
        const auto slash = path.rfind(L'\\');
        return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
    }
};

} // namespace orvh
