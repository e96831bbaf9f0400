#include "system/session_win32.h"

#include "system/windows_api_win32.h"

#include <wtsapi32.h>

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
    WTS_CONNECTSTATE_CLASS* state = nullptr;
    DWORD bytes = 0;
    if (::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState,
                                      reinterpret_cast<LPWSTR*>(&state), &bytes)) {
        facts.connected = bytes >= sizeof *state && *state == WTSActive;
        ::WTSFreeMemory(state);
    }
    return facts;
}

} // namespace orvh
