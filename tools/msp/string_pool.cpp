#include "string_pool.h"

#include <limits>
#include <stdexcept>

namespace orvh::msp {

std::uint32_t StringPool::Reference(const std::string& encoded) {
    if (encoded.empty()) return 0;
    // Longer strings take an extra pool entry whose id numbering readers disagree on.
    if (encoded.size() > std::numeric_limits<std::uint16_t>::max()) throw std::length_error("string too long");
    auto found = ids_.find(encoded);
    if (found == ids_.end()) {
        // Ids beyond 16 bits would need 3-byte references in every table stream.
        if (entries_.size() == std::numeric_limits<std::uint16_t>::max()) throw std::length_error("too many strings");
        entries_.push_back({encoded, 0});
        found = ids_.emplace(encoded, static_cast<std::uint32_t>(entries_.size())).first;
    }
    auto& entry = entries_[found->second - 1];
    if (entry.references == std::numeric_limits<std::uint16_t>::max()) throw std::overflow_error("string used too often");
    ++entry.references;
    return found->second;
}

Bytes StringPool::PoolStream() const {
    Bytes pool;
    AppendUint32(pool, codepage_);
    for (const auto& entry : entries_) {
        AppendUint16(pool, static_cast<std::uint16_t>(entry.text.size()));
        AppendUint16(pool, entry.references);
    }
    return pool;
}

Bytes StringPool::DataStream() const {
    Bytes data;
    for (const auto& entry : entries_) AppendText(data, entry.text);
    return data;
}

} // namespace orvh::msp
