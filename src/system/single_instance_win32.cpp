#include "system/single_instance_win32.h"

namespace orvh {

namespace {
constexpr wchar_t kMutexName[] = L"Global\\Orvane.OrvhUpdate.{9B0E4D3A-7C51-4E8F-A2B6-3D19F5C8E072}";
}

NamedMutexInstanceGuard::NamedMutexInstanceGuard() {
    mutex_.reset(::CreateMutexW(nullptr, FALSE, kMutexName));
    const DWORD error = ::GetLastError();
    // Access denied means an instance of another user holds the mutex.
    anotherRunning_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

} // namespace orvh
