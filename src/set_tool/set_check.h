#pragma once
// The check of an update set: each finding names a file and what the launcher will do
// because of it. Errors make a set that does not deliver what it announces; warnings one
// that works today but may not later, or leaves a file unused.
#include "ini/profile_functions.h"
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
    // Named by a certificate, which tells nothing of the version of the launcher that runs.
    bool certificate = false;
};

// A signed launcher's refusals are found by running the launcher over every class of
// installed versions the set can meet, through `profile` reading its configuration file.
std::vector<Finding> CheckSet(const SetFolder& set, const std::optional<Publisher>& publisher,
                              const ProfileFunctions& profile, const LocaleConversions& numbers);

bool HasErrors(const std::vector<Finding>& findings);

} // namespace orvh::set_tool
