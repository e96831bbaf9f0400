// Versions as a configuration file or the installer may write them. The input is one
// version text; a second text after a line break is the other side of a comparison.
// Checks the reading of a group against the documented notations, the two forms of
// FormatVersion against each other, and the order of canonical versions.
#include "fuzz_support.h"
#include "installer/version.h"
#include "system/platform_error.h"

#include <array>
#include <optional>
#include <vector>

namespace orvh::fuzz {
namespace {

constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kOverflow = 6;

// A conversion's outcome: its value, or the number of the error it raised.
template <typename T>
struct Outcome {
    std::optional<T> value;
    std::int32_t error = 0;
};

template <typename T, typename F>
Outcome<T> Try(F&& f) {
    try {
        return {f(), 0};
    } catch (const PlatformError& e) {
        ORVH_FUZZ_CHECK(e.Source() == L"OrvhUpdate");
        ORVH_FUZZ_CHECK(e.Number() == kTypeMismatch || e.Number() == kOverflow);
        return {std::nullopt, e.Number()};
    }
}

std::vector<std::wstring_view> Groups(std::wstring_view version) {
    std::vector<std::wstring_view> groups;
    if (version.empty()) return groups;
    for (std::size_t from = 0;;) {
        const auto dot = version.find(L'.', from);
        groups.push_back(version.substr(from, dot == std::wstring_view::npos ? dot : dot - from));
        if (dot == std::wstring_view::npos) return groups;
        from = dot + 1;
    }
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

int Digit(wchar_t c, int base) {
    int d = 99;
    if (c >= L'0' && c <= L'9') d = c - L'0';
    if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
    if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
    return d < base ? d : -1;
}

// The magnitude of a digit string, saturated just above the 32-bit patterns; nullopt
// when it is empty or holds a character that is no digit of `base`.
std::optional<std::uint64_t> Magnitude(std::wstring_view digits, int base) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (wchar_t c : digits) {
        const int d = Digit(c, base);
        if (d < 0) return std::nullopt;
        value = std::min<std::uint64_t>(value * base + d, 0x1'0000'0000ull);
    }
    return value;
}

// What the header promises for one group, worked out on its own.
Outcome<std::int32_t> ExpectedGroup(std::wstring_view group) {
    while (!group.empty() && IsBlank(group.front())) group.remove_prefix(1);
    while (!group.empty() && IsBlank(group.back())) group.remove_suffix(1);
    if (group.size() >= 2 && group[0] == L'&' && (group[1] == L'H' || group[1] == L'h' || group[1] == L'O' || group[1] == L'o')) {
        const int base = group[1] == L'H' || group[1] == L'h' ? 16 : 8;
        const auto m = Magnitude(group.substr(2), base);
        if (!m) return {std::nullopt, kTypeMismatch};
        if (*m > 0xFFFF'FFFFull) return {std::nullopt, kOverflow};
        return {static_cast<std::int32_t>(static_cast<std::uint32_t>(*m)), 0};
    }
    const bool negative = !group.empty() && group[0] == L'-';
    if (!group.empty() && (group[0] == L'-' || group[0] == L'+')) group.remove_prefix(1);
    const auto m = Magnitude(group, 10);
    if (!m) return {std::nullopt, kTypeMismatch};
    if (*m > (negative ? 0x8000'0000ull : 0x7FFF'FFFFull)) return {std::nullopt, kOverflow};
    return {static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(*m) : static_cast<std::int64_t>(*m)), 0};
}

Outcome<std::int32_t> ReadGroup(std::wstring_view group) {
    return Try<std::int32_t>([&] { return ReadVersionGroup(group); });
}

// "-?[0-9]{min,}" without leading zeros beyond what `min` asks for.
bool IsNumberText(std::wstring_view text, std::size_t minDigits) {
    if (!text.empty() && text[0] == L'-') text.remove_prefix(1);
    if (text.size() < minDigits) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    return text.size() == minDigits || text[0] != L'0' || text.size() == 1;
}

void CheckGroup(std::wstring_view group) {
    const auto got = ReadGroup(group);
    const auto expected = ExpectedGroup(group);
    ORVH_FUZZ_CHECK(got.value == expected.value && got.error == expected.error);
}

void CheckFormat(std::wstring_view version) {
    const auto groups = Groups(version);
    const auto canonical = Try<std::wstring>([&] { return FormatVersion(version, true); });
    const auto display = Try<std::wstring>([&] { return FormatVersion(version, false); });
    if (groups.size() != 3 && groups.size() != 4) {
        ORVH_FUZZ_CHECK(canonical.value == std::wstring(version) && display.value == std::wstring(version));
        return;
    }
    // The display form reads fewer groups, so it fails only where the canonical one does.
    if (canonical.value) ORVH_FUZZ_CHECK(display.value.has_value());
    // Every group read fails as the first failing group read on its own does.
    std::vector<std::int32_t> values;
    std::int32_t firstError = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto g = ReadGroup(groups[i]);
        if (g.value) {
            values.push_back(*g.value);
        } else if (firstError == 0) {
            firstError = g.error;
        }
    }
    ORVH_FUZZ_CHECK(canonical.error == firstError);
    if (!canonical.value) return;

