#pragma once
// The update run: from the settings of the command line to the end of the program, with
// the installation phase in the middle. Every platform service comes in through
// RunServices; the run itself only decides and sequences.
#include "common/expand_path.h"
#include "main/run_end.h"
#include "main/run_road.h"
#include "main/startup.h"
#include "main/trusted_set.h"
#include "main/update_set.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orvh {

class DeliveredFiles;
class Dialogs;
class FileSystem;
class Journal;
class FolderAccess;
class FolderIdentity;
class LocaleConversions;
class MessagePump;
class OvFileIni;
class ProcessWaiter;
class ProductInstaller;
class ProgramStarter;
class ProgressView;
class SignatureVerifier;
class StringTable;
class SystemRestart;

// Creates ("loads") the progress window, hidden; destroying it unloads it.
class ProgressWindowLoader {
public:
    virtual ~ProgressWindowLoader() = default;
    virtual std::unique_ptr<ProgressView> Load() = 0;
};

// Ends the program at once, without any clean-up, with the exit code of the run's end: used
// once Windows restarts (the launcher's forced restart requested, or an installer's own).
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    [[noreturn]] virtual void EndNow() = 0;
};

struct RunServices {
    FileSystem& fileSystem;
    const OvFileIni& ini;
    const StringTable& texts;
    Dialogs& dialogs;
    MessagePump& pump;
    ProgressWindowLoader& windows;
    ProductInstaller& installer;
    ProcessWaiter& waiter;
    ProgramStarter& starter;
    SystemRestart& restart;
    ProgramEnd& end;
    // True when obsolete font files were deleted for a product at `version`.
    std::function<bool(const std::wstring& version)> removeOldFonts;
    // Canonical version of an executable file, empty when unreadable.
    FileVersionReader fileVersion;
    EnvironmentExpander expand;
    // The platform's whole-number conversion, for the versions shown.
    const LocaleConversions& numbers;
    // The folder of the running program, as the system reports it, and how folders are
    // told apart whatever their spelling.
    std::wstring programFolder;
    const FolderIdentity& folderIdentity;
    // The cluster tool by its path in the system folder, so that no program of its name in
    // the launcher's folder or on the search path runs instead.
    std::wstring clusterTool;
    // The program's own version for the caption: "major.minor.revision".
    std::wstring programVersion;
    // What the run found, decided and did, for whoever supports the product.
    Journal& journal;
    // The signatures of the running program and of the update set's files, and the
    // running program's own path.
    SignatureVerifier& signatures;
    std::wstring programPath;
    // Canonical ProductVersion of a package file.
    FileVersionReader packageVersion;
    // Whether the set's files have arrived: none still being written, each whole.
    DeliveredFiles& delivered;
    // Where the update folder really is, and the launcher's folders kept its own; whether the
    // process runs with an administrator's full rights or SYSTEM's.
    FolderAccess& folderAccess;
    bool elevated;
    // Reports the end of a run that ends at once (a restart), before it ends.
    EndReporter& ending;
};

// What a run decided, for whoever runs it: the keys it read and the road it took, when it came
// to decide one, and the trust check's verdict (nothing verified by a launcher not signed).
struct RunDecision {
    VersionKeys keys;
    std::optional<RunRoad> road;
    TrustVerdict verdict;
};

// Runs the update; `record` tells, also when an error ends the run, how it ended.
RunDecision RunUpdate(const RunSettings& settings, RunServices& services, RunRecord& record);

} // namespace orvh
