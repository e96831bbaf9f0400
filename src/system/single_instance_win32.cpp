#include "system/single_instance_win32.h"

#include <string>

namespace orvh {

namespace {

constexpr wchar_t kMutexName[] = L"Orvane.OrvhUpdate.{9B0E4D3A-7C51-4E8F-A2B6-3D19F5C8E072}";
constexpr wchar_t kNamespace[] = L"Orvane.OrvhUpdate";

// The namespace of the machine's administrators, created by the first launcher and opened by
// the others; none where the system cannot make it.
UniquePrivateNamespace AdministratorsNamespace() {
    UniqueBoundaryDescriptor boundary(::CreateBoundaryDescriptorW(kNamespace, 0));
    if (!boundary) return {};
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) return {};
    HANDLE descriptor = boundary.release();
    const BOOL added = ::AddSIDToBoundaryDescriptor(&descriptor, administrators);
    boundary.reset(descriptor);
    if (!added) return {};
    UniquePrivateNamespace created(::CreatePrivateNamespaceW(nullptr, boundary.get(), kNamespace));
    if (created || ::GetLastError() != ERROR_ALREADY_EXISTS) return created;
    return UniquePrivateNamespace(::OpenPrivateNamespaceW(boundary.get(), kNamespace));
}

} // namespace

NamedMutexInstanceGuard::NamedMutexInstanceGuard(bool elevated) {
    if (elevated) namespace_ = AdministratorsNamespace();
    const std::wstring name = (namespace_ ? std::wstring(kNamespace) : std::wstring(L"Global")) + L"\\" + kMutexName;
    mutex_.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD error = ::GetLastError();
    // Access denied means an instance of another user holds the mutex.
    anotherRunning_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

} // namespace orvh
