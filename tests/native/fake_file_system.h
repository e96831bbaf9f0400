#pragma once
// An in-memory file system with Windows' rules that matter to the callers: names compare
// without regard to case, a copy needs the source and the destination's folder, a
// read-only destination refuses a copy, forced deletion removes read-only files. Changes
// are logged in order, existence tests of files too.
#include "system/file_system.h"
#include "system/platform_error.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
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
        files[Key(path)] = {std::move(content), readOnly};
    }
    // The content of a file, or "-" when there is none.
    std::string Content(const std::wstring& path) const {
        return files.count(Key(path)) ? files.at(Key(path)).content : "-";
    }

    bool FileExists(const std::wstring& path) const override {
        examined.push_back(path);
        return files.count(Key(path)) != 0;
    }
    bool FolderExists(const std::wstring& path) const override { return folders_.count(Key(path)) != 0; }
    void CreateFolder(const std::wstring& path) override {
        Refuse(!FolderExists(Parent(path)) || FolderExists(path) || files.count(Key(path)), 183);
        folders_.insert(Key(path));
        log.push_back(L"mkdir " + path);
    }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        Refuse(!files.count(Key(source)) || !FolderExists(Parent(destination)), 3);
        Refuse(files.count(Key(destination)) && files[Key(destination)].readOnly, 5);
        files[Key(destination)] = files[Key(source)];
        log.push_back(L"copy " + source + L" -> " + destination);
    }
    void DeleteFile(const std::wstring& path) override {
        Refuse(refused.count(path) || !files.erase(Key(path)), 32);
        log.push_back(L"delete " + path);
    }
    void DeleteFolder(const std::wstring& path) override {
        Refuse(!folders_.erase(Key(path)), 3);
        std::erase_if(files, [&](const auto& entry) { return entry.first.starts_with(Key(path) + L"\\"); });
        log.push_back(L"rmdir " + path);
    }
    std::wstring GetFilePath(const std::wstring& path) const override {
        Refuse(!files.count(Key(path)), 2);
        return path;
    }

    std::map<std::wstring, File> files;  // by lower-case path
    std::vector<std::wstring> log;
    mutable std::vector<std::wstring> examined;
    std::set<std::wstring> refused;  // files whose deletion fails, as the caller spells them

private:
    static void Refuse(bool refused, std::int32_t number) {
        if (refused) throw PlatformError(number, L"FileSystem", L"refused");
    }
    // A trailing backslash names the same file or folder, as it does for Windows.
    static std::wstring Key(std::wstring key) {
        if (!key.empty() && key.back() == L'\\') key.pop_back();
        std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return std::towlower(c); });
        return key;
    }
    static std::wstring Parent(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

    std::set<std::wstring> folders_;
};

} // namespace orvh::test
