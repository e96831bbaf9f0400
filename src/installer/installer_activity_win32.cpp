#include "installer/installer_activity_win32.h"

#include "system/unique_handles_win32.h"

namespace orvh {

// Windows Installer's service holds the mutex while an installation runs its execute
// sequence. Its state is read by taking it without waiting and releasing it at once, in this
// one function: documented calls only (the state of a mutex has no documented query), and
// held no longer than between the two calls, so the service never waits on the launcher. A
// mutex that is taken and kept would stop every installation on the machine until the
// launcher ends. Only SYNCHRONIZE is asked for: that is all a wait and a release need, and
// what an account that is not an administrator may be granted. A mutex that does not exist, or
// that the account may not open, reads as free: the call itself then answers 1618 if it is not.
bool Win32InstallerActivity::OtherInstallationRunning() {
    const UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\_MSIExecute"));
    if (!mutex) return false;
    const DWORD taken = ::WaitForSingleObject(mutex.get(), 0);
    if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) {
        ::ReleaseMutex(mutex.get());
        return false;
    }
    return taken == WAIT_TIMEOUT;
}

void Win32InstallerActivity::Wait(std::int32_t milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds < 0 ? 0 : milliseconds);
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        pump_.ProcessPendingMessages();
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    pump_.ProcessPendingMessages();
}

std::int64_t Win32InstallerActivity::Now() { return static_cast<std::int64_t>(::GetTickCount64()); }

} // namespace orvh
