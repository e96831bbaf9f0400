#include "main/product_start.h"

#include "resources/string_table.h"
#include "system/file_system.h"
#include "system/message_pump.h"
#include "system/processes.h"
#include "ui/progress_view.h"

namespace orvh {

void StartProductOrResource(const ProductStart& start, const ProductStartServices& services) {
    const auto& [clusterResource, clusterTool, productExecutable, installationResult, edition] = start;
    const auto& [view, texts, pump, fileSystem, starter] = services;
    if (edition) {
        view.SetLabel(WindowLabel::Attivita, texts.LoadDllString(FactsOf(*edition).startingText));
    }
    pump.ProcessPendingMessages();

    if (!clusterResource.empty()) {
        view.SetInconStep(false);
        starter.Start(clusterTool, L"Cluster Res \"" + clusterResource + L"\" /On", ShowCommand::Minimized);
        return;
    }
    if (productExecutable.empty() || !fileSystem.FileExists(productExecutable)) {
        view.SetInconStep(false);
        return;
    }
    // The path goes unquoted, as the product expects it; it is also the program started,
    // so no other program named by a part of the path before a blank can run instead.
    std::wstring commandLine = productExecutable;
    if (!installationResult) commandLine += L" " + std::wstring(kIgnoreUpdateSwitch);
    commandLine += L" /NoConsole";
    starter.Start(productExecutable, commandLine, ShowCommand::Normal);
    view.SetInconStep(true);
}

} // namespace orvh
