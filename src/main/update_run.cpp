#include "main/update_run.h"

#include "common/edition.h"
#include "common/journal.h"
#include "common/string_ids.h"
#include "installer/product_installer.h"
#include "installer/version.h"
#include "main/own_folders.h"
#include "main/product_start.h"
#include "main/product_wait.h"
#include "main/run_road.h"
#include "main/set_delivery.h"
#include "main/trusted_set.h"
#include "main/whole_road.h"
#include "resources/string_table.h"
#include "system/file_system.h"
#include "system/message_pump.h"
#include "system/platform_error.h"
#include "system/processes.h"
#include "system/releasing_file_system.h"
#include "ui/dialogs.h"
#include "ui/progress_view.h"

#include <optional>

namespace orvh {
namespace {

class Run {
public:
    Run(const RunSettings& settings, RunServices& services, RunRecord& record)
        : settings_(settings), s_(services), record_(record), edition_(EditionOf(settings.upgradeCode)),
          set_(files_, services.folder.ini,
               PrepareUpdateFolders(settings.updateFolderValue, services.program.folder, services.folder.fileSystem,
                                    services.folder.folderAccess, services.folder.expand),
               services.person.journal) {}

    RunDecision Execute() {
        record_.edition = edition_ ? std::wstring(ProductNameOf(*edition_)) : settings_.upgradeCode;
        NoteSettings();
        trust_.VerifyLauncher(s_.program.path);
        const bool linked = !set_.Folders().links.empty();
        if (!linked) set_.RemovePartialCopies();
        window_ = s_.person.windows.Load();
        if (edition_) WriteEditionTexts(FactsOf(*edition_));
        WaitForProduct(settings_.processId, View(), s_.person.texts, s_.product.waiter);

        if (linked || !HoldOwnFolders(set_.Folders(), s_.program.elevated, s_.folder.fileSystem, s_.folder.folderAccess,
                                      s_.person.journal)) {
            FailForFolders();
        } else if (DetermineVersions()) {
            // The run's copies of Nuovo's files go whatever the end: a run that ends with an
            // error, or at once as Windows restarts, leaves the update folder as a finished one does.
            try {
                try {
                    InstallAndRotate();
                } catch (...) {
                    RemoveCopiesAtAnAbruptEnd();
                    throw;
                }
            } catch (const WindowsRestarts& restart) {
                EndAtOnce(restart);
            }
            set_.RemoveVerificationCopies();
        }
        // The product needs the restart that was not allowed: it is started by the next run.
        if (stop_ != Stop::RestartNeeded) {
            StartProductOrResource({settings_.clusterResource, s_.product.clusterTool, settings_.productExecutable,
                                    lastInstallationResult_, edition_},
                                   {View(), s_.person.texts, s_.person.pump, s_.folder.fileSystem, s_.product.starter});
        }
        window_.reset();
        FinalCheck();
        return decision_;
    }

private:
    ProgressView& View() { return *window_; }
    void Note(const std::wstring& event) { s_.person.journal.Write(event); }
    static std::wstring Shown(const std::wstring& text) { return text.empty() ? L"none" : text; }

    void NoteSettings() {
        const auto& folders = set_.Folders();
        Note(L"Update folder \"" + folders.root + L"\" (" +
             (folders.fromSwitch                       ? L"given by /PathAggiornamento"
              : settings_.updateFolderValue.empty() ? L"no /PathAggiornamento: the program's folder"
                                                    : L"no folder \"" + settings_.updateFolderValue +
                                                          L"\" exists: the program's folder") +
             L")");
        if (folders.named != folders.root) Note(L"\"" + folders.named + L"\" is the folder \"" + folders.root + L"\"");
        for (const auto& link : folders.links) {
            Note(L"\"" + link.path + L"\" is a link to \"" + link.target +
                 L"\": nothing in the update folder is changed and nothing is installed");
        }
        Note(L"Edition " + (edition_ ? std::wstring(ProductNameOf(*edition_)) : L"none") + L", upgrade code " +
             settings_.upgradeCode + L", process " + std::to_wstring(settings_.processId) + L", product \"" +
             settings_.productExecutable + L"\", cluster resource \"" + settings_.clusterResource + L"\"");
    }
    std::wstring Text(std::int32_t id) const { return s_.person.texts.LoadDllString(id); }

