#pragma once
// Notices to the users of the machine's active sessions, which nobody has to answer.
#include "ui/dialogs.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvh {

class UserNotices {
public:
    virtual ~UserNotices() = default;
    // Sends the box's text to every active session a user is logged on to and returns at
    // once, with the sessions it reached (none when no user is, or no notice could be sent).
    virtual std::vector<std::uint32_t> Send(std::wstring_view text, std::wstring_view title, MessageIcon icon) = 0;
};

} // namespace orvh
