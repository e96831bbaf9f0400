#include "set_tool/set_make.h"

#include "set_rules/version_rules.h"
#include "set_tool/delivery_expectations.h"

namespace orvh::set_tool {

MadeSet MakeSet(const std::vector<FileFacts>& files, std::optional<Edition> edition, const LocaleConversions& numbers) {
    MadeSet made;
    const FileFacts* byRole[std::size(kSetRoles)] = {};
    for (const auto& file : files) {
        const FileFacts*& slot = byRole[static_cast<int>(file.role)];
        if (slot) made.refusals.push_back(file.path + L": a second file of the role of " + slot->path);
        slot = &file;
    }
    const FileFacts* package = byRole[static_cast<int>(SetRole::FullPackage)];
    const FileFacts* patch = byRole[static_cast<int>(SetRole::Patch)];
    const FileFacts* launcher = byRole[static_cast<int>(SetRole::Launcher)];

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

    std::wstring versions[std::size(kSetRoles)];
    for (const SetRole role : kSetRoles) {
        const FileFacts* file = byRole[static_cast<int>(role)];
        if (file) versions[static_cast<int>(role)] = OwnVersion(*file, numbers);
    }
    const std::wstring& packageVersion = versions[static_cast<int>(SetRole::FullPackage)];
    const std::wstring& patchVersion = versions[static_cast<int>(SetRole::Patch)];
    if (package && packageVersion.empty()) {
        made.refusals.push_back(package->path + L": ProductVersion \"" + package->package->productVersion + L"\" is no version");
    }
    if (patch && patch->patch->targets.empty()) made.refusals.push_back(patch->path + L": the patch names no target version");
    if (package && patch && !patch->patch->targets.empty()) {
        if (!TargetsFullPackage(*patch->patch, *package->package, numbers)) {
            made.refusals.push_back(patch->path + L": does not target the full package's product " +
                                    package->package->productCode + L" at " + package->package->productVersion);
        }
        if (!PatchNewerThan(packageVersion, patchVersion)) {
            made.refusals.push_back(patch->path + L": its resulting version " + patch->patch->targets.front().resultingVersion +
                                    L" is not above the full package's " + package->package->productVersion +
                                    L": the launcher would ignore it");
        }
    }
    if (launcher && versions[static_cast<int>(SetRole::Launcher)].empty()) {
        made.refusals.push_back(launcher->path + L": no version resource");
    }
    if (!made.refusals.empty()) return made;

    const VersionKeys fileNames = FileNameKeys(made.edition), archive = ArchiveKeys(made.edition);
    for (const SetRole role : kSetRoles) {
        const FileFacts* file = byRole[static_cast<int>(role)];
        if (!file) continue;
        made.copies.emplace_back(file->path, FileNameOf(role, made.edition));
        made.entries.emplace_back(fileNames.Of(role), versions[static_cast<int>(role)]);
        made.entries.emplace_back(archive.Of(role), versions[static_cast<int>(role)]);
    }
    return made;
}

} // namespace orvh::set_tool
