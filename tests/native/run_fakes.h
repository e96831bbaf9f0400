#pragma once
// Every service of start-up and of the update run, faked, writing one event log. A text is
// its id ("#105"), so that a test sees which string went where.
#include "common/journal.h"
#include "fakes.h"
#include "ini/ov_file_ini.h"
#include "installer/product_installer.h"
#include "main/update_run.h"
#include "resources/string_table.h"
#include "system/delivered_files.h"
#include "system/processes.h"
#include "system/signatures.h"
#include "system/single_instance.h"
#include "ui/dialogs.h"
#include "system/message_pump.h"
#include "ui/mouse_pointer.h"
#include "ui/progress_view.h"

#include <array>
#include <deque>

namespace orvh::test {

class RunFakes final : public StringTable, public Dialogs, public MessagePump, public ProgressWindowLoader,
                       public ProductInstaller, public ProcessWaiter, public ProgramStarter, public SystemRestart,
                       public ProgramEnd, public InstanceGuard, public MousePointer, public Journal,
                       public SignatureVerifier, public DeliveredFiles, public EndReporter {
public:
    struct Ended {};  // how EndNow leaves the run

    RunServices Services() {
        return {.folder = {.fileSystem = fs, .ini = ini, .folderIdentity = folders, .folderAccess = access,
                           .delivered = *this, .signatures = *this,
                           .fileVersion =
                               [this](const std::wstring& path) {
                                   return ownVersions.count(path) ? ownVersions[path] : fs.FileExists(path) ? updater : L"";
                               },
                           .packageVersion = [this](const std::wstring& path) { return ownVersions[path]; },
                           .expand = [](std::wstring_view t) { return std::optional<std::wstring>(std::wstring(t)); }},
                .product = {.installer = *this, .waiter = *this, .starter = *this,
                            .clusterTool = L"C:\\Windows\\System32\\cluster.exe",
                            .removeOldFonts =
                                [this](const std::wstring& version) {
                                    Add(L"fonts " + version);
                                    return fontsAt.count(version) != 0;
                                },
                            .restart = *this, .end = *this, .ending = *this},
                .person = {.texts = *this, .dialogs = *this, .pump = *this, .windows = *this, .numbers = conversions,
                           .journal = *this},
                .program = {.path = L"C:\\Orvane\\OrvhUpdate.exe", .folder = L"C:\\Orvane", .version = L"1.0.1",
                            .elevated = elevated}};
    }

    std::wstring LoadDllString(std::int32_t index) const override { return L"#" + std::to_wstring(index); }
    bool ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override {
        Add(L"message " + std::wstring(title) + L" | " + std::wstring(text) +
            (icon == MessageIcon::CriticalStop ? L" | stop" : L" | info"));
        return true;
    }
    void ProcessPendingMessages() override { Add(L"pump"); }
    std::unique_ptr<ProgressView> Load() override { return std::make_unique<View>(*this); }
    std::wstring GetInstalledVersion(const std::wstring& name, const std::wstring& code) override {
        Add(L"installed? " + name + L" " + code);
        return installed;
    }
    bool InstallSourceAvailable(const std::wstring&, const std::wstring&) override {
        const bool available = sourceAvailable;
        if (sourceLostOnceAsked) sourceAvailable = false;
        return available;
    }
    unsigned InstallPackage(const std::wstring& name, const std::wstring& folder, const std::wstring& setup,
                            Reinstall reinstall, int ui, const std::wstring& verified) override {
        Add(L"install " + name + L" from " + folder + L" into " + setup + L" [" + PropertiesOf({reinstall}) + L"] ui " +
            std::to_wstring(ui) + Of(verified));
        if (whileInstalling) whileInstalling();
        const unsigned result = Next(installResults);
        const bool ok = InstallerSucceeded(result);
        sourceAvailable = sourceAvailable || ok;
        if (reinstall == Reinstall::None) lastResult = ok;
        if (ok && reinstall == Reinstall::None) installed = fullInstalls;
        return result;
    }
    unsigned ApplyPatchPackage(const std::wstring& path, const std::wstring& setup, const std::wstring& package,
                               int ui, const std::wstring& verified) override {
        Add(L"patch " + path + L" into " + setup + L" beside " + package + L" ui " + std::to_wstring(ui) + Of(verified));
        const unsigned result = Next(patchResults);
        lastResult = InstallerSucceeded(result);
        if (*lastResult) installed = patchInstalls;
        return result;
    }
    ProcessWait AttendiProcesso(std::int32_t id, bool wait) override {
        Add(L"wait " + std::to_wstring(id) + (wait ? L" blocking" : L" polling"));
        return {0, waitOpenError};
    }
    void Pausa(std::int32_t ms) override { Add(L"pause " + std::to_wstring(ms)); }
    void Start(const std::wstring& app, const std::wstring& line, ShowCommand show) override {
        Add(L"start [" + app + L"] " + line + L" show " + std::to_wstring(static_cast<int>(show)));
    }
    void RestartWindows(bool force, const std::function<void()>& asking) override {
        Add(force ? L"restart forced" : L"restart");
        if (restartRefused) throw PlatformError(1300, L"AdjustTokenPrivileges SeShutdownPrivilege", L"refused");
        asking();
    }
    void Report(const RunRecord& record) override { Add(L"end reported " + std::to_wstring(DecideEnd(record).exitCode)); }
    [[noreturn]] void EndNow() override {
        Add(L"end");
        throw Ended{};
    }
    bool AnotherInstanceRunning() const override { return anotherInstance; }
    void SetHourglass(bool on) override { Add(on ? L"hourglass" : L"default pointer"); }
    void Write(std::wstring_view event) override { Add(L"journal " + std::wstring(event)); }

    // A held file cannot be deleted until it is released.
    FileSignature Verify(const std::wstring& path, bool hold) override {
        Add(L"verify " + path + (hold ? L" held" : L""));
        if (hold) fs.refused.insert(path);
        if (signatures.count(path)) return signatures[path];
        FileSignature none;
        none.result = 0x800B0100;
        none.resultName = L"TRUST_E_NOSIGNATURE";
        return none;
    }
    // The run's installer is faked: no copy is ever placed.
    bool HoldExactCopy(const std::wstring&, const std::wstring&) override { return false; }
    void Hold(const std::wstring&) override {}
    void Release(const std::wstring& path) override {
        if (fs.refused.erase(path)) Add(L"release " + path);
    }

    bool BeingWritten(const std::wstring& path) override { return beingWritten.count(path) != 0; }
    ArrivalVerdict Check(const std::wstring& path, FileForm) override {
        const auto fault = notWhole.find(path);
        return fault == notWhole.end() ? ArrivalVerdict{} : ArrivalVerdict{Arrival::NotWhole, fault->second};
    }

    void Add(std::wstring event) { log.push_back(std::move(event)); }
    // How many journal lines hold `fragment`.
    long Holding(std::wstring_view fragment) const {
        return std::ranges::count_if(log, [&](const auto& e) { return e.starts_with(L"journal ") && e.find(fragment) != e.npos; });
    }
    // The events that begin with `prefix`, in order.
    std::vector<std::wstring> Events(std::wstring_view prefix) const {
        std::vector<std::wstring> found;
        std::copy_if(log.begin(), log.end(), std::back_inserter(found), [&](const auto& e) { return e.starts_with(prefix); });
        return found;
    }

    FakeFileSystem fs;
    FakeProfile profile;
    FakeConversions conversions;
    FakeFolderIdentity folders;
    OvFileIni ini{profile, conversions};
    std::vector<std::wstring> log;
    std::map<WindowLabel, std::wstring> labels;  // as the window last showed them
    std::array<std::wstring, 4> icons;           // each step row's icons, in the order set
    // Installer state and scripted result codes (0 once a list runs out).
    std::wstring installed, fullInstalls, patchInstalls;
    bool sourceAvailable = true;
    bool sourceLostOnceAsked = false;      // the source goes right after the first question
    std::function<void()> whileInstalling; // what others do during a full package's installation
    std::deque<unsigned> installResults, patchResults;
    std::optional<bool> lastResult;  // of the last full installation or patch
    std::set<std::wstring> fontsAt;  // installed versions for which obsolete fonts are found
    std::wstring updater;            // the version of Corrente's updater
    // Signatures (unsigned when missing) and the files' own versions, by path.
    std::map<std::wstring, FileSignature> signatures;
    std::map<std::wstring, std::wstring> ownVersions;
    // The set's files another program is still writing, and those not whole (why), by path.
    std::set<std::wstring> beingWritten;
    std::map<std::wstring, std::wstring> notWhole;
    bool anotherInstance = false;
    bool restartRefused = false;
    std::uint32_t waitOpenError = 0; // why the product's process cannot be opened; 0: it can
    bool elevated = false;
    FakeFolderAccess access;

private:
    static std::wstring Of(const std::wstring& verified) { return verified.empty() ? L"" : L" of " + verified; }
    static unsigned Next(std::deque<unsigned>& results) {
        const unsigned result = results.empty() ? 0 : results.front();
        if (!results.empty()) results.pop_front();
        return result;
    }
    class View final : public ProgressView {
    public:
        explicit View(RunFakes& f) : f_(f) { f_.Add(L"load"); }
        ~View() override { f_.Add(L"unload"); }
        void SetCaption(std::wstring_view caption) override { f_.Add(L"caption " + std::wstring(caption)); }
        void SetLabel(WindowLabel label, std::wstring_view text) override {
            f_.labels[label] = text;
            if (label == WindowLabel::Attivita) f_.Add(L"activity " + std::wstring(text));
        }
        void StepSuccessivo() override { f_.Add(L"step " + std::to_wstring(++step_)); }
        void SetInconStep(bool ok) override {
            if (step_ >= 1 && step_ <= 4) f_.icons[step_ - 1] += ok ? L'S' : L'F';
            f_.Add(ok ? L"icon S" : L"icon F");
        }
        void Show() override { f_.Add(L"show"); }

    private:
        RunFakes& f_;
        int step_ = 0;
    };
};

} // namespace orvh::test