    void WriteEditionTexts(const EditionFacts& edition) {
        set_.SetPackageNames(edition.edition);
        View().SetCaption(Text(edition.titleText) + L" - V. " + s_.program.version);
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
        s_.person.dialogs.ShowMessage(message, Text(text::kHubTitle), MessageIcon::CriticalStop);
        for (int step = 1; step <= 2; ++step) {
            View().StepSuccessivo();
            View().SetInconStep(false);
        }
        View().StepSuccessivo();
    }

    // A folder of the run that is not the launcher's own ends the run as a failed installation
    // ends it: the update set stays in Nuovo and the product is started again, ignoring it.
    void FailForFolders() {
        record_.installationFailed = true;
        record_.failureShown = true;
        View().SetInconStep(false);
        for (int step = 1; step <= 2; ++step) {
            View().StepSuccessivo();
            View().SetInconStep(false);
        }
        const auto title = edition_ ? FactsOf(*edition_).titleText : text::kHubTitle;
        s_.person.dialogs.ShowMessage(Text(text::kInstallationFailed), Text(title), MessageIcon::CriticalStop);
        View().StepSuccessivo();
    }

    std::wstring InstalledVersionNow() {
        return s_.product.installer.GetInstalledVersion(std::wstring(ProductNameOf(*edition_)), settings_.upgradeCode);
    }

    // Returns false when the run goes straight on to starting the product; true only with an
    // edition and its installed version.
    bool DetermineVersions() {
        Note(L"Configuration file \"" + set_.Folders().ConfigurationFile() + L"\"");
        if (!s_.folder.fileSystem.FileExists(set_.Folders().ConfigurationFile())) {
            Note(L"No configuration file: nothing is installed");
            record_.noConfiguration = true;
            FailVersionSearch(Text(text::kConfigurationNotFound) + L" '" + std::wstring(kConfigurationFileName) + L"'");
            return false;
        }
        // An upgrade code of no edition matches no installed product.
        installedVersion_ = edition_ ? InstalledVersionNow() : L"";
        if (!edition_ || installedVersion_.empty()) {
            Note(edition_ ? L"No installed product of the edition: nothing is installed"
                          : L"The upgrade code names no edition: nothing is installed");
            record_.notInstalled = true;
            FailVersionSearch(Text(text::kNoInstalledVersion) + L" " + settings_.upgradeCode);
            return false;
        }

        View().SetLabel(WindowLabel::RicercaVersioni,
                        Text(text::kCurrentVersion) + L" " + FormatVersion(installedVersion_, false, s_.person.numbers));
        Note(L"Installed version " + installedVersion_);
        record_.versionBefore = installedVersion_;
        set_.SelectVersionKeys(*edition_, installedVersion_);
        View().SetLabel(WindowLabel::Attivita, Text(text::kFindingUpdateVersion));

        const std::wstring update = set_.ReadPackageVersion(set_.Keys().fullPackage);
        View().SetLabel(WindowLabel::OrvhMsi, update.empty() ? Text(text::kNoUpdate)
                                                             : Text(text::kUpdateVersion) + L" " +
                                                                   FormatVersion(update, false, s_.person.numbers));
        View().SetLabel(WindowLabel::Attivita, Text(text::kFindingPatchVersion));

        const std::wstring announcedPatch = set_.ReadPackageVersion(set_.Keys().patchPackage);
        road_ = DecideOnce(update, announcedPatch);
        decision_.keys = set_.Keys();
        decision_.road = road_;
        View().SetLabel(WindowLabel::OrvhMsp, road_.patch.empty() ? Text(text::kNoPatch)
                                                                  : Text(text::kPatchVersion) + L" " +
                                                                        FormatVersion(road_.patch, false, s_.person.numbers));
        Note(L"Versions announced (keys \"" + set_.Keys().fullPackage + L"\", \"" + set_.Keys().patchPackage +
             L"\"): full package " + Shown(update) + L", patch " + Shown(announcedPatch) +
             (road_.patch != announcedPatch ? L", not above the installed or the full package's version: ignored" : L""));
        Note(L"Road of this run: " + Described(road_));
        View().SetInconStep(true);
        return true;
    }

