#pragma once
// What the launcher does with an update set, for one installed version: its own run
// (RunUpdate) over a simulated world. Only the outside is simulated: Windows Installer,
// whose installation makes the installed version the package's own ProductVersion and whose
// patch makes it the patch's own resulting version, and only when it targets the installed
// product; the file system of the update folder; the wait, the window, the boxes, the
// start of the product and the signatures, which are the files' real ones.
#include "main/update_run.h"
#include "set_tool/set_folder.h"

#include <optional>
#include <string>
#include <vector>

namespace orvh {
class LocaleConversions;
class ProfileFunctions;
} // namespace orvh

namespace orvh::set_tool {

struct PlanCase {
    std::wstring installed;        // canonical
    std::wstring correnteLauncher; // the version of Corrente's launcher copy; empty: none
    bool sourceMissing = false;    // the installed product's cached package is gone
    // The running launcher's signature; unsigned when absent.
    std::optional<FileSignature> launcher;
};

struct RunPlan {
    std::wstring installed;
    VersionKeys keys;      // the scheme the installed version reads; empty when the run read none
    VersionKeys announced; // the versions under those keys, as read
    std::optional<RunRoad> road; // the road the run decided, when it came to decide one
    TrustVerdict verdict;        // the files a signed launcher verified, and the one it refused
    std::vector<std::wstring> steps;                             // Windows Installer's calls and their results
    std::wstring endVersion;
    bool rotated = false;          // the set was cleared from Nuovo
    bool launcherReplaced = false; // Nuovo's launcher was copied into Corrente
    bool ignoreUpdate = false;
    std::wstring productCommandLine; // empty when the product was not started
    std::vector<std::vector<std::int32_t>> messages; // each box's string ids, in order
    std::optional<std::int32_t> errorReport;          // the error that ended the launcher
    std::uint32_t exitCode = 0;                        // the launcher's exit code
    std::uint32_t eventId = 0;                         // the event it reports
    std::vector<std::wstring> journal;                // the launcher's own account
};

struct Plan {
    RunPlan run;
    // For a run that installs the full package and then applies a patch: the next run, when
    // the first was stopped between the two.
    std::optional<RunPlan> afterStop;
};

Plan PlanRun(const SetFolder& set, const PlanCase& planCase, const ProfileFunctions& profile,
             const LocaleConversions& numbers);

} // namespace orvh::set_tool
