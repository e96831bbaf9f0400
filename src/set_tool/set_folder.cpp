#include "set_tool/set_folder.h"

#include "set_rules/set_files.h"
#include "system/file_system.h"
#include "system/platform_error.h"

#include <algorithm>
#include <cwctype>

namespace orvh::set_tool {
namespace {

bool Named(const std::vector<std::wstring>& entries, std::wstring_view name) {
    for (const auto& entry : entries) {
        if (entry.size() == name.size() &&
            std::equal(entry.begin(), entry.end(), name.begin(), [](wchar_t a, wchar_t b) {
                return std::towlower(a) == std::towlower(b);
            })) {
            return true;
        }
    }
    return false;
}

} // namespace

FileFacts ReadFile(const std::wstring& path, SetRole role, SetFileReader& reader) {
    try {
        FileFacts file;
        file.path = path;
        file.role = role;
        if (role == SetRole::FullPackage) file.package = reader.Package(path);
        if (role == SetRole::Patch) file.patch = reader.Patch(path);
        if (role == SetRole::Launcher) file.executableVersion = reader.ExecutableVersion(path);
        file.signature = reader.Signature(path);
        return file;
    } catch (const PlatformError& error) {
        throw PlatformError(error.Number(), path, error.Source() + L": " + error.Description());
    }
}

SetFolder ReadSetFolder(const std::wstring& folder, std::optional<Edition> edition, const FileSystem& fs,
                        const OvFileIni& ini, SetFileReader& reader) {
    SetFolder set;
    set.folder = folder;
    set.entries = fs.EntryNames(folder);
    for (const auto& facts : kEditions) {
        if (!edition && (Named(set.entries, FileNameOf(SetRole::FullPackage, facts.edition)) ||
                         Named(set.entries, FileNameOf(SetRole::Patch, facts.edition)))) {
            edition = facts.edition;
        }
    }
    set.edition = edition.value_or(Edition::Server);

    const std::wstring configuration = set.PathOf(kConfigurationFileName);
    set.configurationPresent = fs.FileExists(configuration);
    if (set.configurationPresent) {
        if (const auto verdict = reader.ArrivalOf(configuration, std::nullopt); verdict.arrival != Arrival::Whole) {
            set.notArrived.emplace(kConfigurationFileName, verdict);
        }
        for (const auto& keys : {FileNameKeys(set.edition), ArchiveKeys(set.edition)}) {
            for (const SetRole role : kSetRoles) {
                const std::wstring& key = keys.Of(role);
                const std::wstring value = ReadAnnouncedVersion(ini, configuration, key);
                if (!value.empty()) set.announced[key] = value;
            }
        }
    }
    for (const SetRole role : kSetRoles) {
        const std::wstring path = set.PathOf(FileNameOf(role, set.edition));
        if (!fs.FileExists(path)) continue;
        if (const auto verdict = reader.ArrivalOf(path, role); verdict.arrival != Arrival::Whole) {
            set.notArrived.emplace(FileNameOf(role, set.edition), verdict);
            continue;
        }
        set.files.emplace(role, ReadFile(path, role, reader));
    }
    return set;
}

} // namespace orvh::set_tool
