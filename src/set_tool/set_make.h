#pragma once
// What `make` writes: each file under its edition's name and ORVHUpdate.cfg announcing each
// file's own version, canonical, under both key schemes, so that an installation on either
// side of 1.1.601, and a run stopped between the full package and the patch, read them.
#include "set_tool/set_facts.h"
#include "common/edition.h"

#include <optional>
#include <string>
#include <vector>

namespace orvh {
class LocaleConversions;
} // namespace orvh

namespace orvh::set_tool {

struct MadeSet {
    Edition edition = Edition::Server;
    std::vector<std::pair<std::wstring, std::wstring>> copies;  // source path, name in the set
    std::vector<std::pair<std::wstring, std::wstring>> entries; // key, canonical version
    std::vector<std::wstring> refusals;                         // why nothing is written
};

MadeSet MakeSet(const std::vector<FileFacts>& files, std::optional<Edition> edition, const LocaleConversions& numbers);

} // namespace orvh::set_tool
