#pragma once
// The update folder and its four sub-folders.
#include "common/expand_path.h"
#include "set_rules/set_files.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvh {

class FileSystem;
class FolderAccess;

// A link (junction, symbolic link, mount point) where a folder of the run was expected, and
// where it leads (empty when nowhere reachable).
struct FolderLink {
    std::wstring path;
    std::wstring target;
    bool operator==(const FolderLink&) const = default;
};

struct UpdateFolders {
    std::wstring root;
    std::wstring vecchio;   // the copies Corrente held before
    std::wstring corrente;  // what the product was last installed or patched from
    std::wstring nuovo;     // the update set waiting to be installed
    std::wstring setup;     // the installation source cache, one folder per product code
    // Why this folder: true when it is the folder the switch named.
    bool fromSwitch = false;
    // The folder as named before links on its way were resolved; `root` is where it really is.
    std::wstring named;
    // Links found where sub-folders belong: the run changes nothing in the update folder.
    std::vector<FolderLink> links;

    std::wstring ConfigurationFile() const { return nuovo + L"\\" + std::wstring(kConfigurationFileName); }
};

// Folder paths under `root` (already without a trailing backslash).
UpdateFolders UpdateFoldersUnder(std::wstring root);

// The update folder from the switch's value: kept only when a folder of exactly that
// text exists, else the program's own folder; then expanded and resolved once to where it
// really is (an administrator may have made it a link to another disk). When none of the four
// sub-folders is a link, missing ones are created in the order Vecchio, Corrente, Nuovo, Setup;
// otherwise nothing is created and the links are named in the result.
UpdateFolders PrepareUpdateFolders(std::wstring_view switchValue, std::wstring_view programFolder,
                                   FileSystem& fileSystem, const FolderAccess& access,
                                   const EnvironmentExpander& expand);

} // namespace orvh
