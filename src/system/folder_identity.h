#pragma once
// Whether two paths name one folder, decided as the file system decides it: one path
// text can be spelled many ways (letter case, short names, a trailing dot, a "\\?\"
// prefix, another drive letter or a junction leading to the same folder).
#include <string>

namespace orvh {

class FolderIdentity {
public:
    virtual ~FolderIdentity() = default;
    virtual bool SameFolder(const std::wstring& a, const std::wstring& b) const = 0;
};

} // namespace orvh
