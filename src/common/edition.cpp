#include "common/edition.h"

namespace orvh {

std::optional<Edition> EditionOf(std::wstring_view upgradeCode) {
    for (const auto& facts : kEditions) {
        if (upgradeCode == facts.upgradeCode) return facts.edition;
    }
    return std::nullopt;
}

} // namespace orvh