    // Every version of the configuration file read once, Nuovo looked at once, one decision:
    // the check, the installation phase and the rotation all follow it.
    RunRoad DecideOnce(const std::wstring& update, const std::wstring& announcedPatch) {
        const auto& folders = set_.Folders();
        const auto inNuovo = [&](std::wstring_view name) {
            return s_.folder.fileSystem.FileExists(folders.nuovo + L"\\" + std::wstring(name));
        };
        const RoadFacts facts{installedVersion_, update, announcedPatch,
                              set_.ReadPackageVersion(set_.Keys().updater), inNuovo(set_.Name(SetRole::FullPackage)),
                              inNuovo(set_.Name(SetRole::Patch)), inNuovo(set_.Name(SetRole::Launcher))};
        const RoadQuestions questions{
            [this] { return SourceAvailable(); },
            [this, &folders](const std::wstring& offered) {
                // The running program is never overwritten: it may itself be Corrente's copy. A
                // signed launcher never lets an older one take Corrente back.
                const std::wstring floor = trust_.Checks() ? s_.folder.fileVersion(s_.program.path) : L"";
                if (VersionGreater(floor, offered)) {
                    Note(L"Nuovo's launcher " + offered + L" is older than this signed launcher (" + floor +
                         L"): it does not go into Corrente");
                }
                return ShouldReplaceUpdater(offered,
                                            s_.folder.fileVersion(folders.corrente + L"\\" + set_.Name(SetRole::Launcher)),
                                            floor, ExpandPath(s_.program.folder, s_.folder.expand), folders,
                                            s_.folder.folderIdentity);
            }};
        return DecideRoad(facts, questions, folders.nuovo, *edition_);
    }

    void InstallAndRotate() {
        if (!SetArrived() || !SetAccepted()) return;
        InstallationPhase();
        if (stop_ != Stop::None || !record_.installationPhase) return;
        View().StepSuccessivo();
        View().SetLabel(WindowLabel::Attivita, Text(text::kUpdateCompleted));
        s_.person.pump.ProcessPendingMessages();
        if (lastInstallationResult_ || nothingToInstall_) {
            Note(L"Rotating the update set through Corrente and Vecchio");
            set_.RotateUpdateSet(road_);
            Note(L"Rotation done");
        } else {
            Note(L"No rotation: the last installation or patch failed");
        }
    }

    // An error or a restart ends the run: that end is the one reported, not a failure of this clean-up.
    void RemoveCopiesAtAnAbruptEnd() {
        try {
            set_.RemoveVerificationCopies();
        } catch (const PlatformError&) {
        }
    }

    // Both installation steps failed, the start step begun.
    void FailInstallationSteps() {
        for (int step = 1; step <= 2; ++step) {
            View().StepSuccessivo();
            View().SetInconStep(false);
        }
    }

    // A set still being written is left to a later run, untouched and without a box.
    bool SetArrived() {
        if (const auto written = FileStillBeingWritten(set_.Folders(), s_.folder.delivered)) {
            Note(L"The update set is still being delivered (\"" + *written +
                 L"\" is open for writing): nothing is changed, a later run installs it");
            record_.setStillBeingDelivered = true;
            FailInstallationSteps();
            View().StepSuccessivo();
            return false;
        }
        return true;
    }

