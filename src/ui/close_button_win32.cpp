#include "ui/close_button_win32.h"

#include "system/platform_error.h"

#include <cstdint>
#include <string>

namespace orvh {

namespace {

// The first error number free for the program's own errors (0x80040000).
constexpr std::int32_t kObjectError = static_cast<std::int32_t>(0x80040000u);
// Carried by the Close item while it is greyed.
constexpr UINT kClosedSubstitute = static_cast<UINT>(-10);
constexpr UINT kGreyBits = MFS_GRAYED;
constexpr UINT kTypeBufferLength = 80;

[[noreturn]] void Raise(std::wstring_view procedure, std::wstring_view text) {
    const std::wstring source = L"modCloseBtn::" + std::wstring(procedure);
    throw PlatformError(kObjectError, source, source + std::wstring(text));
}

} // namespace

void EnableCloseButton(HWND window, bool enable) {
    EnableSystemMenuItem(window, SC_CLOSE, kClosedSubstitute, enable, L"EnableCloseButton");
}

void EnableSystemMenuItem(HWND window, UINT itemId, UINT substituteId, bool enable, std::wstring_view procedure) {
    if (!::IsWindow(window)) Raise(procedure, L"() - Invalid Window Handle");
    const HMENU menu = ::GetSystemMenu(window, FALSE);

    wchar_t typeData[kTypeBufferLength] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.dwTypeData = typeData;
    item.cch = kTypeBufferLength;

    // The identifier the item carries now tells whether it is in the state to change.
    const UINT currentId = enable ? substituteId : itemId;
    item.fMask = MIIM_STATE;
    if (!::GetMenuItemInfoW(menu, currentId, FALSE, &item)) Raise(procedure, L"() - Menu Item Not Found");

    const UINT newId = enable ? itemId : substituteId;
    item.wID = newId;
    item.fMask = MIIM_ID;
    if (!::SetMenuItemInfoW(menu, currentId, FALSE, &item)) Raise(procedure, L"() - Error encountered changing ID");

    item.fState = enable ? (item.fState & ~kGreyBits) : (item.fState | kGreyBits);
    item.fMask = MIIM_STATE;
    if (!::SetMenuItemInfoW(menu, newId, FALSE, &item)) Raise(procedure, L"() - Error encountered changing state");

    // The caption draws its buttons from the menu only when it is repainted.
    ::SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
}

} // namespace orvh
