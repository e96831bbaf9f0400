#pragma once
// The launcher's command-line tail: the six switches, the help request and the
// process id's conversion to a number.
#include "common/edition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

// How long a run waits, in all, while Windows Installer is busy with another installation.
inline constexpr std::int32_t kDefaultInstallerWaitSeconds = 600;

// The settings one run takes from its command line, as texts. The process id is held as
// the value text of its switch; start-up turns it into the id to wait for.
struct CommandSwitches {
    std::wstring clusterResource;
    std::optional<std::wstring> processIdText;
    std::wstring productExecutable;
    std::wstring updateFolderValue;
    std::wstring upgradeCode;
    bool noRestart = false;                          // "/NoRiavvio": Windows is never restarted
    std::optional<std::wstring> installerWaitText;   // "/AttendiInstaller=": seconds

    bool operator==(const CommandSwitches&) const = default;
};

// The part of a full command line that follows the program's own name: the name is
// skipped as Windows does (quoted, or up to the first blank or tab), then the blanks and
// tabs behind it.
std::wstring_view CommandTail(std::wstring_view commandLine);

// True when the tail asks for the usage message: a question mark anywhere in it.
bool IsHelpRequest(std::wstring_view tail);

// The usage message text made from its string: every "/n" becomes a line break.
std::wstring HelpText(std::wstring_view usageString);

// The value of one switch under the launcher's value rule. `upperTail` is the tail
// upper-cased by the platform, code unit for code unit (same length as `tail`); the switch
// is found at its first occurrence there. A quoted value runs to the next double quote,
// or to the end of the tail when there is none (as Windows' own argument parsing closes
// an unterminated quote at the end of the line). nullopt when the switch is absent.
std::optional<std::wstring> SwitchValue(std::wstring_view tail, std::wstring_view upperTail,
                                        std::wstring_view switchName, bool quotedValues);

// All switches of the tail, with their defaults (the server edition's upgrade code when
// "/MsiUpdateCode=" is absent or empty; "/OrvhExe=" only when "/ExeName=" is absent).
CommandSwitches ReadSwitches(std::wstring_view tail, std::wstring_view upperTail);


} // namespace orvh
