#pragma once
// The update run: from the settings of the command line to the end of the program, with
// the installation phase in the middle. Every platform service comes in through
// RunServices, grouped by concern; the run itself only decides and sequences.
#include "common/expand_path.h"
#include "main/run_end.h"
#include "main/run_road.h"
#include "main/startup.h"
#include "main/trusted_set.h"
#include "main/update_set.h"

#include <functional>
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
class ProgressWindowLoader;
class SignatureVerifier;
class StringTable;
class SystemRestart;

// The update folder and what the run reads of its files.
struct UpdateFolderServices {
    FileSystem& fileSystem;
    const OvFileIni& ini;
    // How folders are told apart whatever their spelling; where the update folder really is,
    // and the launcher's folders kept its own.
    const FolderIdentity& folderIdentity;
    FolderAccess& folderAccess;
    // Whether the set's files have arrived: none still being written, each whole.
    DeliveredFiles& delivered;
    // The signatures of the running program and of the update set's files.
    SignatureVerifier& signatures;
    // Canonical version of an executable file, and canonical ProductVersion of a package file;
    // empty when unreadable.
    FileVersionReader fileVersion;
    FileVersionReader packageVersion;
    EnvironmentExpander expand;
};

// The product and the machine it runs on: installing it, waiting for it and starting it again,
// and the restart of Windows with the program's immediate end.
struct ProductServices {
    ProductInstaller& installer;
    ProcessWaiter& waiter;
    ProgramStarter& starter;
    // The cluster tool by its path in the system folder, so that no program of its name in
    // the launcher's folder or on the search path runs instead.
    std::wstring clusterTool;
    // True when obsolete font files were deleted for a product at `version`.
    std::function<bool(const std::wstring& version)> removeOldFonts;
    SystemRestart& restart;
    ProgramEnd& end;
    // Reports the end of a run that ends at once (a restart), before it ends.
    EndReporter& ending;
};

// What the person at the screen sees and answers, and what the journal tells whoever supports
// the product.
struct PersonServices {
    const StringTable& texts;
    Dialogs& dialogs;
    MessagePump& pump;
    ProgressWindowLoader& windows;
    // The platform's whole-number conversion, for the versions shown.
    const LocaleConversions& numbers;
    Journal& journal;
};

// The running launcher itself.
struct RunningProgram {
    // Its path and folder, as the system reports them.
    std::wstring path;
    std::wstring folder;
    // Its own version for the caption: "major.minor.revision".
    std::wstring version;
    // Whether the process runs with an administrator's full rights or SYSTEM's.
    bool elevated = false;
};

struct RunServices {
    UpdateFolderServices folder;
    ProductServices product;
    PersonServices person;
    RunningProgram program;
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
