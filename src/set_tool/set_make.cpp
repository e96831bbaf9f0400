#include "set_tool/set_make.h"

#include "installer/version.h"
#include "main/update_set.h"
#include "set_tool/set_check.h"
#include "set_tool/set_folder.h"

#include <algorithm>

namespace orvh::set_tool {

MadeSet MakeSet(const std::vector<FileFacts>& files, std::optional<Edition> edition, const LocaleConversions& numbers) {
    MadeSet made;
    const FileFacts* byRole[3] = {};
    for (const auto& file : files) {
        const FileFacts*& slot = byRole[static_cast<int>(file.role)];
        if (slot) made.refusals.push_back(file.path + L": a second file of the role of " + slot->path);
        slot = &file;
    }
    const FileFacts* package = byRole[static_cast<int>(Role::FullPackage)];
    const FileFacts* patch = byRole[static_cast<int>(Role::Patch)];
    const FileFacts* launcher = byRole[static_cast<int>(Role::Launcher)];

    std::optional<Edition> own;
    if (package) {
        own = EditionOf(package->package->upgradeCode);
        if (!own) made.refusals.push_back(package->path + L": upgrade code " + package->package->upgradeCode + L" is of no edition");
    } else if (patch) {
        for (const auto& target : patch->patch->targets) {
            if (!own) own = EditionOf(target.upgradeCode);
        }
    }
    if (edition && own && *edition != *own) {
        made.refusals.push_back((package ? package->path : patch->path) + L": a package of " +
                                std::wstring(ProductNameOf(*own)) + L", not of " + std::wstring(ProductNameOf(*edition)));
    }
    if (!edition) edition = own;
    if (!edition) {
        made.refusals.push_back(L"the edition is not told by any package: give --edition hub or --edition desk");
        return made;
    }
    made.edition = *edition;

    std::wstring packageVersion, patchVersion;
    if (package) packageVersion = Canonical(package->package->productVersion, numbers);
    if (package && packageVersion.empty()) {
        made.refusals.push_back(package->path + L": ProductVersion \"" + package->package->productVersion + L"\" is no version");
    }
    if (patch) {
        const auto& targets = patch->patch->targets;
        if (targets.empty()) made.refusals.push_back(patch->path + L": the patch names no target version");
        if (!targets.empty()) patchVersion = Canonical(targets.front().resultingVersion, numbers);
        if (package && !targets.empty()) {
            const bool targetsPackage = std::ranges::any_of(targets, [&](const PatchTarget& target) {
                return target.productCode == package->package->productCode &&
                       Canonical(target.version, numbers) == packageVersion;
            });
            if (!targetsPackage) {
                made.refusals.push_back(patch->path + L": does not target the full package's product " +
                                        package->package->productCode + L" at " + package->package->productVersion);
            }
            if (!VersionGreater(patchVersion, packageVersion)) {
                made.refusals.push_back(patch->path + L": its resulting version " + targets.front().resultingVersion +
                                        L" is not above the full package's " + package->package->productVersion +
                                        L": the launcher would ignore it");
            }
        }
    }
    const std::wstring launcherVersion = launcher ? Canonical(launcher->executableVersion, numbers) : L"";
    if (launcher && launcherVersion.empty()) made.refusals.push_back(launcher->path + L": no version resource");
    if (!made.refusals.empty()) return made;

    const VersionKeys fileNames = FileNameKeys(made.edition), archive = ArchiveKeys(made.edition);
    const auto add = [&](const FileFacts* file, Role role, const std::wstring& version) {
        if (!file) return;
        made.copies.emplace_back(file->path, NameOf(role, made.edition));
        const auto& [name, archived] = role == Role::FullPackage ? std::pair(fileNames.fullPackage, archive.fullPackage)
                                       : role == Role::Patch     ? std::pair(fileNames.patchPackage, archive.patchPackage)
                                                                 : std::pair(fileNames.updater, archive.updater);
        made.entries.emplace_back(name, version);
        made.entries.emplace_back(archived, version);
    };
    add(package, Role::FullPackage, packageVersion);
    add(patch, Role::Patch, patchVersion);
    add(launcher, Role::Launcher, launcherVersion);
    return made;
}

} // namespace orvh::set_tool
