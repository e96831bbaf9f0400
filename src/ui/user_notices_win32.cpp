#include "ui/user_notices_win32.h"

#include "system/windows_api_win32.h"

#include <wtsapi32.h>

#include <string>

namespace orvh {
namespace {

// Whether a user is logged on in the session: at the logon screen its user name is empty.
bool UserLoggedOn(DWORD session) {
    wchar_t* name = nullptr;
    DWORD bytes = 0;
    if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &name, &bytes)) return false;
    const bool loggedOn = name != nullptr && name[0] != L'\0';
    ::WTSFreeMemory(name);
    return loggedOn;
}

} // namespace

// Every active session, not only the physical console's, which on a server usually shows the
// logon screen while its administrators work through remote desktops.
std::vector<std::uint32_t> Win32UserNotices::Send(std::wstring_view text, std::wstring_view title, MessageIcon icon) {
    std::vector<std::uint32_t> reached;
    WTS_SESSION_INFOW* sessions = nullptr;
    DWORD count = 0;
    if (!::WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) return reached;
    std::wstring body(text);
    std::wstring caption(title);
    for (DWORD i = 0; i < count; ++i) {
        const DWORD session = sessions[i].SessionId;
        if (sessions[i].State != WTSActive || !UserLoggedOn(session)) continue;
        DWORD response = 0;
        // Not waited for: the answer is IDASYNC at once, whatever the user does later.
        if (::WTSSendMessageW(WTS_CURRENT_SERVER_HANDLE, session, caption.data(),
                              static_cast<DWORD>(caption.size() * sizeof(wchar_t)), body.data(),
                              static_cast<DWORD>(body.size() * sizeof(wchar_t)),
                              MB_OK | (icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONSTOP), 0,
                              &response, FALSE)) {
            reached.push_back(session);
        }
    }
    ::WTSFreeMemory(sessions);
    return reached;
}

} // namespace orvh
