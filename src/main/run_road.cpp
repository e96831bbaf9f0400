#include "main/run_road.h"

#include "installer/version.h"
#include "set_rules/version_rules.h"

namespace orvh {
namespace {

std::wstring Versioned(const wchar_t* what, const std::wstring& version) {
    return std::wstring(what) + L" " + (version.empty() ? L"(none announced)" : version);
}

std::wstring FullPackagePart(const RunRoad& road) {
    if (road.newerFullPackage) {
        return Versioned(L"full package", road.update) + (road.installFullPackage ? L" to be installed" : L" not in Nuovo");
    }
    if (!road.sourceMissing) return L"no newer full package";
    return road.repairSource ? L"installation source to be repaired from the full package"
                             : L"installation source missing, no full package to repair it";
}

std::wstring PatchPart(const RunRoad& road) {
    if (road.applyPatch) return Versioned(L"patch", road.patch) + L" to be applied";
    if (!road.patchDue) return L"no patch";
    return Versioned(L"patch", road.patch) + L" not to be applied";
}

} // namespace

RunRoad DecideRoad(const RoadFacts& facts, const RoadQuestions& ask, const std::wstring& nuovo, Edition edition) {
    RunRoad road;
    road.installed = facts.installed;
    road.update = facts.update;
    road.patch = PatchVersionKept(facts.installed, facts.update, facts.patch);
    road.updater = facts.updater;
    road.newerFullPackage = VersionGreater(road.update, road.installed);
    bool patchReached = false;
    if (road.newerFullPackage) {
        // A full package missing from Nuovo ends the installation phase: no patch either.
        road.installFullPackage = facts.fullPackageInNuovo;
        road.patchDue = PatchNewerThan(road.update, road.patch);
        patchReached = road.installFullPackage;
    } else {
        road.sourceMissing = !ask.sourceAvailable();
        road.repairSource = road.sourceMissing && facts.fullPackageInNuovo;
        road.patchDue = PatchNewerThan(road.installed, road.patch);
        patchReached = !road.sourceMissing || road.repairSource;
    }
    road.applyPatch = road.patchDue && facts.patchInNuovo && patchReached;
    road.replaceUpdater = facts.updaterInNuovo && ask.updaterReplaceable(road.updater);

    const auto use = [&](SetRole role, const std::wstring& announced) {
        road.files.push_back({role, nuovo + L"\\" + FileNameOf(role, edition), announced});
    };
    if (road.installFullPackage || road.repairSource) use(SetRole::FullPackage, road.update);
    if (road.applyPatch) use(SetRole::Patch, road.patch);
    if (road.replaceUpdater) use(SetRole::Launcher, road.updater);
    return road;
}

std::wstring Described(const RunRoad& road) {
    std::wstring files;
    for (const auto& file : road.files) files += (files.empty() ? L"\"" : L", \"") + file.path + L"\"";
    return FullPackagePart(road) + L"; " + PatchPart(road) + L"; " +
           (road.replaceUpdater ? Versioned(L"launcher", road.updater) + L" to be copied into Corrente" : L"launcher not replaced") +
           L"; files of Nuovo used: " + (files.empty() ? L"none" : files);
}

} // namespace orvh
