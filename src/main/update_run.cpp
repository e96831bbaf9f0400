#include "main/update_run.h"

#include "common/edition.h"
#include "common/journal.h"
#include "common/string_ids.h"
#include "installer/product_installer.h"
#include "installer/version.h"
#include "main/product_wait.h"
#include "main/trusted_set.h"
#include "resources/string_table.h"
#include "system/file_system.h"
#include "system/message_pump.h"
#include "system/processes.h"
#include "ui/dialogs.h"
#include "ui/progress_view.h"

#include <optional>

namespace orvh {
namespace {

constexpr wchar_t kRepairProperties[] = L"REINSTALL=ALL REINSTALLMODE=dmus";

class Run {
public:
    Run(const RunSettings& settings, RunServices& services)
        : settings_(settings), s_(services), edition_(EditionOf(settings.upgradeCode)),
          set_(files_, services.ini,
               PrepareUpdateFolders(settings.updateFolderValue, services.programFolder, services.fileSystem,
                                    services.expand),
               services.journal) {}

    void Execute() {
        NoteSettings();
        trust_.VerifyLauncher(s_.programPath);
        set_.RemovePartialCopies();
        window_ = s_.windows.Load();
        if (edition_) WriteEditionTexts(FactsOf(*edition_));
        WaitForProduct(settings_.processId, View(), s_.texts, s_.waiter);

        if (DetermineVersions() && SetAccepted()) {
            InstallationPhase();
            View().StepSuccessivo();
            View().SetLabel(WindowLabel::Attivita, Text(text::kUpdateCompleted));
            s_.pump.ProcessPendingMessages();
            if (lastInstallationResult_ || nothingToInstall_) {
                Note(L"Rotating the update set through Corrente and Vecchio");
                set_.RotateUpdateSet(s_.fileVersion, ExpandPath(s_.programFolder, s_.expand), s_.folderIdentity);
                Note(L"Rotation done");
            } else {
                Note(L"No rotation: the last installation or patch failed");
            }
        }
        StartProductOrResource(settings_.clusterResource, s_.clusterTool, settings_.productExecutable,
                               lastInstallationResult_,
                               edition_, View(), s_.texts, s_.pump, s_.fileSystem, s_.starter);
        window_.reset();
        FinalCheck();
    }

private:
    ProgressView& View() { return *window_; }
    void Note(const std::wstring& event) { s_.journal.Write(event); }
    static std::wstring Shown(const std::wstring& text) { return text.empty() ? L"none" : text; }

    void NoteSettings() {
        const auto& folders = set_.Folders();
        Note(L"Update folder \"" + folders.root + L"\" (" +
             (folders.fromSwitch                       ? L"given by /PathAggiornamento"
              : settings_.updateFolderValue.empty() ? L"no /PathAggiornamento: the program's folder"
                                                    : L"no folder \"" + settings_.updateFolderValue +
                                                          L"\" exists: the program's folder") +
             L")");
        Note(L"Edition " + (edition_ ? std::wstring(ProductNameOf(*edition_)) : L"none") + L", upgrade code " +
             settings_.upgradeCode + L", process " + std::to_wstring(settings_.processId) + L", product \"" +
             settings_.productExecutable + L"\", cluster resource \"" + settings_.clusterResource + L"\"");
    }
    std::wstring Text(std::int32_t id) const { return s_.texts.LoadDllString(id); }

    void WriteEditionTexts(const EditionFacts& edition) {
        set_.SetPackageNames(edition.edition);
        View().SetCaption(Text(edition.titleText) + L" - V. " + s_.programVersion);
        View().SetLabel(WindowLabel::RicercaVersioni, Text(text::kStepSearchVersions));
        View().SetLabel(WindowLabel::OrvhMsi, Text(text::kStepInstallUpdate));
        View().SetLabel(WindowLabel::OrvhMsp, Text(text::kStepInstallPatch));
        View().SetLabel(WindowLabel::AvvioOrvh, Text(text::kStepStart) + L" " + Text(edition.nameText));
        if (settings_.processId > 0) View().SetLabel(WindowLabel::Attivita, Text(edition.closingText));
    }

    // Step 0 fails with a message; the two installation steps are marked failed too and the
    // start step is begun.
    void FailVersionSearch(const std::wstring& message) {
        View().SetInconStep(false);
        s_.dialogs.ShowMessage(message, Text(text::kHubTitle), MessageIcon::CriticalStop);
        for (int step = 1; step <= 2; ++step) {
            View().StepSuccessivo();
            View().SetInconStep(false);
        }
        View().StepSuccessivo();
    }

    std::wstring InstalledVersionNow() {
        return s_.installer.GetInstalledVersion(std::wstring(ProductNameOf(*edition_)), settings_.upgradeCode);
    }

