#include "fonts/special_folder_win32.h"

#include "system/environment_win32.h"
#include "system/unique_handles_win32.h"

#include <shlobj.h>

namespace orvh {

std::wstring GetSpecialFolder(HWND ownerWindow, int folderId) {
    UniqueIdList list;
    if (::SHGetSpecialFolderLocation(ownerWindow, folderId, list.put()) != S_OK) return L"";
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(list.get(), path)) return L"";
    return path;
}

std::wstring FontsFolder() { return ExpandPath(GetSpecialFolder(nullptr, CSIDL_FONTS)); }

} // namespace orvh
