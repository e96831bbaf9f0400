#include "fonts/special_folder_win32.h"

#include "system/environment_win32.h"
#include "system/unique_handles.h"

#include <shlobj.h>

namespace orvh {
namespace {

inline void FreeIdList(LPITEMIDLIST list) noexcept { ::CoTaskMemFree(list); }
// An item identifier list the shell allocated.
using UniqueIdList = UniqueResource<LPITEMIDLIST, FreeIdList, nullptr>;

} // namespace

std::wstring GetSpecialFolder(HWND ownerWindow, int folderId) {
    LPITEMIDLIST list = nullptr;
    if (::SHGetSpecialFolderLocation(ownerWindow, folderId, &list) != S_OK) return L"";
    const UniqueIdList owned(list);
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(owned.get(), path)) return L"";
    return path;
}

std::wstring FontsFolder() { return ExpandPath(GetSpecialFolder(nullptr, CSIDL_FONTS)); }

} // namespace orvh
