#include "set_tool/set_folder.h"

#include "ini/ov_file_ini.h"
#include "main/update_set.h"
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

FileFacts ReadFile(const std::wstring& path, Role role, SetFileReader& reader) {
    try {
        FileFacts file;
        file.path = path;
        file.role = role;
        if (role == Role::FullPackage) file.package = reader.Package(path);
        if (role == Role::Patch) file.patch = reader.Patch(path);
        if (role == Role::Launcher) file.executableVersion = reader.ExecutableVersion(path);
        file.signature = reader.Signature(path);
        return file;
    } catch (const PlatformError& error) {
        throw PlatformError(error.Number(), path, error.Source() + L": " + error.Description());
    }
}

std::wstring NameOf(Role role, Edition edition) {
    const PackageNames names = PackageNamesOf(edition);
    return role == Role::FullPackage ? names.fullPackage
           : role == Role::Patch     ? names.patchPackage
                                     : std::wstring(kUpdaterFileName);
}

SetFolder ReadSetFolder(const std::wstring& folder, std::optional<Edition> edition, const FileSystem& fs,
                        const OvFileIni& ini, SetFileReader& reader) {
    SetFolder set;
    set.folder = folder;
    set.entries = fs.EntryNames(folder);
    for (const auto& facts : kEditions) {
        if (!edition && (Named(set.entries, facts.fullPackage) || Named(set.entries, facts.patchPackage))) {
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
            for (const auto* key : {&keys.fullPackage, &keys.patchPackage, &keys.updater}) {
                const std::wstring value = ini.ReadIniString(configuration, std::wstring(kVersionSection), *key, L"", 255);
                if (!value.empty()) set.announced[*key] = value;
            }
        }
    }
    for (const Role role : {Role::FullPackage, Role::Patch, Role::Launcher}) {
        const std::wstring path = set.PathOf(NameOf(role, set.edition));
        if (!fs.FileExists(path)) continue;
        if (const auto verdict = reader.ArrivalOf(path, role); verdict.arrival != Arrival::Whole) {
            set.notArrived.emplace(NameOf(role, set.edition), verdict);
            continue;
        }
        set.files.emplace(role, ReadFile(path, role, reader));
    }
    return set;
}

} // namespace orvh::set_tool
