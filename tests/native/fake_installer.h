#pragma once
// Windows Installer as a table: installed products, package product codes and file
// versions; a missing entry is a failed read. Installations and patches are recorded
// with the UI level in force and answer with a preset result code.
#include "installer/installer_engine.h"
#include "system/platform_error.h"

#include <map>
#include <vector>

namespace orvh::test {

class FakeInstaller final : public InstallerEngine {
public:
    using Values = std::map<std::wstring, std::wstring>;
    struct Product {
        std::wstring code;
        Values info;
        Values properties;  // empty: the product cannot be opened
    };

    void SetUiLevel(int level) override { uiLevels.push_back(level); }
    std::vector<std::wstring> Products() override {
        std::vector<std::wstring> codes;
        for (const auto& p : products) codes.push_back(p.code);
        return codes;
    }
    std::optional<std::wstring> ProductInfo(const std::wstring& code, const std::wstring& name) override {
        return Lookup(code, name, &Product::info);
    }
    std::optional<std::wstring> ProductProperty(const std::wstring& code, const std::wstring& name) override {
        opened.push_back(code);
        return Lookup(code, name, &Product::properties);
    }
    std::wstring PackageProperty(const std::wstring& path, const std::wstring& name) override {
        if (name != L"ProductCode" || !packageCodes.count(path)) throw PlatformError(1620, L"Package", L"bad");
        return packageCodes.at(path);
    }
    std::optional<std::wstring> FileVersion(const std::wstring& path) override {
        return fileVersions.count(path) ? std::optional(fileVersions.at(path)) : std::nullopt;
    }
    unsigned InstallProduct(const std::wstring& path, const std::wstring& properties) override {
        changes.push_back(L"install " + path + L" [" + properties + L"] ui " + std::to_wstring(uiLevels.back()));
        return result;
    }
    unsigned ApplyPatch(const std::wstring& path, const std::wstring& properties) override {
        changes.push_back(L"patch " + path + L" [" + properties + L"] ui " + std::to_wstring(uiLevels.back()));
        return result;
    }

    std::vector<Product> products;
    Values packageCodes, fileVersions;
    std::vector<int> uiLevels;
    std::vector<std::wstring> opened, changes;
    unsigned result = 0;

private:
    std::optional<std::wstring> Lookup(const std::wstring& code, const std::wstring& name, Values Product::*values) {
        for (const auto& p : products) {
            if (p.code == code && (p.*values).count(name)) return (p.*values).at(name);
        }
        return std::nullopt;
    }
};

// An installed product with the four attributes the queries read.
inline FakeInstaller::Product Installed(std::wstring code, std::wstring name, std::wstring upgradeCode,
                                        std::wstring version, std::wstring source = L"S:\\Setup\\") {
    FakeInstaller::Values properties;
    if (!upgradeCode.empty()) properties[L"UpgradeCode"] = upgradeCode;
    return {code, {{L"InstalledProductName", name}, {L"VersionString", version}, {L"InstallSource", source},
                   {L"PackageName", L"p.msi"}}, properties};
}

} // namespace orvh::test
