#pragma once
// Notices to the user logged on at the console, through the terminal services' messages.
#include "ui/session_dialogs.h"

namespace orvh {

class Win32ConsoleNotices final : public ConsoleNotices {
public:
    std::optional<std::uint32_t> Send(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;
};

} // namespace orvh
