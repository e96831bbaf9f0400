#pragma once
// Version numbers: the canonical form "0001.0004.0000.0155" used for every comparison,
// the display form "1.4.155", the conversion between them, and the one order of versions.
//
// A group is read as a signed 32-bit whole number by the platform's ordinary conversion
// (LocaleConversions::ToWholeNumber, the rule the process id is read by too); a group
// that is no number fails with a type-mismatch error (13, "Tipo non corrispondente"),
// one beyond 32 bits with an overflow error (6, "Overflow"). Errors are PlatformError
// with source "OrvhUpdate"; no partial result is returned.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvh {

class LocaleConversions;

// Reads one group as described above.
std::int32_t ReadVersionGroup(std::wstring_view group, const LocaleConversions& numbers);

// Converts a version of three or four "."-separated groups: `fourGroups` true gives the
// canonical form (each group padded to at least four digits, never truncated; a
// three-group major.minor.build becomes major.minor.0000.build), false the display form
// (shortest decimal, the third of four groups dropped unread). Any other number of groups
// returns `version` unchanged.
std::wstring FormatVersion(std::wstring_view version, bool fourGroups, const LocaleConversions& numbers);

// True when `a` is newer than `b`: exact text order by UTF-16 code unit, a prefix before
// the longer text, so empty text is older than every version. On canonical versions this
// is the numeric order of their groups.
bool VersionGreater(std::wstring_view a, std::wstring_view b);

// Whether `version` is canonical with four digits in every group: the texts whose order is
// the numeric order of their groups.
bool IsCanonicalVersion(std::wstring_view version);

// The canonical form of a version as a file or a person writes it; empty when it cannot be
// converted or is not canonical with four digits in every group.
std::wstring CanonicalVersion(std::wstring_view version, const LocaleConversions& numbers);

} // namespace orvh
