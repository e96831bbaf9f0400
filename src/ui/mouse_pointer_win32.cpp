#include "ui/mouse_pointer_win32.h"

#include "system/windows_api_win32.h"

namespace orvh {

namespace {
bool hourglassOn = false;
}

void Win32MousePointer::SetHourglass(bool hourglass) {
    hourglassOn = hourglass;
    ::SetCursor(::LoadCursorW(nullptr, hourglass ? IDC_WAIT : IDC_ARROW));
}

bool Win32MousePointer::IsHourglass() { return hourglassOn; }

} // namespace orvh
