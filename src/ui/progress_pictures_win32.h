#pragma once
// The progress window's pictures, loaded from the program's resources: icons and the
// banner at the size their controls show them, the separator line as drawn (its controls
// stretch it along their length).
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"
#include "ui/progress_layout.h"

#include <array>

namespace orvh {

struct ProgressPictures {
    UniqueGdiObject banner;
    std::array<UniqueIcon, kStepCount> steps;
    UniqueIcon success;
    UniqueIcon failure;
    UniqueIcon arrow;
    UniqueGdiObject line;
    UniqueIcon windowLarge;
    UniqueIcon windowSmall;
};

// Raises the platform's error when a picture is missing from `module`.
ProgressPictures LoadProgressPictures(HMODULE module, int dpi);

} // namespace orvh
