#pragma once
// A file system over which a held file is released right before it is deleted.
#include "system/file_system.h"
#include "system/signatures.h"

namespace orvh {

class ReleasingFileSystem final : public ForwardingFileSystem {
public:
    ReleasingFileSystem(FileSystem& inner, SignatureVerifier& holds) : ForwardingFileSystem(inner), holds_(holds) {}
    Deletion DeleteFile(const std::wstring& path) override {
        holds_.Release(path);
        return inner_.DeleteFile(path);
    }

private:
    SignatureVerifier& holds_;
};

} // namespace orvh
