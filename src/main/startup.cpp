#include "main/startup.h"

#include "common/string_ids.h"
#include "resources/string_table.h"
#include "system/locale_conversions.h"
#include "system/single_instance.h"
#include "ui/dialogs.h"
#include "ui/mouse_pointer.h"

namespace orvh {

std::optional<RunSettings> StartUp(std::wstring_view tail, std::wstring_view upperTail,
                                   const StartupServices& services, RunRecord& record) {
    const auto& texts = services.texts;
    if (services.instances.AnotherInstanceRunning()) {
        services.dialogs.ShowMessage(texts.LoadDllString(text::kSecondInstance), texts.LoadDllString(text::kHubTitle),
                                     MessageIcon::CriticalStop);
        record.anotherLauncher = true;
        return std::nullopt;
    }

    services.pointer.SetHourglass(true);

    if (IsHelpRequest(tail)) {
        services.dialogs.ShowMessage(HelpText(texts.LoadDllString(text::kUsage)), texts.LoadDllString(text::kHubTitle),
                                     MessageIcon::Information);
        record.help = true;
        return std::nullopt;
    }

    const CommandSwitches switches = ReadSwitches(tail, upperTail);
    RunSettings settings;
    settings.clusterResource = switches.clusterResource;
    if (switches.processIdText) {
        // Not a number or beyond 32 bits: no process to wait for.
        const WholeNumber id = services.numbers.ToWholeNumber(*switches.processIdText);
        if (id.fault == WholeNumber::Fault::None) settings.processId = id.value;
    }
    settings.productExecutable = switches.productExecutable;
    settings.updateFolderValue = switches.updateFolderValue;
    settings.upgradeCode = switches.upgradeCode;
    settings.restartsAllowed = !switches.noRestart;
    if (switches.installerWaitText) {
        // Not a number, negative or beyond 32 bits: the default wait.
        const WholeNumber seconds = services.numbers.ToWholeNumber(*switches.installerWaitText);
        if (seconds.fault == WholeNumber::Fault::None && seconds.value >= 0) settings.installerWaitSeconds = seconds.value;
    }
    return settings;
}

} // namespace orvh
