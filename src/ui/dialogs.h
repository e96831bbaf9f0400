#pragma once
// Modal message boxes with an OK button; the run waits until the user closes them.
#include <string_view>

namespace orvh {

enum class MessageIcon { CriticalStop, Information };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // True once the user has closed the box; false when it was not shown, since nobody
    // could have answered it.
    virtual bool ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) = 0;
};

} // namespace orvh
