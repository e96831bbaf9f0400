#pragma once
// Windows Installer as a table: installed products, package product codes and file
// versions; a missing map entry is a failed read. Installations and patches are recorded
// with the UI level in force, and answer with a preset result code.
#include "installer/installer_engine.h"
#include "system/platform_error.h"

#include <map>
#include <string>
#include <vector>

namespace orvh::test {

class FakeInstaller final : public InstallerEngine {
public:
    struct Product {
        std::wstring code;
        std::map<std::wstring, std::wstring> info;
        std::map<std::wstring, std::wstring> properties;  // empty: the product cannot be opened
    };
    // One InstallProduct or ApplyPatch call.
    struct Call {
        std::wstring kind;  // "install" or "patch"
        std::wstring path;
        std::wstring properties;
        int uiLevel;
        bool operator==(const Call&) const = default;
    };
    std::vector<Product> products;
    std::map<std::wstring, std::wstring> packageCodes;
    std::map<std::wstring, std::wstring> fileVersions;
    std::vector<int> uiLevels;
    int calls = 0;
    std::vector<std::wstring> opened;
    std::vector<Call> changes;
    unsigned installResult = 0;
    unsigned patchResult = 0;

    void SetUiLevel(int level) override { uiLevels.push_back(level); }
    std::vector<std::wstring> Products() override {
        ++calls;
        std::vector<std::wstring> codes;
        for (const auto& p : products) codes.push_back(p.code);
        return codes;
    }
    std::optional<std::wstring> ProductInfo(const std::wstring& code, const std::wstring& attribute) override {
        ++calls;
        const Product* p = Find(code);
        if (!p || !p->info.count(attribute)) return std::nullopt;
        return p->info.at(attribute);
    }
    std::optional<std::wstring> ProductProperty(const std::wstring& code, const std::wstring& property) override {
        ++calls;
        opened.push_back(code);
        const Product* p = Find(code);
        if (!p || !p->properties.count(property)) return std::nullopt;
        return p->properties.at(property);
    }
    std::wstring PackageProperty(const std::wstring& path, const std::wstring& property) override {
        ++calls;
        if (property != L"ProductCode" || !packageCodes.count(path)) throw PlatformError(1620, L"OpenPackage", L"bad");
        return packageCodes.at(path);
    }
    std::optional<std::wstring> FileVersion(const std::wstring& path) override {
        ++calls;
        if (!fileVersions.count(path)) return std::nullopt;
        return fileVersions.at(path);
    }
    unsigned InstallProduct(const std::wstring& packagePath, const std::wstring& properties) override {
        ++calls;
        changes.push_back({L"install", packagePath, properties, CurrentUiLevel()});
        return installResult;
    }
    unsigned ApplyPatch(const std::wstring& patchPath, const std::wstring& commandLine) override {
        ++calls;
        changes.push_back({L"patch", patchPath, commandLine, CurrentUiLevel()});
        return patchResult;
    }

private:
    int CurrentUiLevel() const { return uiLevels.empty() ? 0 : uiLevels.back(); }
    const Product* Find(const std::wstring& code) const {
        for (const auto& p : products) {
            if (p.code == code) return &p;
        }
        return nullptr;
    }
};

// An installed product with the four attributes the queries read.
inline FakeInstaller::Product Installed(std::wstring code, std::wstring name, std::wstring upgradeCode,
                                        std::wstring version, std::wstring source = L"S:\\Setup\\",
                                        std::wstring package = L"p.msi") {
    FakeInstaller::Product p;
    p.code = std::move(code);
    p.info = {{L"InstalledProductName", std::move(name)}, {L"VersionString", std::move(version)},
              {L"InstallSource", std::move(source)}, {L"PackageName", std::move(package)}};
    if (!upgradeCode.empty()) p.properties = {{L"UpgradeCode", std::move(upgradeCode)}};
    return p;
}

} // namespace orvh::test
