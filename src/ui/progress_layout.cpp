#include "ui/progress_layout.h"

namespace orvh {

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>((static_cast<long long>(twips) * dpi + 720) / 1440);
}

} // namespace orvh
