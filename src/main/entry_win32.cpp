// The launcher's entry procedure: start-up, then the update run, on the Win32 adapters.
#include "fonts/remove_old_fonts.h"
#include "fonts/special_folder_win32.h"
#include "ini/ov_file_ini.h"
#include "ini/profile_functions_win32.h"
#include "installer/installation.h"
#include "installer/busy_installer.h"
#include "installer/installed_product.h"
#include "installer/installer_activity_win32.h"
#include "installer/msi_engine_win32.h"
#include "installer/no_restart_engine.h"
#include "installer/session_installer.h"
#include "journal/journal_file_win32.h"
#include "journal/journaled_services.h"
#include "main/startup.h"
#include "main/update_run.h"
#include "resources/ov_res_dll_win32.h"
#include "resources/program_version_win32.h"
#include "system/authenticode_win32.h"
#include "system/delivered_files_win32.h"
#include "system/com_apartment_win32.h"
#include "system/environment_win32.h"
#include "system/event_log_win32.h"
#include "system/file_system_win32.h"
#include "system/folder_identity_win32.h"
#include "system/library_search_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/process_wait_win32.h"
#include "system/program_start_win32.h"
#include "system/restart_win32.h"
#include "system/session_win32.h"
#include "system/single_instance_win32.h"
#include "system/win32_error_win32.h"
#include "ui/message_box_win32.h"
#include "ui/message_pump_win32.h"
#include "ui/mouse_pointer_win32.h"
#include "ui/progress_window_win32.h"
#include "ui/session_dialogs.h"
#include "ui/user_notices_win32.h"

#include <exception>
#include <memory>
#include <new>
#include <utility>

