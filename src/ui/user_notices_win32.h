#pragma once
// Notices to the users of the machine's active sessions, through the terminal services' messages.
#include "ui/user_notices.h"

namespace orvh {

class Win32UserNotices final : public UserNotices {
public:
    std::vector<std::uint32_t> Send(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;
};

} // namespace orvh
