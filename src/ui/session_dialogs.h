#pragma once
// Message boxes by who can see the session. Where a person can, on screen as always. Where
// nobody can, no box at all (it would never be answered and the run would wait for ever,
// holding the instance mutex): the text goes to the journal, and to the users of the active
// sessions as a notice the run does not wait for.
#include "common/journal.h"
#include "system/session.h"
#include "ui/dialogs.h"
#include "ui/user_notices.h"

namespace orvh {

class SessionDialogs final : public Dialogs {
public:
    SessionDialogs(SessionKind kind, Dialogs& screen, UserNotices& notices, Journal& journal)
        : kind_(kind), screen_(screen), notices_(notices), journal_(journal) {}
    bool ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;

private:
    SessionKind kind_;
    Dialogs& screen_;
    UserNotices& notices_;
    Journal& journal_;
};

} // namespace orvh
