#pragma once
// Greys and restores a window's close button together with the Close item of its system
// menu. While greyed, the item carries a substitute identifier, which tells the state.
#include "system/windows_api_win32.h"

#include <string_view>

namespace orvh {

// Greys (enable false) or restores (enable true) the close button. Raises PlatformError
// 0x80040000 for a handle that is no window, for an item not in the expected state, and
// when the menu refuses a change.
void EnableCloseButton(HWND window, bool enable);

// Works on any system-menu item: swaps `itemId` and `substituteId` and sets the grey
// state; `procedure` names the caller in the error texts.
void EnableSystemMenuItem(HWND window, UINT itemId, UINT substituteId, bool enable, std::wstring_view procedure);

} // namespace orvh
