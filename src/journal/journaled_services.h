#pragma once
// The run's platform services with each call that changes something written to the
// journal: the copies, deletions and folders made, the message boxes, the wait for the
// product, the programs started and the restart. Queries go through unwritten.
#include "common/journal.h"
#include "installer/installer_engine.h"
#include "system/file_system.h"
#include "system/processes.h"
#include "ui/dialogs.h"

#include <functional>
#include <optional>

namespace orvh {

class JournaledFileSystem final : public ForwardingFileSystem {
public:
    JournaledFileSystem(FileSystem& inner, Journal& journal) : ForwardingFileSystem(inner), journal_(journal) {}

    void CreateFolder(const std::wstring& path) override;
    void CopyFile(const std::wstring& source, const std::wstring& destination) override;
    Deletion DeleteFile(const std::wstring& path) override;
    Deletion DeleteFolder(const std::wstring& path) override;

private:
    Journal& journal_;
};

class JournaledDialogs final : public Dialogs {
public:
    JournaledDialogs(Dialogs& inner, Journal& journal) : inner_(inner), journal_(journal) {}
    bool ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;

private:
    Dialogs& inner_;
    Journal& journal_;
};

class JournaledProcesses final : public ProcessWaiter, public ProgramStarter, public SystemRestart {
public:
    JournaledProcesses(ProcessWaiter& waiter, ProgramStarter& starter, SystemRestart& restart, Journal& journal)
        : waiter_(waiter), starter_(starter), restart_(restart), journal_(journal) {}
    // The journal tells a process that ended from one that could not be opened, and why.
    ProcessWait AttendiProcesso(std::int32_t processId, bool wait) override;
    void Pausa(std::int32_t milliseconds) override;
    void Start(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show) override;
    void RestartWindows(bool force, const std::function<void()>& asking) override;

private:
    ProcessWaiter& waiter_;
    ProgramStarter& starter_;
    SystemRestart& restart_;
    Journal& journal_;
};

// Every installation and patch with its user-interface level, properties, package,
// result code and duration, and what is read of the installed product.
class JournaledInstallerEngine final : public InstallerEngine {
public:
    JournaledInstallerEngine(InstallerEngine& inner, Journal& journal) : inner_(inner), journal_(journal) {}

    void SetUiLevel(int level) override;
    std::vector<std::wstring> Products() override { return inner_.Products(); }
    // The facts of a matching product (its version, installation source, package name);
    // the names read while looking for it are left out.
    std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const std::wstring& attribute) override;
    std::optional<std::wstring> ProductUpgradeCode(const std::wstring& productCode) override {
        return inner_.ProductUpgradeCode(productCode);
    }
    std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& property) override {
        return inner_.PackageProperty(packagePath, property);
    }
    std::optional<std::wstring> FileVersion(const std::wstring& filePath) override {
        return inner_.FileVersion(filePath);
    }
    unsigned InstallProduct(const std::wstring& packagePath, const InstallRequest& request) override;
    unsigned ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) override;
    void AddSource(const std::wstring& productCode, const std::wstring& folder) override;

private:
    // Writes the call, makes it, then writes its result and how long it took.
    unsigned Timed(const wchar_t* what, const std::wstring& path, const InstallRequest& request,
                   const std::function<unsigned()>& call);

    InstallerEngine& inner_;
    Journal& journal_;
    int uiLevel_ = 0;
};

} // namespace orvh
