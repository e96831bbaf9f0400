#pragma once
// Message boxes by who can see the session. Where a person can, on screen as always. Where
// nobody can, no box at all (it would never be answered and the run would wait for ever,
// holding the instance mutex): the text goes to the journal, and to the user logged on at
// the console as a notice the run does not wait for.
#include "common/journal.h"
#include "system/session.h"
#include "ui/dialogs.h"

#include <cstdint>
#include <optional>

namespace orvh {

class ConsoleNotices {
public:
    virtual ~ConsoleNotices() = default;
    // Sends the box's text to the session of the user logged on at the console and returns
    // at once, with the session it went to; nothing when no user is logged on there or the
    // notice could not be sent.
    virtual std::optional<std::uint32_t> Send(std::wstring_view text, std::wstring_view title, MessageIcon icon) = 0;
};

class SessionDialogs final : public Dialogs {
public:
    SessionDialogs(SessionKind kind, Dialogs& screen, ConsoleNotices& console, Journal& journal)
        : kind_(kind), screen_(screen), console_(console), journal_(journal) {}
    bool ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;

private:
    SessionKind kind_;
    Dialogs& screen_;
    ConsoleNotices& console_;
    Journal& journal_;
};

} // namespace orvh
