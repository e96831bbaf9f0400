#include "main/update_folders.h"

#include "system/file_system.h"

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
                                   FileSystem& fileSystem, const EnvironmentExpander& expand) {
    std::wstring value(switchValue);
    // The existence test is on the text as given, before any expansion.
    const bool fromSwitch = !value.empty() && fileSystem.FolderExists(value);
    if (!fromSwitch) value = programFolder;

    UpdateFolders folders = UpdateFoldersUnder(ExpandPath(value, expand));
    folders.fromSwitch = fromSwitch;
    for (const auto* sub : {&folders.vecchio, &folders.corrente, &folders.nuovo, &folders.setup}) {
        if (!fileSystem.FolderExists(*sub)) fileSystem.CreateFolder(*sub);
    }
    return folders;
}

} // namespace orvh
