#pragma once
// Installations and patches at the interface level the session allows. Where a person sees
// the session, at the level the run asks for. Where nobody does, at level 2, no interface at
// all, the retry included: progress there is never seen, and an error dialog, modal at level
// 1, would never be answered.
#include "common/journal.h"
#include "installer/installer_engine.h"
#include "installer/product_installer.h"
#include "system/session.h"

namespace orvh {

int InterfaceLevelFor(SessionKind kind, int requested);

class SessionInstaller final : public ProductInstaller {
public:
    SessionInstaller(SessionKind kind, ProductInstaller& inner, Journal& journal)
        : kind_(kind), inner_(inner), journal_(journal) {}

    std::wstring GetInstalledVersion(const std::wstring& productName, const std::wstring& upgradeCode) override {
        return inner_.GetInstalledVersion(productName, upgradeCode);
    }
    bool InstallSourceAvailable(const std::wstring& productName, const std::wstring& upgradeCode) override {
        return inner_.InstallSourceAvailable(productName, upgradeCode);
    }
    unsigned InstallPackage(const std::wstring& packageName, const std::wstring& packageFolder,
                        const std::wstring& setupFolder, Reinstall reinstall, int uiLevel,
                        const std::wstring& verified) override {
        return inner_.InstallPackage(packageName, packageFolder, setupFolder, reinstall, Level(uiLevel), verified);
    }
    unsigned ApplyPatchPackage(const std::wstring& patchPath, const std::wstring& setupFolder,
                           const std::wstring& packageCopy, int uiLevel, const std::wstring& verified) override {
        return inner_.ApplyPatchPackage(patchPath, setupFolder, packageCopy, Level(uiLevel), verified);
    }

private:
    // The level taken, with a journal line when it is not the one asked for.
    int Level(int requested);

    SessionKind kind_;
    ProductInstaller& inner_;
    Journal& journal_;
};

} // namespace orvh
