#include "installer/installed_product.h"

#include "installer/installer_engine.h"
#include "installer/version.h"
#include "system/file_system.h"
#include "system/platform_error.h"

#include <optional>

namespace orvh {
namespace {

const std::wstring kProductName = L"InstalledProductName";
const std::wstring kVersionString = L"VersionString";
const std::wstring kInstallSource = L"InstallSource";
const std::wstring kPackageName = L"PackageName";
const std::wstring kProductCode = L"ProductCode";

bool Matches(InstallerEngine& installer, const std::wstring& code, const std::wstring& productName,
             const std::wstring& upgradeCode) {
    // The session is opened only for products whose name already matched.
    if (installer.ProductInfo(code, kProductName).value_or(L"") != productName) return false;
    const auto upgrade = installer.ProductUpgradeCode(code);
    return upgrade && *upgrade == upgradeCode;
}

std::optional<std::wstring> FirstMatch(InstallerEngine& installer, const std::wstring& productName,
                                       const std::wstring& upgradeCode) {
    installer.SetUiLevel(kUiLevelNone);
    for (const auto& code : installer.Products()) {
        if (Matches(installer, code, productName, upgradeCode)) return code;
    }
    return std::nullopt;
}

} // namespace

std::wstring GetInstalledVersion(const InstalledProductQueries& q, const std::wstring& productName,
                                 const std::wstring& upgradeCode, bool fourGroups) {
    const auto code = FirstMatch(q.installer, productName, upgradeCode);
    if (!code) return L"";
    const auto version = q.installer.ProductInfo(*code, kVersionString);
    if (!version) return L"";
    // major.minor.build; any further group is ignored.
    std::wstring firstThree;
    std::size_t start = 0;
    for (int group = 0; group < 3; ++group) {
        const auto dot = version->find(L'.', start);
        if (dot == std::wstring::npos && group < 2) return L"";
        firstThree += (group ? L"." : L"") + version->substr(start, dot == std::wstring::npos ? dot : dot - start);
        start = dot == std::wstring::npos ? version->size() : dot + 1;
    }
    try {
        return FormatVersion(firstThree, fourGroups, q.numbers);
    } catch (const PlatformError&) {
        return L"";
    }
}

std::wstring GetInstallSource(const InstalledProductQueries& q, const std::wstring& productName,
                              const std::wstring& upgradeCode) {
    q.installer.SetUiLevel(kUiLevelNone);
    std::wstring source;
    for (const auto& code : q.installer.Products()) {
        if (!Matches(q.installer, code, productName, upgradeCode)) continue;
        if (const auto folder = q.installer.ProductInfo(code, kInstallSource)) source = ExpandPath(*folder, q.expand);
    }
    return source;
}

std::optional<InstalledPackage> FindInstalledPackage(const InstalledProductQueries& q, const std::wstring& productName,
                                                     const std::wstring& upgradeCode) {
    const auto code = FirstMatch(q.installer, productName, upgradeCode);
    if (!code) return std::nullopt;
    const auto folder = q.installer.ProductInfo(*code, kInstallSource).value_or(L"");
    return InstalledPackage{*code, folder.empty() ? L"" : ExpandPath(folder, q.expand),
                            q.installer.ProductInfo(*code, kPackageName).value_or(L"")};
}

bool InstallSourceAvailable(const InstalledProductQueries& q, const std::wstring& productName,
                            const std::wstring& upgradeCode) {
    const auto code = FirstMatch(q.installer, productName, upgradeCode);
    if (!code) return false;
    // A property that cannot be read names no file.
    const auto package = q.installer.ProductInfo(*code, kPackageName).value_or(L"");
    const auto folder = q.installer.ProductInfo(*code, kInstallSource).value_or(L"");
    return !package.empty() && !folder.empty() && q.fileSystem.FileExists(ExpandPath(folder, q.expand) + L"\\" + package);
}

bool IsBracedGuid(std::wstring_view text) {
    constexpr std::wstring_view kForm = L"{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != kForm.size()) return false;
    for (std::size_t i = 0; i < kForm.size(); ++i) {
        const wchar_t c = text[i];
        const bool hex = (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
        if (kForm[i] == L'X' ? !hex : c != kForm[i]) return false;
    }
    return true;
}

std::wstring GetPackageProductCode(const InstalledProductQueries& q, const std::wstring& packagePath) {
    if (!q.fileSystem.FileExists(packagePath)) return L"";
    const std::wstring fullPath = q.fileSystem.GetFilePath(packagePath);
    q.installer.SetUiLevel(kUiLevelNone);
    return q.installer.PackageProperty(fullPath, kProductCode);
}

std::wstring GetPackageVersion(const InstalledProductQueries& q, const std::wstring& packagePath) {
    q.installer.SetUiLevel(kUiLevelNone);
    return FormatVersion(q.installer.PackageProperty(packagePath, L"ProductVersion"), true, q.numbers);
}

std::wstring GetFileVersion(const InstalledProductQueries& q, const std::wstring& filePath, bool fourGroups) {
    q.installer.SetUiLevel(kUiLevelNone);
    const auto version = q.installer.FileVersion(filePath);
    if (!version) return L"";
    return FormatVersion(*version, fourGroups, q.numbers);
}

} // namespace orvh
