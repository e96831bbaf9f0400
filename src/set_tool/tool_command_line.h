#pragma once
// The command line of the delivering side's tool: make, check and plan.
#include "common/edition.h"

#include <optional>
#include <string>
#include <vector>

namespace orvh {
class LocaleConversions;
} // namespace orvh

namespace orvh::set_tool {

enum class Command { Help, Make, Check, Plan };

struct ToolCommand {
    Command command = Command::Help;
    std::wstring folder;                // make: the folder written; check, plan: the set
    std::vector<std::wstring> files;    // make: the files of the set
    std::optional<Edition> edition;     // --edition hub|desk
    std::wstring publisher;             // --publisher SIGNED_FILE
    std::vector<std::wstring> installed; // --installed VERSION, canonical
    std::wstring correnteLauncher;      // --corrente VERSION, canonical
    bool sourceMissing = false;         // --source-missing
    std::wstring launcher;              // --launcher FILE: the launcher that runs
    bool json = false;                  // --json
};

// The command, or the usage error's text.
struct ParsedCommand {
    std::optional<ToolCommand> command;
    std::wstring error;
};

ParsedCommand ParseToolCommand(const std::vector<std::wstring>& arguments, const LocaleConversions& numbers);

std::wstring ToolUsage();

} // namespace orvh::set_tool
