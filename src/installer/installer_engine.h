#pragma once
// Windows Installer as the queries and installations see it. Each call is one request to
// the installer, except that a product's upgrade code may be answered from an earlier
// request made since the engine last installed a package.
#include <optional>
#include <string>
#include <vector>

namespace orvh {

// Installer user-interface level: one of the installer's levels (1 default, 2 none,
// 3 basic, 4 reduced, 5 full), possibly combined with its modifier flags (32 hide the
// cancel button, 64 progress only, ...). The queries run without user interface.
inline constexpr int kUiLevelNone = 2;

// What an installation or patch reinstalls of the product already installed.
enum class Reinstall {
    None,
    // The repair of a lost installation source: every file again, the package cached anew.
    LostSource,
    // Every patch's: files missing or of an equal or older version, registry data and shortcuts.
    Patch,
};

// What an installation or patch call asks of Windows Installer beyond its file.
struct InstallRequest {
    Reinstall reinstall = Reinstall::None;
    // No restart by Windows Installer itself: the call answers 3010 where one is needed.
    bool restartSuppressed = false;
};

// The property string Windows Installer receives for a request; made here only.
std::wstring PropertiesOf(const InstallRequest& request);

class InstallerEngine {
public:
    virtual ~InstallerEngine() = default;

    virtual void SetUiLevel(int level) = 0;
    // Product codes of the installed products, in the installer's order.
    virtual std::vector<std::wstring> Products() = 0;
    // A product attribute ("InstalledProductName", "VersionString", "InstallSource",
    // "PackageName"); nullopt when it cannot be read.
    virtual std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const std::wstring& attribute) = 0;
    // The UpgradeCode property of the installed product's package (a session opened on the
    // product); nullopt when the product cannot be opened or the property read.
    virtual std::optional<std::wstring> ProductUpgradeCode(const std::wstring& productCode) = 0;
    // A property of a package file; a failure raises a PlatformError.
    virtual std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& property) = 0;
    // The version resource of a file as "major.minor.build.revision"; nullopt when the
    // file is missing or has none.
    virtual std::optional<std::wstring> FileVersion(const std::wstring& filePath) = 0;
    // Installs or reconfigures the product of a package file; the installer's result code (0 success).
    virtual unsigned InstallProduct(const std::wstring& packagePath, const InstallRequest& request) = 0;
    // Applies a patch file to every installed product it targets; the installer's result code (0 success).
    virtual unsigned ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) = 0;
    // Adds a folder to the sources a per-machine product's reinstallation may read its
    // package from, first in their order; a failure raises a PlatformError.
    virtual void AddSource(const std::wstring& productCode, const std::wstring& folder) = 0;
};

// An engine that hands every request on to another; a wrapper overrides what it adds to.
class ForwardingEngine : public InstallerEngine {
public:
    explicit ForwardingEngine(InstallerEngine& inner) : inner_(inner) {}

    void SetUiLevel(int level) override { inner_.SetUiLevel(level); }
    std::vector<std::wstring> Products() override { return inner_.Products(); }
    std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const std::wstring& attribute) override {
        return inner_.ProductInfo(productCode, attribute);
    }
    std::optional<std::wstring> ProductUpgradeCode(const std::wstring& productCode) override {
        return inner_.ProductUpgradeCode(productCode);
    }
    std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& property) override {
        return inner_.PackageProperty(packagePath, property);
    }
    std::optional<std::wstring> FileVersion(const std::wstring& filePath) override { return inner_.FileVersion(filePath); }
    unsigned InstallProduct(const std::wstring& packagePath, const InstallRequest& request) override {
        return inner_.InstallProduct(packagePath, request);
    }
    unsigned ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) override {
        return inner_.ApplyPatch(patchPath, request);
    }
    void AddSource(const std::wstring& productCode, const std::wstring& folder) override {
        inner_.AddSource(productCode, folder);
    }

protected:
    InstallerEngine& inner_;
};

} // namespace orvh