    // The road's files are copied once from Nuovo into Corrente, where only the launcher
    // writes; those copies are checked whole, then a signed launcher verifies them, before
    // anything moves. A refused set fails both installation steps, with one message.
    bool SetAccepted() {
        set_.TakeVerificationCopies(road_.files);
        const auto copyOf = [this](const SetFile& file) {
            return set_.VerificationCopy(FileSystem::GetFileName(file.path));
        };
        damaged_ = SetAsideDamaged(road_, copyOf, s_.folder.delivered, s_.person.journal);
        if (!trust_.Checks()) return true;
        decision_.verdict = trust_.Check(road_.files, copyOf, {s_.folder.packageVersion, s_.folder.fileVersion});
        const TrustVerdict& verdict = decision_.verdict;
        if (verdict.refusal == Refusal::None) return true;
        record_.refused = true;
        FailInstallationSteps();
        s_.person.dialogs.ShowMessage(RefusalMessage(verdict, s_.person.texts), Text(FactsOf(*edition_).titleText),
                                      MessageIcon::CriticalStop);
        View().StepSuccessivo();
        return false;
    }

    // Obsolete fonts removed: Windows must restart before anything is installed. A forced
    // restart, and the program ends right there; where restarts are not allowed the run stops
    // instead, the set staying in Nuovo for the run after the restart. True when the run stops.
    bool RestartIfFontsRemoved(const std::wstring& version) {
        if (!s_.product.removeOldFonts(version)) return false;
        if (!settings_.restartsAllowed) {
            Note(L"Obsolete fonts removed for version " + version +
                 L": Windows must restart, and restarts are not allowed (/NoRiavvio): nothing is installed, the "
                 L"product is not started, the update set stays in Nuovo");
            record_.restartRequired = true;
            stop_ = Stop::RestartNeeded;
            return true;
        }
        Note(L"Obsolete fonts removed for version " + version + L": Windows restarts");
        throw WindowsRestarts{true};
    }

    // Windows restarts: the run ends at once, out of whichever step it is in.
    struct WindowsRestarts {
        bool asked; // by this run; else Windows Installer started it
    };

    // The program ends here, the run's end reported first; a restart this run asks for, once
    // Windows accepted.
    void EndAtOnce(const WindowsRestarts& restart) {
        if (!restart.asked) {
            s_.product.ending.Report(record_);
            s_.product.end.EndNow();
        }
        // A restart with no delay may end the process before the request returns: the end is
        // reported once the privilege is held, right before Windows is asked.
        try {
            s_.product.restart.RestartWindows(true, [this] {
                record_.restartStarted = true;
                s_.product.ending.Report(record_);
            });
        } catch (...) {
            record_.restartStarted = false;
            throw;
        }
        s_.product.end.EndNow();
    }

    // What an installer call's result means beyond success or failure. Windows Installer still
    // busy past the wait stops the run's installations; a restart Windows Installer started
    // ends the run at once. True when the installations stop.
    bool Stops(unsigned result) {
        if (result == kRestartRequired) record_.restartRequired = true;
        if (result == kInstallerBusy) {
            Note(L"Windows Installer is still busy with another installation: nothing more is installed, the "
                 L"update set stays in Nuovo for the next run");
            record_.installerBusy = true;
            stop_ = Stop::InstallerBusy;
            lastInstallationResult_ = false;
            // This step and the patch step when not reached fail; the start step begins.
            View().SetInconStep(false);
            if (!patchStepBegun_) {
                View().StepSuccessivo();
                View().SetInconStep(false);
            }
            View().StepSuccessivo();
            return true;
        }
        if (result == kRestartInitiated) {
            Note(L"Windows Installer started a restart of Windows: the run ends here");
            record_.restartStarted = true;
            record_.versionAfter = InstalledVersionNow();
            throw WindowsRestarts{false};
        }
        return false;
    }

    // One installation or patch result that counts: a failure is the run's failed installation.
    bool Counted(unsigned result) {
        const bool done = InstallerSucceeded(result);
        if (!done) record_.installationFailed = true;
        return done;
    }

