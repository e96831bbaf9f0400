#pragma once
// Windows Installer as a table: installed products, package product codes and file
// versions; a missing entry is a failed read. Installations and patches are recorded
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

    void SetUiLevel(int level) override { uiLevels.push_back(level); }
    std::vector<std::wstring> Products() override {
        std::vector<std::wstring> codes;
        for (const auto& p : products) codes.push_back(p.code);
        return codes;
    }
    std::optional<std::wstring> ProductInfo(const std::wstring& code, const std::wstring& attribute) override {
        return Lookup(code, attribute, &Product::info);
    }
    std::optional<std::wstring> ProductProperty(const std::wstring& code, const std::wstring& property) override {
        opened.push_back(code);
        return Lookup(code, property, &Product::properties);
    }
    std::wstring PackageProperty(const std::wstring& path, const std::wstring& property) override {
        if (property != L"ProductCode" || !packageCodes.count(path)) throw PlatformError(1620, L"Package", L"bad");
        return packageCodes.at(path);
    }
    std::optional<std::wstring> FileVersion(const std::wstring& path) override {
        if (!fileVersions.count(path)) return std::nullopt;
        return fileVersions.at(path);
    }
    unsigned InstallProduct(const std::wstring& packagePath, const std::wstring& properties) override {
        changes.push_back(L"install " + packagePath + L" [" + properties + L"] ui " + UiLevel());
        return installResult;
    }
    unsigned ApplyPatch(const std::wstring& patchPath, const std::wstring& commandLine) override {
        changes.push_back(L"patch " + patchPath + L" [" + commandLine + L"] ui " + UiLevel());
        return patchResult;
    }

    std::vector<Product> products;
    std::map<std::wstring, std::wstring> packageCodes;
    std::map<std::wstring, std::wstring> fileVersions;
    std::vector<int> uiLevels;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> changes;
    unsigned installResult = 0;
    unsigned patchResult = 0;

private:
    std::wstring UiLevel() const { return uiLevels.empty() ? L"unset" : std::to_wstring(uiLevels.back()); }
    std::optional<std::wstring> Lookup(const std::wstring& code, const std::wstring& name,
                                       std::map<std::wstring, std::wstring> Product::*table) const {
        for (const auto& p : products) {
            if (p.code == code && (p.*table).count(name)) return (p.*table).at(name);
        }
        return std::nullopt;
    }
};

// An installed product with the four attributes the queries read.
inline FakeInstaller::Product Installed(std::wstring code, std::wstring name, std::wstring upgradeCode,
                                        std::wstring version, std::wstring source = L"S:\\Setup\\",
                                        std::wstring package = L"p.msi") {
    FakeInstaller::Product p{std::move(code), {{L"InstalledProductName", std::move(name)},
                                               {L"VersionString", std::move(version)},
                                               {L"InstallSource", std::move(source)},
                                               {L"PackageName", std::move(package)}}, {}};
    if (!upgradeCode.empty()) p.properties = {{L"UpgradeCode", std::move(upgradeCode)}};
    return p;
}

} // namespace orvh::test