namespace orvh {
namespace {

// The tail upper-cased by the system's rules, one code unit for one.
std::wstring UpperCased(std::wstring_view tail) {
    std::wstring upper(tail);
    if (!upper.empty()) ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

// The run's view of the loaded window. Unloading is put off while an error unwinds the
// run, so that the error report appears over the window, owned by it, as it always has.
class LoadedWindow final : public ProgressView {
public:
    explicit LoadedWindow(std::unique_ptr<ProgressWindow>& window) : window_(window) {}
    ~LoadedWindow() override {
        if (std::uncaught_exceptions() == 0) window_.reset();
    }
    void SetCaption(std::wstring_view caption) override { window_->SetCaption(caption); }
    void SetLabel(WindowLabel label, std::wstring_view text) override { window_->SetLabel(label, text); }
    void StepSuccessivo() override { window_->StepSuccessivo(); }
    void SetInconStep(bool success) override { window_->SetInconStep(success); }
    void Show() override { window_->Show(); }

private:
    std::unique_ptr<ProgressWindow>& window_;
};

class Win32WindowLoader final : public ProgressWindowLoader {
public:
    std::unique_ptr<ProgressView> Load() override {
        window_ = std::make_unique<ProgressWindow>();
        return std::make_unique<LoadedWindow>(window_);
    }
    // The window still on screen, if any: the owner of the error report.
    HWND Window() const { return window_ ? window_->Window() : nullptr; }

private:
    std::unique_ptr<ProgressWindow> window_;
};

// The platform's error report for an error nothing caught; any other exception is
// reported as the invalid procedure call it stands for. Returns the error's number.
std::int32_t ReportUnhandledError(HWND owner, Journal& journal, SessionKind session) {
    PlatformError error(5, L"OrvhUpdate", L"Chiamata di routine o argomento non validi.");
    try {
        throw;
    } catch (const PlatformError& raised) {
        error = raised;
    } catch (const std::bad_alloc&) {
        error = Win32Error(ERROR_NOT_ENOUGH_MEMORY, L"OrvhUpdate");
    } catch (const std::exception&) {
    }
    journal.Write(L"Error report: error " + std::to_wstring(error.Number()) + L" from " + error.Source() + L": " +
                  error.Description());
    Win32Dialogs screen(owner);
    Win32UserNotices notices;
    SessionDialogs dialogs(session, screen, notices, journal);
    JournaledDialogs(dialogs, journal).ShowMessage(UnhandledErrorReportText(error), L"OrvhUpdate",
                                                   MessageIcon::CriticalStop);
    return error.Number();
}

WORD EventType(EventKind kind) {
    switch (kind) {
    case EventKind::Information: return EVENTLOG_INFORMATION_TYPE;
    case EventKind::Warning: return EVENTLOG_WARNING_TYPE;
    case EventKind::Error: return EVENTLOG_ERROR_TYPE;
    }
    return EVENTLOG_ERROR_TYPE;
}

// The run's end told once: the journal's line and, for every run but the usage message's, one
// event in the Application log. A failure to report is journaled and changes nothing else.
class RunEndReport final : public EndReporter {
public:
    explicit RunEndReport(JournalFile& journal) : journal_(journal) {}
    void Report(const RunRecord& record) override {
        if (std::exchange(reported_, true)) return;
        const RunEnd& end = DecideEnd(record);
        journal_.Write(L"Exit code " + std::to_wstring(end.exitCode) + L": " + std::wstring(end.meaning));
        if (record.help) return;
        try {
            ReportRunEvent(end.eventId, EventType(end.kind), EventStrings(record, end, journal_.Path()));
            journal_.Write(L"Event " + std::to_wstring(end.eventId) + L" reported to the Application log");
        } catch (const PlatformError& error) {
            journal_.Write(L"Event " + std::to_wstring(end.eventId) + L" not reported: " + error.Source() + L" error " +
                           std::to_wstring(error.Number()) + L": " + error.Description());
        }
    }

private:
    JournalFile& journal_;
    bool reported_ = false;
};

// Once Windows restarts nothing else may run: no unload, no start. The process ends with the
// run's exit code, its end reported before the restart was asked for.
class ImmediateEnd final : public ProgramEnd {
public:
    ImmediateEnd(Journal& journal, const RunRecord& record, EndReporter& report)
        : journal_(journal), record_(record), report_(report) {}
    [[noreturn]] void EndNow() override {
        report_.Report(record_);
        journal_.Write(L"End, at once: Windows restarts");
        ::ExitProcess(DecideEnd(record_).exitCode);
    }

private:
    Journal& journal_;
    const RunRecord& record_;
    EndReporter& report_;
};

// Registers the event source where the process may (an elevated run), naming the running
// program, whose message table holds the events' texts.
void RegisterEvents(bool elevated, Journal& journal) {
    if (!elevated) return;
    try {
        RegisterEventLogSource(ProgramExecutablePath());
    } catch (const PlatformError& error) {
        journal.Write(L"Event source not registered: " + error.Source() + L" error " + std::to_wstring(error.Number()) +
                      L": " + error.Description());
    }
}

std::wstring ProgramFolder() {
    const std::wstring exe = ProgramExecutablePath();
    return exe.substr(0, exe.rfind(L'\\'));
}

void Run(Win32WindowLoader& windows, JournalFile& journal, const SessionFacts& session, bool elevated,
         RunRecord& record, EndReporter& report) {
    Win32Dialogs screen;
    Win32UserNotices notices;
    SessionDialogs sessionDialogs(SessionKindOf(session), screen, notices, journal);
    JournaledDialogs dialogs(sessionDialogs, journal);
    Win32MousePointer pointer;
    const VariantLocaleConversions conversions;
    Win32ProfileFunctions profile;

    // The three objects the whole run shares, in their order of creation.
    auto fileSystem = std::make_unique<Win32FileSystem>(journal);
    JournaledFileSystem files(*fileSystem, journal);
    auto ini = std::make_unique<OvFileIni>(profile, conversions);
    auto resources = std::make_unique<OvResDll>();

    const NamedMutexInstanceGuard instances(elevated);
    const std::wstring tail(CommandTail(::GetCommandLineW()));
    journal.Write(L"OrvhUpdate " + ProgramVersionText() + L" \"" + ProgramExecutablePath() + L"\"");
    journal.Write(L"Command line: " + tail);
    journal.Write(SessionNote(session));
    const auto settings = StartUp(tail, UpperCased(tail), {*resources, dialogs, instances, pointer, conversions}, record);
    if (!settings) return;
    RegisterEvents(elevated, journal);

    Win32MessagePump pump;
    MsiEngine msi(journal.InstallerLogPath());
    JournaledInstallerEngine journaledEngine(msi, journal);
    NoRestartEngine noRestart(journaledEngine);
    Win32InstallerActivity activity(pump);
    BusyInstallerWait engine(settings->restartsAllowed ? static_cast<InstallerEngine&>(journaledEngine) : noRestart,
                             activity, settings->installerWaitSeconds, journal);
    if (!journal.InstallerLogPath().empty()) {
        journal.Write(L"Windows Installer's log: \"" + journal.InstallerLogPath() + L"\"");
    }
    const Win32FolderIdentity folderIdentity;
    AuthenticodeVerifier signatures;
    Win32DeliveredFiles delivered;
    InstallerOperations installer(engine, files, folderIdentity, ExpandEnvironmentReferences, conversions,
                                  settings->upgradeCode, signatures, journal);
    SessionInstaller sessionInstaller(SessionKindOf(session), installer, journal);
    Win32ProcessWaiter waiter(pump);
    Win32ProgramStarter starter;
    Win32SystemRestart restart;
    JournaledProcesses processes(waiter, starter, restart, journal);
    ImmediateEnd end(journal, record, report);
    InstalledProductQueries queries{msi, *fileSystem, ExpandEnvironmentReferences, conversions};

    RunServices services{
        .folder = {.fileSystem = files,
                   .ini = *ini,
                   .folderIdentity = folderIdentity,
                   .folderAccess = *fileSystem,
                   .delivered = delivered,
                   .signatures = signatures,
                   .fileVersion = [&queries](const std::wstring& path) { return GetFileVersion(queries, path, true); },
                   .packageVersion = [&queries](const std::wstring& path) { return GetPackageVersion(queries, path); },
                   .expand = ExpandEnvironmentReferences},
        .product = {.installer = sessionInstaller,
                    .waiter = processes,
                    .starter = processes,
                    .clusterTool = SystemToolPath(L"cluster.exe"),
                    .removeOldFonts =
                        [&files](const std::wstring& version) { return RemoveOldFonts(version, FontsFolder, files); },
                    .restart = processes,
                    .end = end,
                    .ending = report},
        .person = {.texts = *resources,
                   .dialogs = dialogs,
                   .pump = pump,
                   .windows = windows,
                   .numbers = conversions,
                   .journal = journal},
        .program = {.path = ProgramExecutablePath(),
                    .folder = ProgramFolder(),
                    .version = ProgramVersionText(),
                    .elevated = elevated},
    };
    RunUpdate(*settings, services, record);

    resources.reset();
    fileSystem.reset();
    ini.reset();
    pointer.SetHourglass(false);
}

} // namespace
} // namespace orvh

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    orvh::LoadLibrariesFromSystemFolderOnly();
    const bool elevated = orvh::ProcessElevated();
    orvh::JournalFile journal(elevated);
    orvh::Win32WindowLoader windows;
    const orvh::SessionFacts session = orvh::CurrentSessionFacts();
    orvh::RunRecord record;
    orvh::RunEndReport report(journal);
    try {
        const orvh::ComApartment com;
        orvh::Run(windows, journal, session, elevated, record, report);
    } catch (...) {
        record.errorReport = orvh::ReportUnhandledError(windows.Window(), journal, orvh::SessionKindOf(session));
    }
    report.Report(record);
    journal.Write(L"End");
    return static_cast<int>(orvh::DecideEnd(record).exitCode);
}
