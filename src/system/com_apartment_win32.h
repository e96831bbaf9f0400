#pragma once
// Windows Installer requires COM on the thread that opens products and packages; Wine
// does not enforce it, so no test there fails without it. One apartment for a program's
// life, on its only thread.
#include "system/win32_error_win32.h"
#include "system/windows_api_win32.h"

namespace orvh {

class ComApartment {
public:
    ComApartment() {
        const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(result)) throw Win32Error(static_cast<DWORD>(result), L"CoInitializeEx");
    }
    ~ComApartment() { ::CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

} // namespace orvh
