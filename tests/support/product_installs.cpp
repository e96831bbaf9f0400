#include "product_installs.h"

#include "fixture_paths.h"
#include "system/windows_api_win32.h"

#include <msi.h>

#include <gtest/gtest.h>

namespace orvh::test {

unsigned ProductInstalls::Install(const fixtures::FixturePackage& package, const std::wstring& sourceFolder) {
    std::wstring path = FixturePackagePath(package.file);
    if (!sourceFolder.empty()) {
        const std::wstring copy = sourceFolder + L"\\" + std::wstring(package.file);
        if (!::CopyFileW(path.c_str(), copy.c_str(), FALSE)) return ::GetLastError();
        path = copy;
    }
    installed_.emplace_back(package.productCode);
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    return ::MsiInstallProductW(path.c_str(), L"");
}

ProductInstalls::~ProductInstalls() {
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    for (const auto& code : installed_) {
        if (::MsiQueryProductStateW(code.c_str()) != INSTALLSTATE_DEFAULT) continue;
        EXPECT_EQ(::MsiConfigureProductW(code.c_str(), INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT), ERROR_SUCCESS)
            << "removing a fixture product";
    }
}

std::vector<std::wstring> InstalledProductCodes() {
    std::vector<std::wstring> codes;
    wchar_t code[39];
    for (DWORD index = 0; ::MsiEnumProductsW(index, code) == ERROR_SUCCESS; ++index) codes.emplace_back(code);
    return codes;
}

std::wstring ProductInfoText(std::wstring_view productCode, const wchar_t* attribute) {
    const std::wstring code(productCode);
    wchar_t value[256] = {};
    DWORD size = 256;
    const UINT rc = ::MsiGetProductInfoW(code.c_str(), attribute, value, &size);
    return rc == ERROR_SUCCESS ? std::wstring(value, size) : L"error " + std::to_wstring(rc);
}

std::wstring FileVersionText(const std::wstring& path) {
    wchar_t version[64] = {};
    DWORD size = 64;
    const UINT rc = ::MsiGetFileVersionW(path.c_str(), version, &size, nullptr, nullptr);
    return rc == ERROR_SUCCESS ? std::wstring(version, size) : L"error " + std::to_wstring(rc);
}

} // namespace orvh::test
