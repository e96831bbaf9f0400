#include "stream_name.h"

#include <optional>
#include <stdexcept>

namespace orvh::msp {
namespace {

constexpr wchar_t kTableMark = 0x4840;
constexpr wchar_t kPairBase = 0x3800;
constexpr wchar_t kSingleBase = 0x4800;
constexpr std::size_t kMaxStoredLength = 31;

// Position of a character in the 64-character alphabet the packing uses.
std::optional<unsigned> AlphabetIndex(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
    if (c >= L'a' && c <= L'z') return c - L'a' + 36;
    if (c == L'.') return 62;
    if (c == L'_') return 63;
    return std::nullopt;
}

} // namespace

std::wstring EncodeStreamName(std::wstring_view name, StreamKind kind) {
    std::wstring stored;
    if (kind == StreamKind::Table) stored.push_back(kTableMark);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto first = AlphabetIndex(name[i]);
        if (!first) {
            stored.push_back(name[i]);
            continue;
        }
        const auto second = i + 1 < name.size() ? AlphabetIndex(name[i + 1]) : std::nullopt;
        if (second) {
            stored.push_back(static_cast<wchar_t>(kPairBase + *first + (*second << 6)));
            ++i;
        } else {
            stored.push_back(static_cast<wchar_t>(kSingleBase + *first));
        }
    }
    if (stored.size() > kMaxStoredLength) throw std::length_error("stream name too long for a compound file");
    return stored;
}

} // namespace orvh::msp
