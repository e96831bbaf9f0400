#pragma once
// Whether a person can see the program's windows. Since Windows Vista services, cluster
// resources and scheduled tasks without a logged-on user run in session 0 or on a window
// station that is not the visible one: a window there is never seen, and a message box or
// a modal installer dialog there never returns.
#include <cstdint>
#include <string>

namespace orvh {

enum class SessionKind { Interactive, Unattended };

struct SessionFacts {
    bool stationVisible = true;      // the process's window station shows on a screen
    std::uint32_t sessionNumber = 1;
    bool connected = true;           // a disconnected session (a remote desktop left) shows nowhere
};

SessionKind SessionKindOf(const SessionFacts& facts);

// The journal's line on the session and what follows from it.
std::wstring SessionNote(const SessionFacts& facts);

} // namespace orvh
