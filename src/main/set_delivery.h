#pragma once
// A set still being written into Nuovo is left alone: a run that used half of it, or cleared
// it, would lose the delivery. Whether one is, is seen from its files once the road is
// decided and before anything changes on disk.
#include "main/update_folders.h"

#include <optional>
#include <string>

namespace orvh {

class DeliveredFiles;

// The first file of the set in Nuovo (the configuration file, the launcher, either edition's
// packages) that another program still has open for writing; none when the set has arrived.
std::optional<std::wstring> FileStillBeingWritten(const UpdateFolders& folders, DeliveredFiles& files);

} // namespace orvh
