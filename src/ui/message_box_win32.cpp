#include "ui/message_box_win32.h"

#include "system/windows_api_win32.h"

#include <string>

namespace orvh {

bool Win32Dialogs::ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) {
    const std::wstring body(text);
    const std::wstring caption(title);
    const UINT style = MB_OK | MB_SETFOREGROUND | (icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONSTOP);
    ::MessageBoxW(owner_ ? owner_ : ::GetActiveWindow(), body.c_str(), caption.c_str(), style);
    return true;
}

} // namespace orvh
