#pragma once
// A file of the road that is not whole (a copy cut short, anything else under the set's name)
// is never verified, read or handed to Windows Installer: the full package or the patch then
// counts as an installation that failed, the launcher as one not copied.
#include "main/run_road.h"

#include <functional>
#include <string>

namespace orvh {

class DeliveredFiles;
class Journal;

struct DamagedFiles {
    bool fullPackage = false;
    bool patch = false;
    bool operator==(const DamagedFiles&) const = default;
};

// Checks each file of the road in its form, read through its verification copy (`copyOf`); a
// file not whole leaves the road's files, and a launcher not whole is not copied into Corrente.
// The journal names each and why.
DamagedFiles SetAsideDamaged(RunRoad& road, const std::function<std::wstring(const SetFile&)>& copyOf,
                             DeliveredFiles& files, Journal& journal);

} // namespace orvh
