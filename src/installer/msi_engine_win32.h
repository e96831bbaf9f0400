#pragma once
// Windows Installer through msi.dll's C API.
#include "installer/installer_engine.h"

namespace orvh {

class MsiEngine final : public InstallerEngine {
public:
    void SetUiLevel(UiLevel level) override;
    std::vector<std::wstring> Products() override;
    std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const std::wstring& attribute) override;
    std::optional<std::wstring> ProductProperty(const std::wstring& productCode, const std::wstring& property) override;
    std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& property) override;
    std::optional<std::wstring> FileVersion(const std::wstring& filePath) override;
};

} // namespace orvh
