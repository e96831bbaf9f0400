#pragma once
// The road of one run, decided once. Before anything is verified or moved the run reads every
// version of ORVHUpdate.cfg and looks at Nuovo; from that alone one function decides which
// packages are installed, whether a lost installation source is repaired, whether the patch is
// applied and whether Nuovo's launcher replaces Corrente's. The trust check verifies the files
// this decision names, the installation phase and the rotation use those and no others: nothing
// read later (the unsigned configuration file again, a file dropped into Nuovo meanwhile)
// changes which files a run uses.
#include "common/edition.h"
#include "set_rules/set_files.h"

#include <functional>
#include <string>
#include <vector>

namespace orvh {

struct SetFile {
    SetRole role;
    std::wstring path;
    std::wstring announced; // the version ORVHUpdate.cfg gives it
    bool operator==(const SetFile&) const = default;
};

// What the run read and found once the installed version is known.
struct RoadFacts {
    std::wstring installed; // canonical
    // As announced under the keys the installed version selects; empty when missing.
    std::wstring update, patch, updater;
    bool fullPackageInNuovo = false, patchInNuovo = false, updaterInNuovo = false;
};

// The questions the decision asks, each at most once and only on a road that needs it.
struct RoadQuestions {
    // Whether the installed product's package is in its installation source.
    std::function<bool()> sourceAvailable;
    // Whether Corrente's launcher would give way to one offered at this version.
    std::function<bool(const std::wstring& offered)> updaterReplaceable;
};

struct RunRoad {
    // The versions (the patch emptied when it is not above the installed version or above
    // the full package's), each as read once.
    std::wstring installed, update, patch, updater;
    bool newerFullPackage = false;   // the update version is above the installed one
    bool installFullPackage = false; // newer, and in Nuovo
    bool sourceMissing = false;      // no newer full package, and the installed package is gone from its source
    bool repairSource = false;       // the source is missing and the full package is in Nuovo to reinstall from
    bool patchDue = false;           // the patch is above the version the full package or the product has
    // Due, in Nuovo, and on a road that reaches it: after the full package (installed,
    // whatever its result) or with the installation source there or repaired. It is applied
    // when the installation source is there at that moment.
    bool applyPatch = false;
    bool replaceUpdater = false;     // Nuovo's launcher is copied into Corrente by the rotation
    // The files of Nuovo the run uses, in their order of use: a signed launcher verifies and
    // holds exactly these.
    std::vector<SetFile> files;
    bool operator==(const RunRoad&) const = default;
};

RunRoad DecideRoad(const RoadFacts& facts, const RoadQuestions& ask, const std::wstring& nuovo, Edition edition);

// One line for the journal: what the run will try to install, repair, apply and copy (each file is
// still to be checked), and the files it uses.
std::wstring Described(const RunRoad& road);

} // namespace orvh
