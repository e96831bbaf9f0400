#pragma once
// One small owner per Windows handle kind: closed exactly once, movable, not copyable.
#include "system/windows_api_win32.h"

#include <msi.h>
#include <objbase.h>
#include <oleauto.h>
#include <propidl.h>
#include <shtypes.h>
#include <wintrust.h>

#include <utility>

namespace orvh {

template <typename Handle, auto Close, auto Invalid>
class UniqueResource {
public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(Handle handle) noexcept : handle_(handle) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Handle(Invalid); }
    Handle release() noexcept { return std::exchange(handle_, Handle(Invalid)); }
    // Closing keeps the thread's last error: an owner that goes while a failure is being
    // reported must not change the error reported.
    void reset(Handle handle = Handle(Invalid)) noexcept {
        if (handle_ != Handle(Invalid)) {
            const DWORD lastError = ::GetLastError();
            Close(handle_);
            ::SetLastError(lastError);
        }
        handle_ = handle;
    }
    // For functions that hand out a new handle through a pointer: the old one goes first.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Handle(Invalid);
};

inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) noexcept { ::FindClose(h); }
inline void UnloadModule(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void DeleteMemoryDc(HDC h) noexcept { ::DeleteDC(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
inline void DestroyWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void CloseInstallerHandle(MSIHANDLE h) noexcept { ::MsiCloseHandle(h); }
inline void ReleaseComInterface(IUnknown* object) noexcept { object->Release(); }
inline void FreeLocalMemory(void* memory) noexcept { ::LocalFree(memory); }
inline void FreeTaskMemory(void* memory) noexcept { ::CoTaskMemFree(memory); }
inline void FreeSystemString(BSTR text) noexcept { ::SysFreeString(text); }
inline void DeleteBoundary(HANDLE h) noexcept { ::DeleteBoundaryDescriptor(h); }
// Closed, not destroyed: the namespace stays for the other launchers that hold it.
inline void ClosePrivateNamespaceHandle(HANDLE h) noexcept { ::ClosePrivateNamespace(h, 0); }
inline void CloseRegistryKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void DeregisterEventLogSource(HANDLE source) noexcept { ::DeregisterEventSource(source); }
inline void CloseCryptMessage(HCRYPTMSG message) noexcept { ::CryptMsgClose(message); }
inline void FreeCertificate(PCCERT_CONTEXT certificate) noexcept { ::CertFreeCertificateContext(certificate); }

// Process, thread, mutex, event: NULL means none.
using UniqueHandle = UniqueResource<HANDLE, CloseKernelHandle, nullptr>;
// CreateFileW: INVALID_HANDLE_VALUE means none.
using UniqueFile = UniqueResource<HANDLE, CloseKernelHandle, -1>;
using UniqueFind = UniqueResource<HANDLE, CloseFind, -1>;
using UniqueModule = UniqueResource<HMODULE, UnloadModule, nullptr>;
// CreateCompatibleDC; CreateDIBSection and other GDI objects (deselected before they go).
using UniqueMemoryDc = UniqueResource<HDC, DeleteMemoryDc, nullptr>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, DeleteGdiObject, nullptr>;
// LoadImageW icons (not LR_SHARED).
using UniqueIcon = UniqueResource<HICON, DestroyIconHandle, nullptr>;
// CreateWindowExW: destroyed by the thread that created it.
using UniqueWindow = UniqueResource<HWND, DestroyWindowHandle, nullptr>;
// msi.dll databases, views, records and summary information: 0 means none.
using UniqueInstallerHandle = UniqueResource<MSIHANDLE, CloseInstallerHandle, 0>;
// COM interfaces (IStorage, IStream...): released once.
template <typename Interface>
using UniqueComInterface = UniqueResource<Interface*, ReleaseComInterface, nullptr>;
// Memory the system allocated with LocalAlloc (FormatMessageW's buffer).
template <typename Pointer>
using UniqueLocalMemory = UniqueResource<Pointer, FreeLocalMemory, nullptr>;
// Memory the shell or COM allocated with CoTaskMemAlloc (item identifier lists).
using UniqueIdList = UniqueResource<LPITEMIDLIST, FreeTaskMemory, nullptr>;
// Texts COM allocated with CoTaskMemAlloc (the names IEnumSTATSTG gives).
using UniqueTaskText = UniqueResource<wchar_t*, FreeTaskMemory, nullptr>;
// A signed file's PKCS #7 message (CryptQueryObject).
using UniqueCryptMessage = UniqueResource<HCRYPTMSG, CloseCryptMessage, nullptr>;
// A certificate read from a file (CryptQueryObject).
using UniqueCertificate = UniqueResource<PCCERT_CONTEXT, FreeCertificate, nullptr>;
// Automation strings (SysAllocString, VarBstrFrom...).
using UniqueBstr = UniqueResource<BSTR, FreeSystemString, nullptr>;
// CreateBoundaryDescriptorW (AddSIDToBoundaryDescriptor may replace the handle it is given).
using UniqueBoundaryDescriptor = UniqueResource<HANDLE, DeleteBoundary, nullptr>;
// CreatePrivateNamespaceW, OpenPrivateNamespaceW.
using UniquePrivateNamespace = UniqueResource<HANDLE, ClosePrivateNamespaceHandle, nullptr>;
// RegCreateKeyExW, RegOpenKeyExW.
using UniqueRegistryKey = UniqueResource<HKEY, CloseRegistryKey, nullptr>;
// RegisterEventSourceW.
using UniqueEventSource = UniqueResource<HANDLE, DeregisterEventLogSource, nullptr>;

// WinVerifyTrust's state after WTD_STATEACTION_VERIFY (the signer, the chain): closed by
// the same call on the same data with WTD_STATEACTION_CLOSE.
class UniqueTrustState {
public:
    UniqueTrustState(WINTRUST_DATA& data, GUID action) noexcept : data_(data), action_(action) {}
    UniqueTrustState(const UniqueTrustState&) = delete;
    UniqueTrustState& operator=(const UniqueTrustState&) = delete;
    ~UniqueTrustState() {
        const DWORD lastError = ::GetLastError();
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
        ::SetLastError(lastError);
    }
    HANDLE get() const noexcept { return data_.hWVTStateData; }

private:
    WINTRUST_DATA& data_;
    GUID action_;
};

// A property's value read from a property storage (IPropertyStorage::ReadMultiple): cleared once,
// with whatever it holds.
class UniquePropVariant {
public:
    UniquePropVariant() noexcept { ::PropVariantInit(&value_); }
    UniquePropVariant(const UniquePropVariant&) = delete;
    UniquePropVariant& operator=(const UniquePropVariant&) = delete;
    ~UniquePropVariant() {
        const DWORD lastError = ::GetLastError();
        ::PropVariantClear(&value_);
        ::SetLastError(lastError);
    }
    const PROPVARIANT& get() const noexcept { return value_; }
    // For the reads that fill it: what it held goes first.
    PROPVARIANT* put() noexcept {
        ::PropVariantClear(&value_);
        return &value_;
    }

private:
    PROPVARIANT value_;
};

} // namespace orvh
