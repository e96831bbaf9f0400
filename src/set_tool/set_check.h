#pragma once
// The check of an update set: each finding names a file and what the launcher will do
// because of it. Errors make a set that does not deliver what it announces; warnings one
// that works today but may not later, or leaves a file unused.
#include "set_tool/set_folder.h"

#include <optional>
#include <string>
#include <vector>

namespace orvh {
class LocaleConversions;
} // namespace orvh

namespace orvh::set_tool {

enum class Severity { Error, Warning };

struct Finding {
    Severity severity;
    std::wstring file; // a file name of the set, or a key of ORVHUpdate.cfg
    std::wstring text;
    bool operator==(const Finding&) const = default;
};

// The publisher a signed launcher expects: the subject of its signer certificate.
struct Publisher {
    PublisherName name;
    std::wstring text;
};

std::vector<Finding> CheckSet(const SetFolder& set, const std::optional<Publisher>& publisher,
                              SetFileReader& reader, const LocaleConversions& numbers);

bool HasErrors(const std::vector<Finding>& findings);

// The canonical form of a version as read from a file, by the launcher's own conversion;
// empty when it cannot be converted.
std::wstring Canonical(const std::wstring& version, const LocaleConversions& numbers);

} // namespace orvh::set_tool