    const auto out = Groups(*canonical.value);
    ORVH_FUZZ_CHECK(out.size() == 4);
    const std::array<std::int32_t, 4> expected =
        groups.size() == 4 ? std::array{values[0], values[1], values[2], values[3]}
                           : std::array{values[0], values[1], 0, values[2]};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto text = out[i];
        const auto digits = text.substr(text.starts_with(L'-') ? 1 : 0);
        ORVH_FUZZ_CHECK(digits.size() >= 4 && IsNumberText(text, digits.size() > 4 ? 1 : 4));
        ORVH_FUZZ_CHECK(ReadGroup(text).value == expected[i]);
    }
    // The canonical form is a fixed point, and shows as the original does.
    ORVH_FUZZ_CHECK(FormatVersion(*canonical.value, true) == *canonical.value);
    ORVH_FUZZ_CHECK(FormatVersion(*canonical.value, false) == *display.value);
    const auto shown = Groups(*display.value);
    ORVH_FUZZ_CHECK(shown.size() == 3);
    for (const auto g : shown) ORVH_FUZZ_CHECK(IsNumberText(g, 1));
}

// Canonical versions of groups below 10000 order as their numbers do.
void CheckOrder(const std::array<std::int32_t, 4>& a, const std::array<std::int32_t, 4>& b) {
    const auto text = [](const std::array<std::int32_t, 4>& v) {
        return FormatVersion(std::to_wstring(v[0]) + L"." + std::to_wstring(v[1]) + L"." + std::to_wstring(v[2]) +
                                 L"." + std::to_wstring(v[3]),
                             true);
    };
    const std::wstring ta = text(a), tb = text(b);
    ORVH_FUZZ_CHECK(VersionGreater(ta, tb) == (a > b));
    ORVH_FUZZ_CHECK(VersionGreater(tb, ta) == (b > a));
    ORVH_FUZZ_CHECK(!VersionGreater(L"", ta) && VersionGreater(ta, L""));
}

void CheckTextOrder(std::wstring_view a, std::wstring_view b) {
    const bool ab = VersionGreater(a, b), ba = VersionGreater(b, a);
    ORVH_FUZZ_CHECK(!(ab && ba));
    ORVH_FUZZ_CHECK(ab || ba || a == b);
    ORVH_FUZZ_CHECK(!VersionGreater(a, a));
    if (a.starts_with(b) && a.size() > b.size()) ORVH_FUZZ_CHECK(ab);
}

std::array<std::int32_t, 4> SmallGroups(FuzzedDataProvider& data) {
    std::array<std::int32_t, 4> v{};
    for (auto& g : v) g = data.ConsumeIntegralInRange<std::int32_t>(0, 9999);
    return v;
}

} // namespace
} // namespace orvh::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvh::fuzz;
    const std::wstring text = WideFromBytes({reinterpret_cast<const char*>(data), size});
    const auto lineBreak = text.find(L'\n');
    const std::wstring_view first = std::wstring_view(text).substr(0, lineBreak);
    const std::wstring_view second =
        lineBreak == std::wstring::npos ? std::wstring_view() : std::wstring_view(text).substr(lineBreak + 1);

    for (const auto version : {first, second}) {
        CheckFormat(version);
        for (const auto group : Groups(version)) CheckGroup(group);
        CheckGroup(version);
    }
    CheckTextOrder(first, second);

    FuzzedDataProvider numbers(data, size);
    const auto a = SmallGroups(numbers);
    CheckOrder(a, SmallGroups(numbers));
    CheckOrder(a, a);
    return 0;
}
