#pragma once
// Folder identity by the opened folders' volume serial number and file identifier; when either
// folder cannot be opened, by the full paths compared without regard to letter case.
#include "system/folder_identity.h"

namespace orvh {

class Win32FolderIdentity final : public FolderIdentity {
public:
    bool SameFolder(const std::wstring& a, const std::wstring& b) const override;
};

} // namespace orvh
