#include "main/set_delivery.h"

#include "set_rules/set_files.h"
#include "system/delivered_files.h"

namespace orvh {

std::optional<std::wstring> FileStillBeingWritten(const UpdateFolders& folders, DeliveredFiles& files) {
    for (const auto& name : FilesOfTheSet()) {
        const std::wstring path = folders.nuovo + L"\\" + name;
        if (files.BeingWritten(path)) return path;
    }
    return std::nullopt;
}

} // namespace orvh
