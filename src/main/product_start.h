#pragma once
// The product started again at the end of the run, or its cluster resource brought online.
#include "common/edition.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvh {

class FileSystem;
class MessagePump;
class ProgramStarter;
class ProgressView;
class StringTable;

// The switch that tells the product the last installation did not succeed.
inline constexpr std::wstring_view kIgnoreUpdateSwitch = L"/IgnoraAggiornamento";

// What the run starts at its end.
struct ProductStart {
    std::wstring clusterResource;   // brought online through `clusterTool` when named
    std::wstring clusterTool;
    std::wstring productExecutable; // else started, when the file exists
    bool installationResult = false; // the last installation's: without it the product ignores the update
    std::optional<Edition> edition;  // names the activity; none is written without one
};

// Where the start is shown and made.
struct ProductStartServices {
    ProgressView& view;
    const StringTable& texts;
    MessagePump& pump;
    const FileSystem& fileSystem;
    ProgramStarter& starter;
};

// Brings the cluster resource online when one is named, else starts the product executable
// when the file exists, switched by the installation result; marks the start step's outcome.
void StartProductOrResource(const ProductStart& start, const ProductStartServices& services);

} // namespace orvh
