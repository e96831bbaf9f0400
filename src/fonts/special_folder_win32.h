#pragma once
// Shell special folders (CSIDL identifiers) as file-system paths.
#include "system/windows_api_win32.h"

#include <string>

namespace orvh {

// The file-system path of the special folder `folderId`; empty when the shell does not
// know it or it has no file-system path.
std::wstring GetSpecialFolder(HWND ownerWindow, int folderId);

// The Windows Fonts folder, without a trailing backslash.
std::wstring FontsFolder();

} // namespace orvh
