#include "main/product_wait.h"

#include "common/string_ids.h"
#include "resources/string_table.h"
#include "system/processes.h"
#include "ui/progress_view.h"

namespace orvh {

namespace {
// With no process to wait for, the run still yields briefly before going on.
constexpr std::int32_t kPauseWithoutProcess = 15;
} // namespace

void WaitForProduct(std::int32_t processId, ProgressView& view, const StringTable& texts, ProcessWaiter& waiter) {
    if (processId > 0) {
        waiter.AttendiProcesso(processId, false);
    } else {
        waiter.Pausa(kPauseWithoutProcess);
    }
    view.SetLabel(WindowLabel::Attivita, texts.LoadDllString(text::kFindingCurrentVersion));
    view.StepSuccessivo();
    view.Show();
}

} // namespace orvh
