#pragma once
// Windows Installer through msi.dll's C API.
#include "installer/installer_engine.h"

#include <string>
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
    std::optional<std::wstring> ProductProperty(const std::wstring& productCode, const std::wstring& property) override;
    std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& property) override;
    std::optional<std::wstring> FileVersion(const std::wstring& filePath) override;
    unsigned InstallProduct(const std::wstring& packagePath, const std::wstring& properties) override;
    unsigned ApplyPatch(const std::wstring& patchPath, const std::wstring& commandLine) override;

private:
    std::wstring installerLog_;
    // Product properties read so far, by product code and property name. Opening a product's
    // session costs more than any other query, and what it reads changes only when a product
    // is installed or patched: both empty it.
    struct KnownProperty {
        std::wstring productCode;
        std::wstring property;
        std::wstring value;
    };
    std::vector<KnownProperty> productProperties_;
};

} // namespace orvh
