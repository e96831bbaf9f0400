#include "product_installs.h"

#include "fixture_paths.h"
#include "system/windows_api.h"

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

} // namespace orvh::test
