#include "ui/session_dialogs.h"

#include <string>

namespace orvh {

bool SessionDialogs::ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) {
    if (kind_ == SessionKind::Interactive) return screen_.ShowMessage(text, title, icon);
    const auto sessions = notices_.Send(text, title, icon);
    if (sessions.empty()) {
        journal_.Write(L"Not shown, nobody can see this session, and no notice reached a user of an active session");
        return false;
    }
    std::wstring reached;
    for (const std::uint32_t session : sessions) reached += (reached.empty() ? L"" : L", ") + std::to_wstring(session);
    journal_.Write(L"Not shown, nobody can see this session: sent to session " + reached +
                   L" without waiting for an answer");
    return false;
}

} // namespace orvh
