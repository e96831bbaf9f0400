#include "installer/version.h"

#include "system/locale_conversions.h"
#include "system/platform_error.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace orvh {
namespace {

constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kOverflow = 6;

[[noreturn]] void RaiseTypeMismatch() { throw PlatformError(kTypeMismatch, L"OrvhUpdate", L"Tipo non corrispondente"); }
[[noreturn]] void RaiseOverflow() { throw PlatformError(kOverflow, L"OrvhUpdate", L"Overflow"); }

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
    digits.insert(0, 4 - std::min<std::size_t>(digits.size(), 4), L'0');
    return value < 0 ? L"-" + digits : digits;
}

std::wstring Shortest(std::int32_t value) { return std::to_wstring(value); }

} // namespace

std::int32_t ReadVersionGroup(std::wstring_view group, const LocaleConversions& numbers) {
    const WholeNumber number = numbers.ToWholeNumber(group);
    if (number.fault == WholeNumber::Fault::TypeMismatch) RaiseTypeMismatch();
    if (number.fault == WholeNumber::Fault::Overflow) RaiseOverflow();
    return number.value;
}

std::wstring FormatVersion(std::wstring_view version, bool fourGroups, const LocaleConversions& numbers) {
    const auto read = [&numbers](std::wstring_view group) { return ReadVersionGroup(group, numbers); };
    const auto groups = SplitAtDots(version);
    if (groups.size() == 4) {
        // The display form drops the third group without reading it.
        if (fourGroups) {
            const auto g1 = read(groups[0]);
            const auto g2 = read(groups[1]);
            const auto g3 = read(groups[2]);
            const auto g4 = read(groups[3]);
            return FourDigits(g1) + L"." + FourDigits(g2) + L"." + FourDigits(g3) + L"." + FourDigits(g4);
        }
        const auto g1 = read(groups[0]);
        const auto g2 = read(groups[1]);
        const auto g4 = read(groups[3]);
        return Shortest(g1) + L"." + Shortest(g2) + L"." + Shortest(g4);
    }
    if (groups.size() == 3) {
        const auto g1 = read(groups[0]);
        const auto g2 = read(groups[1]);
        const auto g3 = read(groups[2]);
        if (fourGroups) return FourDigits(g1) + L"." + FourDigits(g2) + L".0000." + FourDigits(g3);
        return Shortest(g1) + L"." + Shortest(g2) + L"." + Shortest(g3);
    }
    return std::wstring(version);
}

bool VersionGreater(std::wstring_view a, std::wstring_view b) {
    // Lexicographic by code unit, a prefix before the longer text.
    return a > b;
}

bool IsCanonicalVersion(std::wstring_view version) {
    if (version.size() != 19) return false;
    for (std::size_t at = 0; at < version.size(); ++at) {
        const bool separator = at % 5 == 4;
        if (separator ? version[at] != L'.' : version[at] < L'0' || version[at] > L'9') return false;
    }
    return true;
}

std::wstring CanonicalVersion(std::wstring_view version, const LocaleConversions& numbers) {
    try {
        const std::wstring canonical = FormatVersion(version, true, numbers);
        return IsCanonicalVersion(canonical) ? canonical : L"";
    } catch (const PlatformError&) {
        return L"";
    }
}

} // namespace orvh
