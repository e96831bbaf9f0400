#include "ui/session_dialogs.h"

#include <string>

namespace orvh {

bool SessionDialogs::ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) {
    if (kind_ == SessionKind::Interactive) return screen_.ShowMessage(text, title, icon);
    const auto session = console_.Send(text, title, icon);
    journal_.Write(session ? L"Not shown, nobody can see this session: sent to console session " +
                                 std::to_wstring(*session) + L" without waiting for an answer"
                           : std::wstring(L"Not shown, nobody can see this session, and no notice reached a user "
                                          L"at the console"));
    return false;
}

} // namespace orvh