    bool SourceAvailable() {
        return s_.product.installer.InstallSourceAvailable(std::wstring(ProductNameOf(*edition_)), settings_.upgradeCode);
    }

    void BeginPatchStep() {
        patchStepBegun_ = true;
        View().StepSuccessivo();
        View().SetLabel(WindowLabel::Attivita, Text(text::kInstallingPatch));
        s_.person.pump.ProcessPendingMessages();
        ApplyPatch();
    }

    void SkipPatchStep() {
        View().StepSuccessivo();
        View().SetInconStep(false);
        s_.person.pump.ProcessPendingMessages();
    }

    void InstallationPhase() {
        record_.installationPhase = true;
        if (road_.newerFullPackage) {
            Note(L"The full package is newer than the installed version: it is installed");
            InstallNewerFullPackage();
        } else {
            Note(L"No newer full package: the installation source is checked, then the patch");
            RepairOrPatch();
        }
    }

    // The held verification copy whose exact copy Windows Installer receives; none when
    // nothing is verified.
    std::wstring Verified(const std::wstring& name) const {
        return trust_.Checks() ? set_.VerificationCopy(name) : L"";
    }

    unsigned InstallFullPackage(Reinstall reinstall, int uiLevel) {
        const auto& folders = set_.Folders();
        const std::wstring name = set_.Name(SetRole::FullPackage);
        return s_.product.installer.InstallPackage(name, folders.corrente, folders.setup, reinstall, uiLevel, Verified(name));
    }

    void InstallNewerFullPackage() {
        if (RestartIfFontsRemoved(installedVersion_)) return;
        View().StepSuccessivo();
        View().SetLabel(WindowLabel::Attivita, Text(text::kInstallingUpdate));
        s_.person.pump.ProcessPendingMessages();
        if (!road_.installFullPackage) {
            Note(L"The full package is not in Nuovo: nothing is installed");
            return;
        }
        if (!damaged_.fullPackage) {
            set_.StageFullPackage();
            unsigned result = InstallFullPackage(Reinstall::None, kUiLevelBasicProgressOnly);
            if (Stops(result)) return;
            if (!InstallerSucceeded(result)) {
                result = InstallFullPackage(Reinstall::None, kUiLevelDefault);
                if (Stops(result)) return;
            }
            lastInstallationResult_ = Counted(result);
        } else {
            record_.installationFailed = true;
        }
        View().SetInconStep(lastInstallationResult_);
        Note(lastInstallationResult_ ? L"Full package installed" : L"The full package was not installed");

        // Whether the product has its package in its source now is the installation's result.
        if (!SourceAvailable()) {
            Note(L"The installed product's package is not in its installation source: no patch");
            return;
        }
        if (road_.patchDue) {
            Note(L"The patch is newer than the full package: it is applied");
            if (RestartIfFontsRemoved(road_.update)) return;
            BeginPatchStep();
        } else {
            Note(L"No patch newer than the full package");
            SkipPatchStep();
        }
    }

    void RepairOrPatch() {
        View().StepSuccessivo();
        s_.person.pump.ProcessPendingMessages();
        bool sourceThere = !road_.sourceMissing;
        if (road_.sourceMissing) {
            // The installed product's cached package is gone: reinstall from a fresh copy,
            // once. Its result shows on the step but does not count as the installation's.
            Note(L"The installed product's package is not in its installation source: it is repaired");
            if (road_.repairSource && damaged_.fullPackage) {
                record_.installationFailed = true;
                View().SetInconStep(false);
            } else if (road_.repairSource) {
                set_.StageRepairPackage();
                const unsigned result = InstallFullPackage(Reinstall::LostSource, kUiLevelBasicProgressOnly);
                if (Stops(result)) return;
                View().SetInconStep(Counted(result));
                sourceThere = SourceAvailable();
            }
        } else {
            View().SetInconStep(false);
        }

        if (!sourceThere) {
            Note(L"The installation source is still missing: no patch");
            SkipPatchStep();
            return;
        }
        if (!road_.patchDue) {
            Note(L"No patch newer than the installed version: nothing to install");
            nothingToInstall_ = true;
            SkipPatchStep();
            return;
        }
        Note(L"The patch is newer than the installed version: it is applied");
        if (RestartIfFontsRemoved(installedVersion_)) return;
        BeginPatchStep();
    }

