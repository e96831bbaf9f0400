#pragma once
// The update folder cannot redirect the run: a link among its sub-folders stops the run before
// anything changes, the folders are held from the end of the product's wait, and the folders
// only the launcher writes are its own.
#include "main/update_folders.h"

#include <string>
#include <vector>

namespace orvh {

class FileSystem;
class FolderAccess;
class Journal;

enum class FolderRole { UpdateFolder, Vecchio, Corrente, Nuovo, Setup };

enum class FolderAccessStep {
    Keep,          // the access its administrator gave it stays
    Protect,       // it gets the launcher's access list
    RequireWrite,  // the run goes on only when it may write there
};

// Corrente, Vecchio and Setup belong to the launcher: an elevated run gives them its access
// list, any other run needs to be able to write them. Nuovo is the delivering side's and the
// update folder its administrator's: their access stays.
FolderAccessStep AccessStepOf(FolderRole role, bool elevated);

// The links among the four sub-folders, in the order Vecchio, Corrente, Nuovo, Setup.
std::vector<FolderLink> LinksAmongSubFolders(const UpdateFolders& folders, const FileSystem& fileSystem);

// From the end of the product's wait to the end of the run: holds the update folder and each
// of its sub-folders that is there, then gives each the access its step says. A folder given
// the launcher's list loses the entries an elevated run did not make. Returns false when a
// folder cannot be made the launcher's own; the journal says why.
bool HoldOwnFolders(const UpdateFolders& folders, bool elevated, FileSystem& fileSystem, FolderAccess& access,
                    Journal& journal);

} // namespace orvh
