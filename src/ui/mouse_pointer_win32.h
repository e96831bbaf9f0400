#pragma once
// The hourglass over the program's windows: set now, and kept by the windows that ask
// IsHourglass() when the system wants their cursor.
#include "ui/mouse_pointer.h"

namespace orvh {

class Win32MousePointer final : public MousePointer {
public:
    void SetHourglass(bool hourglass) override;
    static bool IsHourglass();
};

} // namespace orvh
