#pragma once
// Start-up of the launcher: the single-instance test, the hourglass, the help request
// and the settings of the command line.
#include "main/command_line.h"
#include "main/run_end.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

class Dialogs;
class InstanceGuard;
class LocaleConversions;
class MousePointer;
class StringTable;

struct RunSettings {
    std::wstring clusterResource;
    std::int32_t processId = 0;
    std::wstring productExecutable;
    std::wstring updateFolderValue;
    std::wstring upgradeCode;
    // Whether this run may restart Windows; not with "/NoRiavvio".
    bool restartsAllowed = true;
    // How long, in all, the run waits for Windows Installer while another installation runs.
    std::int32_t installerWaitSeconds = kDefaultInstallerWaitSeconds;

    bool operator==(const RunSettings&) const = default;
};

struct StartupServices {
    const StringTable& texts;
    Dialogs& dialogs;
    const InstanceGuard& instances;
    MousePointer& pointer;
    const LocaleConversions& numbers;
};

// The settings of the run, or nullopt when start-up ended the program (another instance
// running, or the usage message shown; `record` tells which).
std::optional<RunSettings> StartUp(std::wstring_view tail, std::wstring_view upperTail,
                                   const StartupServices& services, RunRecord& record);

} // namespace orvh
