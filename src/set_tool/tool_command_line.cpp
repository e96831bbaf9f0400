#include "set_tool/tool_command_line.h"

#include "installer/version.h"

namespace orvh::set_tool {

std::wstring ToolUsage() {
    return LR"(OrvhSet: makes, checks and plans an update set of OrvhUpdate, the Orvane launcher.

  OrvhSet make OUT_FOLDER FILE... [--edition hub|desk]
      Writes a new update set into OUT_FOLDER (new or empty): each file under the edition's
      name (a full package .msi, a patch .msp, a launcher OrvhUpdate.exe, told by content)
      and ORVHUpdate.cfg with each file's own version under both key schemes; then checks it.
  OrvhSet check FOLDER [--publisher SIGNED_FILE|CERTIFICATE] [--edition hub|desk]
      Checks an update set as the launcher will see it; one line per finding. --publisher:
      a signed OrvhUpdate.exe, or the publisher's certificate (.cer, DER or Base64).
  OrvhSet plan FOLDER --installed VERSION [--installed VERSION]... [--corrente VERSION]
               [--source-missing] [--launcher FILE] [--edition hub|desk] [--json]
      Runs the launcher's own run over the set for each installed version, with Windows
      Installer, the window and the boxes simulated. --corrente: the version of the launcher
      copy in Corrente; --source-missing: the installed product's cached package is gone;
      --launcher: the OrvhUpdate.exe that runs (its signature decides the trust check).
      Each run is shown with the launcher's own account of its decisions.

Versions as 1.1.601 or 0001.0001.0000.0601. Exit code: 0 all well, 1 the set has errors,
2 usage error or unreadable input. Reads no network; writes only OUT_FOLDER.
)";
}

ParsedCommand ParseToolCommand(const std::vector<std::wstring>& arguments, const LocaleConversions& numbers) {
    ToolCommand command;
    const auto fail = [](std::wstring error) { return ParsedCommand{std::nullopt, std::move(error)}; };
    if (arguments.empty() || arguments[0] == L"--help" || arguments[0] == L"-h" || arguments[0] == L"/?") {
        return {command, L""};
    }
    if (arguments[0] == L"make") {
        command.command = Command::Make;
    } else if (arguments[0] == L"check") {
        command.command = Command::Check;
    } else if (arguments[0] == L"plan") {
        command.command = Command::Plan;
    } else {
        return fail(L"unknown command \"" + arguments[0] + L"\"");
    }
    std::vector<std::wstring> positional;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        const std::wstring& argument = arguments[at];
        const auto value = [&]() -> std::optional<std::wstring> {
            if (at + 1 >= arguments.size()) return std::nullopt;
            return arguments[++at];
        };
        const auto version = [&]() -> std::optional<std::wstring> {
            const auto text = value();
            if (!text) return std::nullopt;
            const std::wstring canonical = CanonicalVersion(*text, numbers);
            if (canonical.empty()) return std::nullopt;
            return canonical;
        };
        if (argument == L"--help") {
            return {ToolCommand{}, L""};
        } else if (argument == L"--json" && command.command == Command::Plan) {
            command.json = true;
        } else if (argument == L"--source-missing" && command.command == Command::Plan) {
            command.sourceMissing = true;
        } else if (argument == L"--edition") {
            const auto name = value();
            if (name == L"hub") {
                command.edition = Edition::Server;
            } else if (name == L"desk") {
                command.edition = Edition::Client;
            } else {
                return fail(L"--edition takes hub or desk");
            }
        } else if (argument == L"--publisher" && command.command == Command::Check) {
            const auto file = value();
            if (!file) return fail(L"--publisher takes a signed file");
            command.publisher = *file;
        } else if (argument == L"--launcher" && command.command == Command::Plan) {
            const auto file = value();
            if (!file) return fail(L"--launcher takes the launcher's file");
            command.launcher = *file;
        } else if ((argument == L"--installed" || argument == L"--corrente") && command.command == Command::Plan) {
            const auto canonical = version();
            if (!canonical) return fail(argument + L" takes a version such as 1.1.601 or 0001.0001.0000.0601");
            if (argument == L"--installed") {
                command.installed.push_back(*canonical);
            } else {
                command.correnteLauncher = *canonical;
            }
        } else if (argument.starts_with(L"--")) {
            return fail(L"unknown option \"" + argument + L"\" for " + arguments[0]);
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.empty()) return fail(L"no folder given");
    command.folder = positional[0];
    command.files.assign(positional.begin() + 1, positional.end());
    if (command.command == Command::Make && command.files.empty()) return fail(L"make: no file given");
    if (command.command != Command::Make && !command.files.empty()) return fail(L"one folder only");
    if (command.command == Command::Plan && command.installed.empty()) return fail(L"plan: no --installed version");
    return {command, L""};
}

} // namespace orvh::set_tool
