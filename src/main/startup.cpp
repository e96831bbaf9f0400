#include "main/startup.h"

#include "common/string_ids.h"
#include "resources/string_table.h"
#include "system/locale_conversions.h"
#include "system/single_instance.h"
#include "ui/dialogs.h"
#include "ui/mouse_pointer.h"

namespace orvh {

std::optional<RunSettings> StartUp(std::wstring_view tail, std::wstring_view upperTail,
                                   const StartupServices& services) {
    const auto& texts = services.texts;
    if (services.instances.AnotherInstanceRunning()) {
        services.dialogs.ShowMessage(texts.LoadDllString(text::kSecondInstance), texts.LoadDllString(text::kHubTitle),
                                     MessageIcon::CriticalStop);
        return std::nullopt;
    }

    services.pointer.SetHourglass(true);

    if (IsHelpRequest(tail)) {
        services.dialogs.ShowMessage(HelpText(texts.LoadDllString(text::kUsage)), texts.LoadDllString(text::kHubTitle),
                                     MessageIcon::Information);
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
    return settings;
}

} // namespace orvh