    // Returns false when the run goes straight on to starting the product; true only with an
    // edition and its installed version.
    bool DetermineVersions() {
        Note(L"Configuration file \"" + set_.Folders().ConfigurationFile() + L"\"");
        if (!s_.fileSystem.FileExists(set_.Folders().ConfigurationFile())) {
            Note(L"No configuration file: nothing is installed");
            FailVersionSearch(Text(text::kConfigurationNotFound) + L" '" + std::wstring(kConfigurationFileName) + L"'");
            return false;
        }
        // An upgrade code of no edition matches no installed product.
        installedVersion_ = edition_ ? InstalledVersionNow() : L"";
        if (!edition_ || installedVersion_.empty()) {
            Note(edition_ ? L"No installed product of the edition: nothing is installed"
                          : L"The upgrade code names no edition: nothing is installed");
            FailVersionSearch(Text(text::kNoInstalledVersion) + L" " + settings_.upgradeCode);
            return false;
        }

        View().SetLabel(WindowLabel::RicercaVersioni,
                        Text(text::kCurrentVersion) + L" " + FormatVersion(installedVersion_, false, s_.numbers));
        Note(L"Installed version " + installedVersion_);
        set_.SelectVersionKeys(*edition_, installedVersion_);
        View().SetLabel(WindowLabel::Attivita, Text(text::kFindingUpdateVersion));

        updateVersion_ = set_.ReadPackageVersion(set_.Keys().fullPackage);
        View().SetLabel(WindowLabel::OrvhMsi, updateVersion_.empty() ? Text(text::kNoUpdate)
                                                                     : Text(text::kUpdateVersion) + L" " +
                                                                           FormatVersion(updateVersion_, false, s_.numbers));
        View().SetLabel(WindowLabel::Attivita, Text(text::kFindingPatchVersion));

        patchVersion_ = set_.ReadPackageVersion(set_.Keys().patchPackage);
        const std::wstring announcedPatch = patchVersion_;
        if (VersionGreater(installedVersion_, patchVersion_)) patchVersion_.clear();
        if (VersionGreater(updateVersion_, patchVersion_)) patchVersion_.clear();
        View().SetLabel(WindowLabel::OrvhMsp, patchVersion_.empty() ? Text(text::kNoPatch)
                                                                    : Text(text::kPatchVersion) + L" " +
                                                                          FormatVersion(patchVersion_, false, s_.numbers));
        Note(L"Versions announced (keys \"" + set_.Keys().fullPackage + L"\", \"" + set_.Keys().patchPackage +
             L"\"): full package " + Shown(updateVersion_) + L", patch " + Shown(announcedPatch) +
             (patchVersion_ != announcedPatch ? L", not above the installed or the full package's version: ignored" : L""));
        View().SetInconStep(true);
        return true;
    }

    // A signed launcher verifies the files this run would use before anything moves; a
    // refused set fails both installation steps, with one message.
    bool SetAccepted() {
        if (!trust_.Checks()) return true;
        const auto& folders = set_.Folders();
        const RunRoad road{installedVersion_, updateVersion_, patchVersion_, set_.ReadPackageVersion(set_.Keys().updater),
                           [this] { return SourceAvailable(); },
                           [this, &folders](const std::wstring& offered) {
                               return ShouldReplaceUpdater(
                                   offered, s_.fileVersion(folders.corrente + L"\\" + std::wstring(kUpdaterFileName)),
                                   ExpandPath(s_.programFolder, s_.expand), folders, s_.folderIdentity);
                           }};
        const TrustVerdict verdict = trust_.Check(FilesTheRunUses(set_, files_, road), {s_.packageVersion, s_.fileVersion});
        if (verdict.refusal == Refusal::None) return true;
        refused_ = true;
        for (int step = 1; step <= 2; ++step) {
            View().StepSuccessivo();
            View().SetInconStep(false);
        }
        s_.dialogs.ShowMessage(RefusalMessage(verdict, s_.texts), Text(FactsOf(*edition_).titleText),
                               MessageIcon::CriticalStop);
        View().StepSuccessivo();
        return false;
    }

    // A forced restart when obsolete fonts were removed; the program ends right there.
    void RestartIfFontsRemoved(const std::wstring& version) {
        if (!s_.removeOldFonts(version)) return;
        Note(L"Obsolete fonts removed for version " + version + L": Windows restarts");
        s_.restart.RestartWindows(true);
        s_.end.EndNow();
    }

    bool SourceAvailable() {
        return s_.installer.InstallSourceAvailable(std::wstring(ProductNameOf(*edition_)), settings_.upgradeCode);
    }

    void BeginPatchStep() {
        View().StepSuccessivo();
        View().SetLabel(WindowLabel::Attivita, Text(text::kInstallingPatch));
        s_.pump.ProcessPendingMessages();
        ApplyPatch();
    }

    void SkipPatchStep() {
        View().StepSuccessivo();
        View().SetInconStep(false);
        s_.pump.ProcessPendingMessages();
    }

