#pragma once
// The installed versions a set can meet, cut into classes inside which the launcher decides
// alike: below, at and above each version the set announces, and for the server on each side
// of the version from which its installations read the archive keys. Each class is run by
// one representative version.
#include "common/edition.h"

#include <string>
#include <vector>

namespace orvh {
class LocaleConversions;
} // namespace orvh

namespace orvh::set_tool {

struct InstalledClass {
    std::wstring representative; // canonical
    // The bounds, canonical; empty: none.
    std::wstring low, high;
    bool lowIncluded = false, highIncluded = false;
    bool operator==(const InstalledClass&) const = default;
};

// The classes, in ascending order, for the canonical versions `points` the set announces.
std::vector<InstalledClass> InstalledClasses(std::vector<std::wstring> points, Edition edition);

// "installations below 1.2.0", "installations at 1.2.0", "installations from 1.1.602 to
// below 1.2.0", "all installations": the versions of consecutive classes `first` to `last` of `classes`.
std::wstring InstallationsOf(const std::vector<InstalledClass>& classes, std::size_t first, std::size_t last,
                             const LocaleConversions& numbers);

// The same for a set of class indices, ascending: its runs of consecutive classes, joined.
std::wstring InstallationsOf(const std::vector<InstalledClass>& classes, const std::vector<std::size_t>& indices,
                             const LocaleConversions& numbers);

} // namespace orvh::set_tool
