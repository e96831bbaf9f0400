#include "ui/message_pump_win32.h"

#include "system/windows_api_win32.h"

namespace orvh {

void Win32MessagePump::ProcessPendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

} // namespace orvh
