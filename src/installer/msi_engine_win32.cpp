#include "installer/msi_engine_win32.h"

#include "system/win32_error_win32.h"
#include "system/windows_api.h"

#include <msi.h>
#include <msiquery.h>

#include <functional>

namespace orvh {
namespace {

// An open installer handle (session or database), closed exactly once.
class UniqueMsiHandle {
public:
    UniqueMsiHandle() = default;
    UniqueMsiHandle(const UniqueMsiHandle&) = delete;
    UniqueMsiHandle& operator=(const UniqueMsiHandle&) = delete;
    ~UniqueMsiHandle() {
        if (handle_) ::MsiCloseHandle(handle_);
    }
    MSIHANDLE* put() { return &handle_; }
    MSIHANDLE get() const { return handle_; }

private:
    MSIHANDLE handle_ = 0;
};

// Runs a sized string query: first with a small buffer, again with the size it asks for.
UINT QueryString(const std::function<UINT(wchar_t*, DWORD*)>& query, std::wstring& out) {
    std::wstring buffer(64, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    UINT rc = query(buffer.data(), &size);
    if (rc == ERROR_MORE_DATA) {
        buffer.assign(size + 1, L'\0');
        size = static_cast<DWORD>(buffer.size());
        rc = query(buffer.data(), &size);
    }
    if (rc == ERROR_SUCCESS) out.assign(buffer.data(), size);
    return rc;
}

} // namespace

void MsiEngine::SetUiLevel(int level) { ::MsiSetInternalUI(static_cast<INSTALLUILEVEL>(level), nullptr); }

std::vector<std::wstring> MsiEngine::Products() {
    std::vector<std::wstring> codes;
    wchar_t code[39];
    // The list ends at the first index the installer cannot report.
    for (DWORD index = 0; ::MsiEnumProductsW(index, code) == ERROR_SUCCESS; ++index) codes.emplace_back(code);
    return codes;
}

std::optional<std::wstring> MsiEngine::ProductInfo(const std::wstring& productCode, const std::wstring& attribute) {
    std::wstring value;
    const UINT rc = QueryString(
        [&](wchar_t* buffer, DWORD* size) {
            return ::MsiGetProductInfoW(productCode.c_str(), attribute.c_str(), buffer, size);
        },
        value);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::optional<std::wstring> MsiEngine::ProductProperty(const std::wstring& productCode, const std::wstring& property) {
    UniqueMsiHandle session;
    if (::MsiOpenProductW(productCode.c_str(), session.put()) != ERROR_SUCCESS) return std::nullopt;
    std::wstring value;
    const UINT rc = QueryString(
        [&](wchar_t* buffer, DWORD* size) {
            return ::MsiGetProductPropertyW(session.get(), property.c_str(), buffer, size);
        },
        value);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::wstring MsiEngine::PackageProperty(const std::wstring& packagePath, const std::wstring& property) {
    UniqueMsiHandle session;
    UINT rc = ::MsiOpenPackageExW(packagePath.c_str(), MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, session.put());
    if (rc != ERROR_SUCCESS) throw Win32Error(rc, L"OpenPackage");
    std::wstring value;
    rc = QueryString(
        [&](wchar_t* buffer, DWORD* size) {
            return ::MsiGetProductPropertyW(session.get(), property.c_str(), buffer, size);
        },
        value);
    if (rc != ERROR_SUCCESS) throw Win32Error(rc, L"ProductProperty");
    return value;
}

std::optional<std::wstring> MsiEngine::FileVersion(const std::wstring& filePath) {
    std::wstring version;
    const UINT rc = QueryString(
        [&](wchar_t* buffer, DWORD* size) {
            return ::MsiGetFileVersionW(filePath.c_str(), buffer, size, nullptr, nullptr);
        },
        version);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return version;
}

unsigned MsiEngine::InstallProduct(const std::wstring& packagePath, const std::wstring& properties) {
    return ::MsiInstallProductW(packagePath.c_str(), properties.c_str());
}

unsigned MsiEngine::ApplyPatch(const std::wstring& patchPath, const std::wstring& commandLine) {
    // No install package named: every installed product the patch targets is patched.
    return ::MsiApplyPatchW(patchPath.c_str(), nullptr, INSTALLTYPE_DEFAULT, commandLine.c_str());
}

} // namespace orvh