    void InstallationPhase() {
        if (VersionGreater(updateVersion_, installedVersion_)) {
            Note(L"The full package is newer than the installed version: it is installed");
            InstallNewerFullPackage();
        } else {
            Note(L"No newer full package: the installation source is checked, then the patch");
            RepairOrPatch();
        }
    }

    void InstallNewerFullPackage() {
        RestartIfFontsRemoved(installedVersion_);
        View().StepSuccessivo();
        View().SetLabel(WindowLabel::Attivita, Text(text::kInstallingUpdate));
        s_.pump.ProcessPendingMessages();
        if (!set_.StageFullPackage()) {
            Note(L"The full package is not in Nuovo: nothing is installed");
            return;
        }

        const auto& folders = set_.Folders();
        const auto& name = set_.Names().fullPackage;
        lastInstallationResult_ =
            s_.installer.InstallPackage(name, folders.corrente, folders.setup, L"", kUiLevelBasicProgressOnly);
        if (!lastInstallationResult_) {
            lastInstallationResult_ =
                s_.installer.InstallPackage(name, folders.corrente, folders.setup, L"", kUiLevelDefault);
        }
        View().SetInconStep(lastInstallationResult_);
        Note(lastInstallationResult_ ? L"Full package installed" : L"The full package was not installed");

        if (!SourceAvailable()) {
            Note(L"The installed product's package is not in its installation source: no patch");
            return;
        }
        if (VersionGreater(patchVersion_, updateVersion_)) {
            Note(L"The patch is newer than the full package: it is applied");
            RestartIfFontsRemoved(updateVersion_);
            BeginPatchStep();
        } else {
            Note(L"No patch newer than the full package");
            SkipPatchStep();
        }
    }

    void RepairOrPatch() {
        View().StepSuccessivo();
        s_.pump.ProcessPendingMessages();
        if (!SourceAvailable()) {
            // The installed product's cached package is gone: reinstall from a fresh copy,
            // once. Its result shows on the step but does not count as the installation's.
            Note(L"The installed product's package is not in its installation source: it is repaired");
            if (set_.StageRepairPackage()) {
                const auto& folders = set_.Folders();
                View().SetInconStep(s_.installer.InstallPackage(set_.Names().fullPackage, folders.corrente,
                                                                folders.setup, kRepairProperties,
                                                                kUiLevelBasicProgressOnly));
            }
        } else {
            View().SetInconStep(false);
        }

        if (!SourceAvailable()) {
            Note(L"The installation source is still missing: no patch");
            SkipPatchStep();
            return;
        }
        if (!VersionGreater(patchVersion_, installedVersion_)) {
            Note(L"No patch newer than the installed version: nothing to install");
            nothingToInstall_ = true;
            SkipPatchStep();
            return;
        }
        Note(L"The patch is newer than the installed version: it is applied");
        RestartIfFontsRemoved(installedVersion_);
        BeginPatchStep();
    }

    void ApplyPatch() {
        if (!set_.StagePatchPackage()) {
            Note(L"The patch is not in Nuovo: nothing is applied");
            return;
        }
        const std::wstring patch = set_.Folders().corrente + L"\\" + set_.Names().patchPackage;
        lastInstallationResult_ = s_.installer.ApplyPatchPackage(patch, kUiLevelBasicProgressOnly);
        if (!lastInstallationResult_) {
            View().SetInconStep(false);
            lastInstallationResult_ = s_.installer.ApplyPatchPackage(patch, kUiLevelDefault);
        }
        View().SetInconStep(lastInstallationResult_);
        Note(lastInstallationResult_ ? L"Patch applied" : L"The patch was not applied");
    }

    // A due update that did not change the installed version is reported once the window
    // is gone.
    void FinalCheck() {
        if (!edition_) return;
        const std::wstring before = installedVersion_;
        installedVersion_ = InstalledVersionNow();
        const bool unchanged = installedVersion_ == before;
        const bool due = VersionGreater(updateVersion_, installedVersion_) ||
                         VersionGreater(patchVersion_, installedVersion_);
        Note(L"Final check: installed version " + Shown(installedVersion_) +
             (due && unchanged ? L", unchanged although an update was due" : L""));
        if (due && unchanged && !refused_) {
            s_.dialogs.ShowMessage(Text(text::kInstallationFailed), Text(FactsOf(*edition_).titleText),
                                   MessageIcon::CriticalStop);
        }
    }

    const RunSettings& settings_;
    RunServices& s_;
    std::optional<Edition> edition_;
    ReleasingFileSystem files_{s_.fileSystem, s_.signatures};
    SetTrust trust_{s_.signatures, s_.journal};
    UpdateSet set_;
    std::unique_ptr<ProgressView> window_;
    std::wstring installedVersion_;
    std::wstring updateVersion_;
    std::wstring patchVersion_;
    bool lastInstallationResult_ = false;
    bool nothingToInstall_ = false;
    bool refused_ = false;
};

} // namespace

void RunUpdate(const RunSettings& settings, RunServices& services) { Run(settings, services).Execute(); }

} // namespace orvh
