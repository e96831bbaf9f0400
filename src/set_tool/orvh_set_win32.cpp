// OrvhSet.exe: the delivering side's tool. Makes an update set from its packages, checks a
// set as the launcher will see it, and plans what the launcher does with it for each
// installed version, by the launcher's own code.
#include "common/journal.h"
#include "ini/ov_file_ini.h"
#include "ini/profile_functions_win32.h"
#include "set_tool/set_make.h"
#include "set_tool/set_reader_win32.h"
#include "set_tool/tool_command_line.h"
#include "set_tool/tool_output.h"
#include "system/com_apartment_win32.h"
#include "system/file_system_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/win32_error_win32.h"

#include <cstdio>

namespace orvh::set_tool {
namespace {

constexpr int kAllWell = 0, kSetHasErrors = 1, kUsageOrUnreadable = 2;

void Print(std::FILE* stream, const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stream);
    std::fflush(stream);
}

struct Tool {
    const VariantLocaleConversions numbers;
    Win32ProfileFunctions profile;
    OvFileIni ini{profile, numbers};
    NoJournal quiet;
    Win32FileSystem files{quiet};
    Win32SetFileReader reader;

    int Check(const ToolCommand& command) {
        std::optional<Publisher> publisher;
        if (!command.publisher.empty()) {
            publisher = reader.PublisherOf(command.publisher);
            if (!publisher) {
                Print(stderr, command.publisher + L": neither a validly signed file nor a certificate: it names no publisher\n");
                return kUsageOrUnreadable;
            }
        }
        const SetFolder set = ReadSetFolder(command.folder, command.edition, files, ini, reader);
        const auto findings = CheckSet(set, publisher, profile, numbers);
        Print(stdout, FindingsText(findings, command.folder));
        return HasErrors(findings) ? kSetHasErrors : kAllWell;
    }

    int Plan(const ToolCommand& command) {
        const SetFolder set = ReadSetFolder(command.folder, command.edition, files, ini, reader);
        PlanCase planCase{L"", command.correnteLauncher, command.sourceMissing, std::nullopt};
        if (!command.launcher.empty()) planCase.launcher = reader.Signature(command.launcher).signature;
        std::vector<set_tool::Plan> plans;
        for (const auto& installed : command.installed) {
            planCase.installed = installed;
            plans.push_back(PlanRun(set, planCase, profile, numbers));
        }
        Print(stdout, command.json ? PlanJson(plans) : PlanText(plans, numbers));
        return kAllWell;
    }

    int Make(ToolCommand command) {
        std::vector<FileFacts> inputs;
        for (const auto& path : command.files) {
            const auto role = reader.RoleOf(path);
            if (const std::wstring damage = role ? L"" : reader.Damage(path); !damage.empty()) {
                Print(stderr, L"refused: " + path + L": not whole (" + damage + L")\n" + command.folder +
                                  L": nothing written\n");
                return kSetHasErrors;
            }
            if (!role) {
                Print(stderr, path + L": neither a Windows Installer package, a patch nor a program with a version resource\n");
                return kUsageOrUnreadable;
            }
            inputs.push_back(ReadFile(path, *role, reader));
        }
        const MadeSet made = MakeSet(inputs, command.edition, numbers);
        if (!made.refusals.empty()) {
            for (const auto& refusal : made.refusals) Print(stderr, L"refused: " + refusal + L"\n");
            Print(stderr, command.folder + L": nothing written\n");
            return kSetHasErrors;
        }
        if (!files.FolderExists(command.folder)) {
            files.CreateFolder(command.folder);
        } else if (!files.EntryNames(command.folder).empty()) {
            Print(stderr, command.folder + L": not empty; make writes a new set into an empty folder\n");
            return kUsageOrUnreadable;
        }
        for (const auto& [source, name] : made.copies) {
            files.CopyFile(source, command.folder + L"\\" + name);
            Print(stdout, L"wrote " + command.folder + L"\\" + name + L"\n");
        }
        const std::wstring configuration = command.folder + L"\\" + std::wstring(kConfigurationFileName);
        for (const auto& [key, version] : made.entries) {
            ini.WriteIniString(configuration, std::wstring(kVersionSection), key, version);
        }
        Print(stdout, L"wrote " + configuration + L"\n");
        command.edition = made.edition;
        command.publisher.clear();
        return Check(command);
    }
};

int Run(const std::vector<std::wstring>& arguments) {
    Tool tool;
    const ParsedCommand parsed = ParseToolCommand(arguments, tool.numbers);
    if (!parsed.command) {
        Print(stderr, L"OrvhSet: " + parsed.error + L" (OrvhSet --help)\n");
        return kUsageOrUnreadable;
    }
    const ToolCommand& command = *parsed.command;
    if (command.command == Command::Help) {
        Print(stdout, ToolUsage());
        return kAllWell;
    }
    if (command.command != Command::Make && !tool.files.FolderExists(command.folder)) {
        Print(stderr, command.folder + L": no such folder\n");
        return kUsageOrUnreadable;
    }
    const ComApartment com;
    try {
        if (command.command == Command::Make) return tool.Make(command);
        return command.command == Command::Check ? tool.Check(command) : tool.Plan(command);
    } catch (const PlatformError& error) {
        // A file that cannot be read names itself as the error's source.
        Print(stderr, error.Source() + L": " + error.Description() + L" (error " + std::to_wstring(error.Number()) + L")\n");
        return kUsageOrUnreadable;
    }
}

} // namespace
} // namespace orvh::set_tool

int wmain(int argc, wchar_t** argv) {
    return orvh::set_tool::Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
