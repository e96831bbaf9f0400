#pragma once
// An in-memory file system with Windows' rules that matter to the callers: names compare
// without regard to case, a copy needs the source and the destination's folder, a
// read-only destination refuses a copy, forced deletion removes read-only files. Every
// changing operation is logged in order, every existence test of a file too.
#include "system/file_system.h"
#include "system/platform_error.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace orvh::test {

class FakeFileSystem final : public FileSystem {
public:
    struct File {
        std::string content;
        bool readOnly = false;
    };

    void AddFolder(const std::wstring& path) { folders_.insert(Key(path)); }
    void AddFile(const std::wstring& path, std::string content = "", bool readOnly = false) {
        files_[Key(path)] = {std::move(content), readOnly};
    }
    const File* Find(const std::wstring& path) const {
        const auto it = files_.find(Key(path));
        return it == files_.end() ? nullptr : &it->second;
    }
    // Path (lower case) and content of every file under `folder`, at any depth.
    std::map<std::wstring, std::string> FilesUnder(const std::wstring& folder) const {
        std::map<std::wstring, std::string> found;
        for (const auto& [path, file] : files_) {
            if (path.starts_with(Key(folder) + L"\\")) found[path] = file.content;
        }
        return found;
    }

    bool FileExists(const std::wstring& path) const override {
        examined.push_back(path);
        return files_.count(Key(path)) != 0;
    }
    bool FolderExists(const std::wstring& path) const override { return folders_.count(Key(path)) != 0; }
    void CreateFolder(const std::wstring& path) override {
        if (!FolderExists(Parent(path))) throw PlatformError(3, L"CreateFolder", L"path not found");
        if (FolderExists(path) || files_.count(Key(path))) throw PlatformError(183, L"CreateFolder", L"exists");
        folders_.insert(Key(path));
        log.push_back(L"mkdir " + path);
    }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        const File* from = Find(source);
        if (!from) throw PlatformError(2, L"CopyFile", L"file not found");
        if (!FolderExists(Parent(destination))) throw PlatformError(3, L"CopyFile", L"path not found");
        if (const File* to = Find(destination); to && to->readOnly) throw PlatformError(5, L"CopyFile", L"denied");
        files_[Key(destination)] = *from;
        log.push_back(L"copy " + source + L" -> " + destination);
    }
    void DeleteFile(const std::wstring& path) override {
        if (refused.count(path)) throw PlatformError(32, L"DeleteFile", L"in use");
        if (!files_.erase(Key(path))) throw PlatformError(2, L"DeleteFile", L"file not found");
        log.push_back(L"delete " + path);
    }
    void DeleteFolder(const std::wstring& path) override {
        if (!folders_.erase(Key(path))) throw PlatformError(3, L"DeleteFolder", L"path not found");
        std::erase_if(files_, [&](const auto& entry) { return entry.first.starts_with(Key(path) + L"\\"); });
        std::erase_if(folders_, [&](const auto& folder) { return folder.starts_with(Key(path) + L"\\"); });
        log.push_back(L"rmdir " + path);
    }
    std::wstring GetFilePath(const std::wstring& path) const override {
        if (!files_.count(Key(path))) throw PlatformError(2, L"GetFile", L"file not found");
        return path;
    }

    std::vector<std::wstring> log;
    mutable std::vector<std::wstring> examined;
    std::set<std::wstring> refused;  // files whose deletion fails, as spelled by the caller

private:
    // A trailing backslash names the same file or folder, as it does for Windows.
    static std::wstring Key(std::wstring key) {
        if (!key.empty() && key.back() == L'\\') key.pop_back();
        std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return std::towlower(c); });
        return key;
    }
    static std::wstring Parent(const std::wstring& path) {
        const auto slash = path.rfind(L'\\');
        return slash == std::wstring::npos ? L"" : path.substr(0, slash);
    }

    std::map<std::wstring, File> files_;
    std::set<std::wstring> folders_;
};

} // namespace orvh::test
