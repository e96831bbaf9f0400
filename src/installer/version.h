#pragma once
// Version numbers: the canonical form "0001.0004.0000.0155" used for every comparison,
// the display form "1.4.155", the conversion between them, and the one order of versions.
//
// A group is read as a signed 32-bit whole number the way the platform's ordinary
// text-to-number conversion reads an integer:
//   - blanks and tabs around the number are ignored, leading zeros are accepted;
//   - one sign, "+" or "-", may stand before the digits ("-5" is written "-0005");
//   - the language's hexadecimal and octal notations "&H1F" and "&O17" (letters in any
//     case) are read as 32-bit patterns, so "&HFFFFFFFF" is -1;
//   - anything else fails with a type-mismatch error (13, "Tipo non corrispondente"): an
//     empty group, letters, a blank inside the number, a sign without digits, and the
//     forms that depend on the regional settings or denote fractions (decimal and
//     thousands separators, exponents, currency symbols), which no version source writes;
//   - a value outside the signed 32-bit range (more than 8 hexadecimal or 11 octal digits
//     of value) fails with an overflow error (6, "Overflow").
// Errors are PlatformError with source "OrvhUpdate"; no partial result is returned.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvh {

// Reads one group as described above.
std::int32_t ReadVersionGroup(std::wstring_view group);

// Converts a version of three or four "."-separated groups: `fourGroups` true gives the
// canonical form (each group padded to at least four digits, never truncated; a
// three-group major.minor.build becomes major.minor.0000.build), false the display form
// (shortest decimal, the third of four groups dropped unread). Any other number of groups
// returns `version` unchanged.
std::wstring FormatVersion(std::wstring_view version, bool fourGroups);

// True when `a` is newer than `b`: exact text order by UTF-16 code unit, a prefix before
// the longer text, so empty text is older than every version. On canonical versions this
// is the numeric order of their groups.
bool VersionGreater(std::wstring_view a, std::wstring_view b);

} // namespace orvh
