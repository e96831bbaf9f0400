#include "journal/journaled_services.h"

#include "system/platform_error.h"

#include <chrono>
#include <functional>

namespace orvh {
namespace {

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

std::wstring Failure(const PlatformError& error) {
    return L"failed, error " + std::to_wstring(error.Number()) + L": " + error.Description();
}

// Runs `operation`, then writes `what` with "done" (or what `outcome` tells of it) or the error
// it raised, which goes on.
void Written(Journal& journal, const std::wstring& what, const std::function<void()>& operation,
             const std::function<std::wstring()>& outcome = [] { return std::wstring(L"done"); }) {
    try {
        operation();
    } catch (const PlatformError& error) {
        journal.Write(what + L": " + Failure(error));
        throw;
    }
    journal.Write(what + L": " + outcome());
}

// A deletion's line: a link left where it stood is not deleted.
Deletion WrittenDeletion(Journal& journal, const std::wstring& what, const std::function<Deletion()>& operation) {
    Deletion result = Deletion::Deleted;
    Written(journal, what, [&] { result = operation(); },
            [&] { return result == Deletion::Deleted ? L"done" : L"not deleted, the link is left in place"; });
    return result;
}

// What OpenProcess tells of a process it does not open.
constexpr std::uint32_t kAccessDenied = 5;   // ERROR_ACCESS_DENIED: it runs under rights the launcher lacks
constexpr std::uint32_t kNoSuchProcess = 87; // ERROR_INVALID_PARAMETER: no process has that id

std::wstring MillisecondsSince(std::chrono::steady_clock::time_point start) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return std::to_wstring(elapsed.count()) + L" ms";
}

} // namespace

void JournaledFileSystem::CreateFolder(const std::wstring& path) {
    Written(journal_, L"Create folder " + Quoted(path), [&] { inner_.CreateFolder(path); });
}

void JournaledFileSystem::CopyFile(const std::wstring& source, const std::wstring& destination) {
    Written(journal_, L"Copy " + Quoted(source) + L" to " + Quoted(destination),
            [&] { inner_.CopyFile(source, destination); });
}

Deletion JournaledFileSystem::DeleteFile(const std::wstring& path) {
    return WrittenDeletion(journal_, L"Delete file " + Quoted(path), [&] { return inner_.DeleteFile(path); });
}

Deletion JournaledFileSystem::DeleteFolder(const std::wstring& path) {
    return WrittenDeletion(journal_, L"Delete folder " + Quoted(path), [&] { return inner_.DeleteFolder(path); });
}

bool JournaledDialogs::ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) {
    journal_.Write(L"Message box " + Quoted(title) + (icon == MessageIcon::CriticalStop ? L" (stop): " : L" (information): ") +
                   Quoted(text));
    if (!inner_.ShowMessage(text, title, icon)) return false;
    journal_.Write(L"Message box closed");
    return true;
}

ProcessWait JournaledProcesses::AttendiProcesso(std::int32_t processId, bool wait) {
    const std::wstring process = L"process " + std::to_wstring(processId);
    journal_.Write(L"Waiting for " + process + L" to end");
    const auto start = std::chrono::steady_clock::now();
    const ProcessWait result = waiter_.AttendiProcesso(processId, wait);
    const std::wstring error = L" (error " + std::to_wstring(result.openError) + L")";
    switch (result.openError) {
    case 0:
        journal_.Write(L"Wait over after " + MillisecondsSince(start) + L", exit code " + std::to_wstring(result.exitCode));
        break;
    case kNoSuchProcess: journal_.Write(L"Wait over at once: there is no " + process + error); break;
    case kAccessDenied:
        journal_.Write(L"Wait over at once: " + process + L" runs but may not be opened" + error +
                       L"; the update goes on while it runs");
        break;
    default: journal_.Write(L"Wait over at once: " + process + L" cannot be opened" + error); break;
    }
    return result;
}

void JournaledProcesses::Pausa(std::int32_t milliseconds) {
    waiter_.Pausa(milliseconds);
    journal_.Write(L"Paused " + std::to_wstring(milliseconds) + L" ms");
}

void JournaledProcesses::Start(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show) {
    Written(journal_,
            L"Start program " + Quoted(applicationPath) + L", command line " + Quoted(commandLine) +
                (show == ShowCommand::Minimized ? L", minimized" : L""),
            [&] { starter_.Start(applicationPath, commandLine, show); });
}

void JournaledProcesses::RestartWindows(bool force, const std::function<void()>& asking) {
    journal_.Write(force ? L"Forced restart of Windows requested" : L"Restart of Windows requested");
    try {
        restart_.RestartWindows(force, asking);
    } catch (const PlatformError& error) {
        journal_.Write(L"Restart refused, " + error.Source() + L" " + Failure(error));
        throw;
    }
}

void JournaledInstallerEngine::SetUiLevel(int level) {
    uiLevel_ = level;
    inner_.SetUiLevel(level);
}

std::optional<std::wstring> JournaledInstallerEngine::ProductInfo(const std::wstring& productCode,
                                                                 const std::wstring& attribute) {
    auto value = inner_.ProductInfo(productCode, attribute);
    if (attribute != L"InstalledProductName") {
        journal_.Write(L"Windows Installer: product " + productCode + L" " + attribute + L" " +
                       (value ? Quoted(*value) : L"unreadable"));
    }
    return value;
}

unsigned JournaledInstallerEngine::Timed(const wchar_t* what, const std::wstring& path, const InstallRequest& request,
                                         const std::function<unsigned()>& call) {
    journal_.Write(L"Windows Installer: " + std::wstring(what) + L" " + Quoted(path) + L", properties " +
                   Quoted(PropertiesOf(request)) + L", interface level " + std::to_wstring(uiLevel_));
    const auto start = std::chrono::steady_clock::now();
    const unsigned result = call();
    journal_.Write(L"Windows Installer: " + std::wstring(what) + L" ended with result " + std::to_wstring(result) +
                   L" after " + MillisecondsSince(start));
    return result;
}

unsigned JournaledInstallerEngine::InstallProduct(const std::wstring& packagePath, const InstallRequest& request) {
    return Timed(L"install", packagePath, request, [&] { return inner_.InstallProduct(packagePath, request); });
}

void JournaledInstallerEngine::AddSource(const std::wstring& productCode, const std::wstring& folder) {
    Written(journal_, L"Windows Installer: add source " + Quoted(folder) + L" to product " + productCode,
            [&] { inner_.AddSource(productCode, folder); });
}

unsigned JournaledInstallerEngine::ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) {
    return Timed(L"apply patch", patchPath, request, [&] { return inner_.ApplyPatch(patchPath, request); });
}

} // namespace orvh
