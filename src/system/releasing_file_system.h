#pragma once
// A file system over which a held file is released right before it is deleted.
#include "system/file_system.h"
#include "system/signatures.h"

namespace orvh {

class ReleasingFileSystem final : public FileSystem {
public:
    ReleasingFileSystem(FileSystem& inner, SignatureVerifier& holds) : inner_(inner), holds_(holds) {}
    bool FileExists(const std::wstring& path) const override { return inner_.FileExists(path); }
    bool FolderExists(const std::wstring& path) const override { return inner_.FolderExists(path); }
    void CreateFolder(const std::wstring& path) override { inner_.CreateFolder(path); }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        inner_.CopyFile(source, destination);
    }
    bool SameContent(const std::wstring& a, const std::wstring& b) const override { return inner_.SameContent(a, b); }
    std::vector<std::wstring> EntryNames(const std::wstring& folder) const override {
        return inner_.EntryNames(folder);
    }
    Deletion DeleteFile(const std::wstring& path) override {
        holds_.Release(path);
        return inner_.DeleteFile(path);
    }
    Deletion DeleteFolder(const std::wstring& path) override { return inner_.DeleteFolder(path); }
    std::wstring GetFilePath(const std::wstring& path) const override { return inner_.GetFilePath(path); }
    std::optional<std::wstring> LinkTarget(const std::wstring& path) const override { return inner_.LinkTarget(path); }
    void HoldFolder(const std::wstring& path) override { inner_.HoldFolder(path); }
    void ReleaseFolder(const std::wstring& path) override { inner_.ReleaseFolder(path); }

private:
    FileSystem& inner_;
    SignatureVerifier& holds_;
};

} // namespace orvh
