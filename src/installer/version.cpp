#include "installer/version.h"

#include "system/platform_error.h"

#include <cstdlib>
#include <vector>

namespace orvh {
namespace {

constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kOverflow = 6;

[[noreturn]] void RaiseTypeMismatch() { throw PlatformError(kTypeMismatch, L"OrvhUpdate", L"Tipo non corrispondente"); }
[[noreturn]] void RaiseOverflow() { throw PlatformError(kOverflow, L"OrvhUpdate", L"Overflow"); }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 99;
}

// The digits' value in `base`, stopping early once it is beyond `limit` (the caller
// then reports an overflow).
std::uint64_t ReadDigits(std::wstring_view digits, int base, std::uint64_t limit) {
    if (digits.empty()) RaiseTypeMismatch();
    std::uint64_t value = 0;
    for (wchar_t c : digits) {
        const int digit = DigitValue(c);
        if (digit >= base) RaiseTypeMismatch();
        if (value <= limit) value = value * base + digit;
    }
    return value;
}

// "&H" and "&O" give a 32-bit pattern: values above 0x7FFFFFFF are negative.
std::int32_t ReadPattern(std::wstring_view digits, int base) {
    const std::uint64_t value = ReadDigits(digits, base, 0xFFFFFFFFu);
    if (value > 0xFFFFFFFFu) RaiseOverflow();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int32_t ReadDecimal(std::wstring_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    const std::uint64_t magnitude = ReadDigits(text, 10, 0x80000000u);
    if (magnitude > (negative ? 0x80000000u : 0x7FFFFFFFu)) RaiseOverflow();
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                              : static_cast<std::int64_t>(magnitude));
}

std::vector<std::wstring_view> SplitAtDots(std::wstring_view version) {
    std::vector<std::wstring_view> groups;
    if (version.empty()) return groups;
    for (;;) {
        const auto dot = version.find(L'.');
        groups.push_back(version.substr(0, dot));
        if (dot == std::wstring_view::npos) return groups;
        version.remove_prefix(dot + 1);
    }
}

// The picture "0000": at least four digits, more kept when the number has them.
std::wstring FourDigits(std::int32_t value) {
    std::wstring digits = std::to_wstring(std::llabs(value));
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), L'0');
    return value < 0 ? L"-" + digits : digits;
}

std::wstring Shortest(std::int32_t value) { return std::to_wstring(value); }

} // namespace

std::int32_t ReadVersionGroup(std::wstring_view group) {
    while (!group.empty() && IsBlank(group.front())) group.remove_prefix(1);
    while (!group.empty() && IsBlank(group.back())) group.remove_suffix(1);
    if (group.size() >= 2 && group[0] == L'&') {
        if (group[1] == L'H' || group[1] == L'h') return ReadPattern(group.substr(2), 16);
        if (group[1] == L'O' || group[1] == L'o') return ReadPattern(group.substr(2), 8);
    }
    return ReadDecimal(group);
}

std::wstring FormatVersion(std::wstring_view version, bool fourGroups) {
    const auto groups = SplitAtDots(version);
    if (groups.size() == 4) {
        // The display form drops the third group without reading it.
        if (fourGroups) {
            const auto g1 = ReadVersionGroup(groups[0]);
            const auto g2 = ReadVersionGroup(groups[1]);
            const auto g3 = ReadVersionGroup(groups[2]);
            const auto g4 = ReadVersionGroup(groups[3]);
            return FourDigits(g1) + L"." + FourDigits(g2) + L"." + FourDigits(g3) + L"." + FourDigits(g4);
        }
        const auto g1 = ReadVersionGroup(groups[0]);
        const auto g2 = ReadVersionGroup(groups[1]);
        const auto g4 = ReadVersionGroup(groups[3]);
        return Shortest(g1) + L"." + Shortest(g2) + L"." + Shortest(g4);
    }
    if (groups.size() == 3) {
        const auto g1 = ReadVersionGroup(groups[0]);
        const auto g2 = ReadVersionGroup(groups[1]);
        const auto g3 = ReadVersionGroup(groups[2]);
        if (fourGroups) return FourDigits(g1) + L"." + FourDigits(g2) + L".0000." + FourDigits(g3);
        return Shortest(g1) + L"." + Shortest(g2) + L"." + Shortest(g3);
    }
    return std::wstring(version);
}

bool VersionGreater(std::wstring_view a, std::wstring_view b) {
    // Lexicographic by code unit, a prefix before the longer text.
    return a > b;
}

} // namespace orvh
