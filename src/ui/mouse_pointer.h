#pragma once
// The screen's mouse pointer over the program's windows.
namespace orvh {

class MousePointer {
public:
    virtual ~MousePointer() = default;
    virtual void SetHourglass(bool hourglass) = 0;
};

} // namespace orvh
