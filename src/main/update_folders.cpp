#include "main/update_folders.h"

#include "main/own_folders.h"
#include "system/file_system.h"
#include "system/folder_access.h"

namespace orvh {

UpdateFolders UpdateFoldersUnder(std::wstring root) {
    UpdateFolders f;
    f.vecchio = root + L"\\Vecchio";
    f.corrente = root + L"\\Corrente";
    f.nuovo = root + L"\\Nuovo";
    f.setup = root + L"\\Setup";
    f.root = std::move(root);
    return f;
}

UpdateFolders PrepareUpdateFolders(std::wstring_view switchValue, std::wstring_view programFolder,
                                   FileSystem& fileSystem, const FolderAccess& access,
                                   const EnvironmentExpander& expand) {
    std::wstring value(switchValue);
    // The existence test is on the text as given, before any expansion.
    const bool fromSwitch = !value.empty() && fileSystem.FolderExists(value);
    if (!fromSwitch) value = programFolder;

    const std::wstring named = ExpandPath(value, expand);
    // A drive's root ("C:") is no folder to open: the text would name the drive's current folder.
    const bool driveRoot = !named.empty() && named.back() == L':';
    UpdateFolders folders = UpdateFoldersUnder(driveRoot ? named : access.FinalPath(named).value_or(named));
    folders.fromSwitch = fromSwitch;
    folders.named = named;
    folders.links = LinksAmongSubFolders(folders, fileSystem);
    if (!folders.links.empty()) return folders;
    for (const auto* sub : {&folders.vecchio, &folders.corrente, &folders.nuovo, &folders.setup}) {
        if (!fileSystem.FolderExists(*sub)) fileSystem.CreateFolder(*sub);
    }
    return folders;
}

} // namespace orvh