    void ApplyPatch() {
        if (!road_.applyPatch) {
            Note(L"The patch is not in Nuovo: nothing is applied");
            return;
        }
        if (damaged_.patch) {
            lastInstallationResult_ = false;
            record_.installationFailed = true;
            View().SetInconStep(false);
            Note(L"The patch was not applied");
            return;
        }
        set_.StagePatchPackage();
        const auto& folders = set_.Folders();
        const std::wstring name = set_.Name(SetRole::Patch);
        const std::wstring patch = folders.corrente + L"\\" + name;
        const std::wstring package = folders.corrente + L"\\" + set_.Name(SetRole::FullPackage);
        const auto apply = [&](int uiLevel) {
            return s_.product.installer.ApplyPatchPackage(patch, folders.setup, package, uiLevel, Verified(name));
        };
        unsigned result = apply(kUiLevelBasicProgressOnly);
        if (Stops(result)) return;
        if (!InstallerSucceeded(result)) {
            View().SetInconStep(false);
            result = apply(kUiLevelDefault);
            if (Stops(result)) return;
        }
        lastInstallationResult_ = Counted(result);
        View().SetInconStep(lastInstallationResult_);
        Note(lastInstallationResult_ ? L"Patch applied" : L"The patch was not applied");
    }

    // A due update that did not change the installed version is reported once the window
    // is gone, unless the run stopped for a reason of its own (a refused set, a busy Windows
    // Installer, a restart not allowed).
    void FinalCheck() {
        if (!edition_) return;
        const std::wstring before = installedVersion_;
        installedVersion_ = InstalledVersionNow();
        record_.versionAfter = installedVersion_;
        const bool unchanged = installedVersion_ == before;
        const bool due = VersionGreater(road_.update, installedVersion_) ||
                         VersionGreater(road_.patch, installedVersion_);
        Note(L"Final check: installed version " + Shown(installedVersion_) +
             (due && unchanged ? L", unchanged although an update was due" : L""));
        if (record_.installationPhase) record_.reachedOffered = !due;
        if (record_.noConfiguration && !installedVersion_.empty()) {
            record_.completedEarlier = set_.CompletedEarlier(*edition_, installedVersion_);
        }
        if (due && unchanged && !record_.refused && !record_.setStillBeingDelivered && stop_ == Stop::None) {
            s_.person.dialogs.ShowMessage(Text(text::kInstallationFailed), Text(FactsOf(*edition_).titleText),
                                          MessageIcon::CriticalStop);
            record_.failureShown = true;
        }
    }

    // Why the run stopped before its end; the window is unloaded all the same.
    enum class Stop { None, RestartNeeded, InstallerBusy };

    const RunSettings& settings_;
    RunServices& s_;
    RunRecord& record_;
    std::optional<Edition> edition_;
    ReleasingFileSystem files_{s_.folder.fileSystem, s_.folder.signatures};
    SetTrust trust_{s_.folder.signatures, s_.person.journal};
    UpdateSet set_;
    std::unique_ptr<ProgressView> window_;
    RunRoad road_;
    RunDecision decision_;
    std::wstring installedVersion_;
    bool lastInstallationResult_ = false;
    bool nothingToInstall_ = false;
    bool patchStepBegun_ = false; // the window's patch step is in progress
    Stop stop_ = Stop::None;
    DamagedFiles damaged_;
};

} // namespace

RunDecision RunUpdate(const RunSettings& settings, RunServices& services, RunRecord& record) {
    return Run(settings, services, record).Execute();
}

} // namespace orvh
