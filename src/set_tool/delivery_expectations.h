#pragma once
// What the delivering side expects of its own files, beyond the launcher's rules: the
// launcher never reads a patch's transforms, so these are the tool's alone. A patch is made
// for the set's full package, and its own version is the version its first target becomes.
#include "set_tool/set_facts.h"

#include <string>

namespace orvh {
class LocaleConversions;
} // namespace orvh

namespace orvh::set_tool {

// A file's own version, canonical: a full package's ProductVersion, a launcher's file
// version, a patch's first target's resulting version. Empty when it has none.
std::wstring OwnVersion(const FileFacts& file, const LocaleConversions& numbers);

// Whether a transform of a patch applies to the product `productCode` at `version` (canonical).
bool Targets(const PatchTarget& target, const std::wstring& productCode, const std::wstring& version,
             const LocaleConversions& numbers);

// Whether the patch targets the full package's product at its version.
bool TargetsFullPackage(const PatchFacts& patch, const PackageFacts& package, const LocaleConversions& numbers);

} // namespace orvh::set_tool
