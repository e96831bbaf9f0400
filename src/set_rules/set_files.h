#pragma once
// The files of an update set: their roles, their names in each edition, the configuration
// file that announces their versions and the two schemes of keys it announces them under.
// The launcher and the delivering side's tool both read these and no copy of them.
#include "common/edition.h"
#include "system/delivered_files.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvh {

class OvFileIni;

// The roles of the files the configuration file announces, in their order of use.
enum class SetRole { FullPackage, Patch, Launcher };
inline constexpr SetRole kSetRoles[] = {SetRole::FullPackage, SetRole::Patch, SetRole::Launcher};

inline constexpr std::wstring_view kConfigurationFileName = L"ORVHUpdate.cfg";
inline constexpr std::wstring_view kVersionSection = L"Versione";
inline constexpr std::wstring_view kLauncherFileName = L"ORVHUpdate.exe";
inline constexpr std::wstring_view kLauncherArchiveKey = L"ORVHUpdate.zip";

// The file name of a role in an edition's set.
std::wstring FileNameOf(SetRole role, Edition edition);

// The form a file of a role must have to be whole.
constexpr FileForm FormOf(SetRole role) {
    switch (role) {
    case SetRole::FullPackage: return FileForm::Package;
    case SetRole::Patch: return FileForm::Patch;
    case SetRole::Launcher: break;
    }
    return FileForm::Executable;
}

// The names of every file of an update set in Nuovo, whatever the edition, in the order the
// rotation deletes them: the launcher, full packages before patches, the configuration file
// last, so that a run stopped part-way leaves a set the next run completes, never packages
// without their versions.
std::vector<std::wstring> FilesOfTheSet();

// The version a configuration file announces under `key`; empty when the file, its section or
// the key is missing.
std::wstring ReadAnnouncedVersion(const OvFileIni& ini, const std::wstring& configurationFile, const std::wstring& key);

// The keys of the configuration file a run reads the three versions under.
struct VersionKeys {
    std::wstring fullPackage;
    std::wstring patchPackage;
    std::wstring updater;
    const std::wstring& Of(SetRole role) const;
    bool operator==(const VersionKeys&) const = default;
};

// The keys named after the files themselves, and after their archives.
VersionKeys FileNameKeys(Edition edition);
VersionKeys ArchiveKeys(Edition edition);

// The server's installations read the file-name keys up to this version and the archive
// keys above it.
inline constexpr std::wstring_view kServerLastFileNameKeys = L"0001.0001.0000.0601";
inline constexpr std::wstring_view kServerFirstArchiveKeys = L"0001.0001.0000.0602";

// Whether an installed version reads the archive keys: the server edition above
// kServerLastFileNameKeys (`installedVersion` canonical), the client edition when
// `deskArchiveValue`, the value of its full package's archive key, is not empty.
bool ReadsArchiveKeys(Edition edition, const std::wstring& installedVersion, const std::wstring& deskArchiveValue);

// The keys an installed version reads; `announced` gives the configuration file's value of a key.
template <typename Announced>
VersionKeys KeysRead(Edition edition, const std::wstring& installedVersion, const Announced& announced) {
    const std::wstring deskArchiveValue =
        edition == Edition::Server ? L"" : announced(std::wstring(FactsOf(edition).fullPackageArchiveKey));
    return ReadsArchiveKeys(edition, installedVersion, deskArchiveValue) ? ArchiveKeys(edition) : FileNameKeys(edition);
}

} // namespace orvh
