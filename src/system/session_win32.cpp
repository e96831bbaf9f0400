#include "system/session_win32.h"

#include "system/windows_api_win32.h"

namespace orvh {

SessionFacts CurrentSessionFacts() {
    SessionFacts facts;
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    // The process's window station is not to be closed.
    if (::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, &needed)) {
        facts.stationVisible = (flags.dwFlags & WSF_VISIBLE) != 0;
    }
    DWORD session = 0;
    if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) facts.sessionNumber = session;
    return facts;
}

} // namespace orvh
