#pragma once
// Start-up of the launcher: the single-instance test, the hourglass, the help request
// and the settings of the command line.
#include "main/command_line.h"

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
// running, or the usage message shown).
std::optional<RunSettings> StartUp(std::wstring_view tail, std::wstring_view upperTail,
                                   const StartupServices& services);

} // namespace orvh
