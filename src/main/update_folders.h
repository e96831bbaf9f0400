#pragma once
// The update folder and its four sub-folders.
#include "common/expand_path.h"
#include "set_rules/set_files.h"

#include <string>
#include <string_view>

namespace orvh {

class FileSystem;

struct UpdateFolders {
    std::wstring root;
    std::wstring vecchio;   // the copies Corrente held before
    std::wstring corrente;  // what the product was last installed or patched from
    std::wstring nuovo;     // the update set waiting to be installed
    std::wstring setup;     // the installation source cache, one folder per product code
    // Why this folder: true when it is the folder the switch named.
    bool fromSwitch = false;

    std::wstring ConfigurationFile() const { return nuovo + L"\\" + std::wstring(kConfigurationFileName); }
};

// Folder paths under `root` (already without a trailing backslash).
UpdateFolders UpdateFoldersUnder(std::wstring root);

// The update folder from the switch's value: kept only when a folder of exactly that
// text exists, else the program's own folder; then expanded. Missing sub-folders are
// created in the order Vecchio, Corrente, Nuovo, Setup.
UpdateFolders PrepareUpdateFolders(std::wstring_view switchValue, std::wstring_view programFolder,
                                   FileSystem& fileSystem, const EnvironmentExpander& expand);

} // namespace orvh
