#include "system/session.h"

namespace orvh {

SessionKind SessionKindOf(const SessionFacts& facts) {
    return facts.stationVisible && facts.sessionNumber != 0 && facts.connected ? SessionKind::Interactive
                                                                                : SessionKind::Unattended;
}

std::wstring SessionNote(const SessionFacts& facts) {
    std::wstring note = L"Session " + std::to_wstring(facts.sessionNumber) + L", window station " +
                        (facts.stationVisible ? L"visible" : L"not visible") +
                       (facts.connected ? L"" : L", session disconnected");
    if (SessionKindOf(facts) == SessionKind::Interactive) return note;
    return note + L": nobody can see this program's windows; no message box is shown, installations and patches "
                  L"run at interface level 2";
}

} // namespace orvh
