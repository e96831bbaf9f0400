#include "main/whole_road.h"

#include "common/journal.h"
#include "system/delivered_files.h"

#include <algorithm>

namespace orvh {
namespace {

const wchar_t* Consequence(SetRole role) {
    switch (role) {
    case SetRole::FullPackage: return L"it is not installed and the installation counts as failed";
    case SetRole::Patch: return L"it is not applied and the patch counts as failed";
    case SetRole::Launcher: break;
    }
    return L"it is not copied into Corrente";
}

} // namespace

DamagedFiles SetAsideDamaged(RunRoad& road, const std::function<std::wstring(const SetFile&)>& copyOf,
                             DeliveredFiles& files, Journal& journal) {
    DamagedFiles damaged;
    std::erase_if(road.files, [&](const SetFile& file) {
        const std::wstring copy = copyOf(file);
        const ArrivalVerdict verdict = files.Check(copy, FormOf(file.role));
        if (verdict.arrival == Arrival::Whole) return false;
        journal.Write(L"\"" + copy + L"\" is not whole (" + verdict.fault + L"): " + Consequence(file.role));
        if (file.role == SetRole::FullPackage) damaged.fullPackage = true;
        if (file.role == SetRole::Patch) damaged.patch = true;
        if (file.role == SetRole::Launcher) road.replaceUpdater = false;
        return true;
    });
    return damaged;
}

} // namespace orvh
