#include "main/whole_road.h"

#include "common/journal.h"
#include "system/delivered_files.h"

#include <algorithm>

namespace orvh {
namespace {

FileForm FormOf(SetFileKind kind) {
    switch (kind) {
    case SetFileKind::FullPackage: return FileForm::Package;
    case SetFileKind::Patch: return FileForm::Patch;
    case SetFileKind::Updater: break;
    }
    return FileForm::Executable;
}

const wchar_t* Consequence(SetFileKind kind) {
    switch (kind) {
    case SetFileKind::FullPackage: return L"it is not installed and the installation counts as failed";
    case SetFileKind::Patch: return L"it is not applied and the patch counts as failed";
    case SetFileKind::Updater: break;
    }
    return L"it is not copied into Corrente";
}

} // namespace

DamagedFiles SetAsideDamaged(RunRoad& road, const std::function<std::wstring(const SetFile&)>& copyOf,
                             DeliveredFiles& files, Journal& journal) {
    DamagedFiles damaged;
    std::erase_if(road.files, [&](const SetFile& file) {
        const std::wstring copy = copyOf(file);
        const ArrivalVerdict verdict = files.Check(copy, FormOf(file.kind));
        if (verdict.arrival == Arrival::Whole) return false;
        journal.Write(L"\"" + copy + L"\" is not whole (" + verdict.fault + L"): " + Consequence(file.kind));
        if (file.kind == SetFileKind::FullPackage) damaged.fullPackage = true;
        if (file.kind == SetFileKind::Patch) damaged.patch = true;
        if (file.kind == SetFileKind::Updater) road.replaceUpdater = false;
        return true;
    });
    return damaged;
}

} // namespace orvh
