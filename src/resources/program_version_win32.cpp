#include "resources/program_version_win32.h"

#include "system/windows_api_win32.h"

#include <cstring>

namespace orvh {

std::wstring ProgramVersionText() {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    if (!found) return L"";
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const auto* bytes = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    const DWORD size = ::SizeofResource(nullptr, found);
    if (!bytes) return L"";
    // The fixed part of the version resource begins with its signature, DWORD-aligned.
    for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO info;
        std::memcpy(&info, bytes + at, sizeof info);
        if (info.dwSignature != VS_FFI_SIGNATURE) continue;
        return std::to_wstring(HIWORD(info.dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info.dwFileVersionMS)) +
               L"." + std::to_wstring(LOWORD(info.dwFileVersionLS));
    }
    return L"";
}

} // namespace orvh
