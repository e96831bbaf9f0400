#pragma once
// The file-system object: every file and folder operation of the run goes through it.
// Paths are full paths; folder paths carry no trailing backslash. A failing operation
// raises a PlatformError with the platform's number and description.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvh {

// What a deletion did: the entry is gone, or it is a link left in place (see DeleteFile).
enum class Deletion { Deleted, LinkLeft };

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
    // the destination under a name ending in kPartialCopySuffix. From its creation until this
    // object deletes it or copies over it (or the process ends) others may only read the copy:
    // what takes the destination's name is what was written.
    virtual void CopyFile(const std::wstring& source, const std::wstring& destination) = 0;
    // Whether both files exist and hold the same bytes.
    virtual bool SameContent(const std::wstring& a, const std::wstring& b) const = 0;
    // The names of the files and folders in a folder.
    virtual std::vector<std::wstring> EntryNames(const std::wstring& folder) const = 0;
    // Deletes the file, read-only files included. A link (a junction, a symbolic link, a mount
    // point) is never followed: the link itself goes where the system lets it go without
    // reaching what it points to, otherwise it is left; the result and the journal say which.
    virtual Deletion DeleteFile(const std::wstring& path) = 0;
    // Deletes the folder with everything in it, read-only files included, deciding from each
    // entry's attributes in the listing: a link in it is never descended into (see DeleteFile).
    virtual Deletion DeleteFolder(const std::wstring& path) = 0;
    // Where the link at `path` leads when a link stands there; nullopt for a plain file or
    // folder, or nothing. A target that cannot be reached reads as empty text.
    virtual std::optional<std::wstring> LinkTarget(const std::wstring& path) const = 0;
    // Holds the folder itself open without delete sharing until ReleaseFolder or the end of the
    // process, so that it can be neither renamed, deleted nor replaced by a link. A folder that
    // is a link, or that cannot be opened, raises the error.
    virtual void HoldFolder(const std::wstring& path) = 0;
    virtual void ReleaseFolder(const std::wstring& path) = 0;
    // The full path of an existing file as the file system reports it.
    virtual std::wstring GetFilePath(const std::wstring& path) const = 0;

    // The last component of the path: the text after the last backslash.
    static std::wstring GetFileName(std::wstring_view path) {
        const auto slash = path.rfind(L'\\');
        return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
    }
};

// A file system that hands every call on to another; a wrapper overrides what it adds to.
class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

    bool FileExists(const std::wstring& path) const override { return inner_.FileExists(path); }
    bool FolderExists(const std::wstring& path) const override { return inner_.FolderExists(path); }
    void CreateFolder(const std::wstring& path) override { inner_.CreateFolder(path); }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        inner_.CopyFile(source, destination);
    }
    bool SameContent(const std::wstring& a, const std::wstring& b) const override { return inner_.SameContent(a, b); }
    std::vector<std::wstring> EntryNames(const std::wstring& folder) const override { return inner_.EntryNames(folder); }
    Deletion DeleteFile(const std::wstring& path) override { return inner_.DeleteFile(path); }
    Deletion DeleteFolder(const std::wstring& path) override { return inner_.DeleteFolder(path); }
    std::optional<std::wstring> LinkTarget(const std::wstring& path) const override { return inner_.LinkTarget(path); }
    void HoldFolder(const std::wstring& path) override { inner_.HoldFolder(path); }
    void ReleaseFolder(const std::wstring& path) override { inner_.ReleaseFolder(path); }
    std::wstring GetFilePath(const std::wstring& path) const override { return inner_.GetFilePath(path); }

protected:
    FileSystem& inner_;
};

} // namespace orvh
