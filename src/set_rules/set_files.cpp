#include "set_rules/set_files.h"

#include "ini/ov_file_ini.h"
#include "installer/version.h"

namespace orvh {
namespace {

// 20 characters: in text order between the last version reading the file-name keys and the
// first reading the archive keys.
constexpr std::wstring_view kServerArchiveKeysAbove = L"0001.0001.0000.06010";

} // namespace

std::wstring FileNameOf(SetRole role, Edition edition) {
    const auto& facts = FactsOf(edition);
    switch (role) {
    case SetRole::FullPackage: return std::wstring(facts.fullPackage);
    case SetRole::Patch: return std::wstring(facts.patchPackage);
    case SetRole::Launcher: break;
    }
    return std::wstring(kLauncherFileName);
}

std::vector<std::wstring> FilesOfTheSet() {
    std::vector<std::wstring> names{std::wstring(kLauncherFileName)};
    for (const SetRole role : {SetRole::FullPackage, SetRole::Patch}) {
        for (const auto& facts : kEditions) names.push_back(FileNameOf(role, facts.edition));
    }
    names.emplace_back(kConfigurationFileName);
    return names;
}

std::wstring ReadAnnouncedVersion(const OvFileIni& ini, const std::wstring& configurationFile, const std::wstring& key) {
    return ini.ReadIniString(configurationFile, std::wstring(kVersionSection), key, L"", 255);
}

const std::wstring& VersionKeys::Of(SetRole role) const {
    switch (role) {
    case SetRole::FullPackage: return fullPackage;
    case SetRole::Patch: return patchPackage;
    case SetRole::Launcher: break;
    }
    return updater;
}

VersionKeys FileNameKeys(Edition edition) {
    return {FileNameOf(SetRole::FullPackage, edition), FileNameOf(SetRole::Patch, edition),
            FileNameOf(SetRole::Launcher, edition)};
}

VersionKeys ArchiveKeys(Edition edition) {
    const auto& facts = FactsOf(edition);
    return {std::wstring(facts.fullPackageArchiveKey), std::wstring(facts.patchPackageArchiveKey),
            std::wstring(kLauncherArchiveKey)};
}

bool ReadsArchiveKeys(Edition edition, const std::wstring& installedVersion, const std::wstring& deskArchiveValue) {
    return edition == Edition::Server ? VersionGreater(installedVersion, kServerArchiveKeysAbove) : !deskArchiveValue.empty();
}

} // namespace orvh
