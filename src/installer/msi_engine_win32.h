#pragma once
// Windows Installer through msi.dll's C API.
#include "installer/installer_engine.h"

#include <string>
#include <utility>
#include <vector>

namespace orvh {

class MsiEngine final : public InstallerEngine {
public:
    // Each installation and patch appends Windows Installer's own log to `installerLog`
    // (none when empty).
    explicit MsiEngine(std::wstring installerLog = {}) : installerLog_(std::move(installerLog)) {}

    void SetUiLevel(int level) override;
    std::vector<std::wstring> Products() override;
    std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const std::wstring& attribute) override;
    std::optional<std::wstring> ProductUpgradeCode(const std::wstring& productCode) override;
    std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& property) override;
    std::optional<std::wstring> FileVersion(const std::wstring& filePath) override;
    unsigned InstallProduct(const std::wstring& packagePath, const InstallRequest& request) override;
    unsigned ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) override;
    void AddSource(const std::wstring& productCode, const std::wstring& folder) override;

private:
    std::wstring installerLog_;
    // Upgrade codes read so far, by product code. Opening a product's session costs more
    // than any other query. An installation empties it: a package may bring a product code
    // back under another upgrade code. A patch leaves it: patches change a product's files,
    // registry and version; moving a product to another family of upgrades is a new package's
    // work, which comes through an installation.
    std::vector<std::pair<std::wstring, std::wstring>> upgradeCodes_;
};

} // namespace orvh
