#pragma once
// Windows Installer through msi.dll's C API.
#include "installer/installer_engine.h"

#include <string>

namespace orvh {

class MsiEngine final : public InstallerEngine {
public:
    // Each installation and patch appends Windows Installer's own log to `installerLog`
    // (none when empty).
    explicit MsiEngine(std::wstring installerLog = {}) : installerLog_(std::move(installerLog)) {}

    void SetUiLevel(int level) override;
    std::vector<std::wstring> Products() override;
    std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const std::wstring& attribute) override;
    std::optional<std::wstring> ProductProperty(const std::wstring& productCode, const std::wstring& property) override;
    std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& property) override;
    std::optional<std::wstring> FileVersion(const std::wstring& filePath) override;
    unsigned InstallProduct(const std::wstring& packagePath, const std::wstring& properties) override;
    unsigned ApplyPatch(const std::wstring& patchPath, const std::wstring& commandLine) override;

private:
    std::wstring installerLog_;
};

} // namespace orvh
