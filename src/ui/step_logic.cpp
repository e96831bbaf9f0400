#include "ui/step_logic.h"

#include "system/platform_error.h"
#include "ui/progress_layout.h"

#include <limits>
#include <string>

namespace orvh {

namespace {

constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kNoControlArrayElement = 340;
// The arrow stands in one column, a little right of where the activity line begins, and
// a little higher than the label it points at.
constexpr int kArrowLeftOffset = 120;
constexpr int kArrowTopOffset = -60;

} // namespace

ArrowChange StepLogic::StepSuccessivo() {
    if (counter_ == std::numeric_limits<std::int16_t>::max()) {
        throw PlatformError(kOverflow, L"OrvhUpdate", L"Overflow");
    }
    ++counter_;
    const int step = counter_ - 1;
    if (step >= kStepCount) return ArrowChange{std::nullopt, false};
    ArrowChange change;
    change.position = TwipsPoint{design::imgLinea[0].left + kArrowLeftOffset,
                                 design::stepLabels[static_cast<std::size_t>(step)].top + kArrowTopOffset};
    if (step == 0) change.visible = true;
    return change;
}

std::optional<StepMark> StepLogic::SetInconStep(bool success) const {
    const int step = counter_ - 1;
    if (step < 0) return std::nullopt;
    if (step >= kStepCount) {
        throw PlatformError(kNoControlArrayElement, L"OrvhUpdate",
                            L"L'elemento '" + std::to_wstring(step) + L"' della matrice di controllo non esiste");
    }
    return StepMark{step, success ? StepPicture::Ok : StepPicture::Fail};
}

} // namespace orvh
