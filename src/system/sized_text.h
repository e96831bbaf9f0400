#pragma once
// The system functions that fill a caller's text buffer and tell the size they need when
// it is too small, behind one loop.
#include <cstddef>
#include <optional>
#include <string>

namespace orvh {

// Calls `fill(buffer, capacity)`, which writes at most `capacity` code units and returns
// the size the whole text needs, its terminating null included, or 0 when the call
// failed (the thread's last error is left as the call set it). A text that did not fit is
// asked for again in a buffer of the size named. The text, or nullopt on failure.
template <typename Fill>
std::optional<std::wstring> SizedText(Fill&& fill, std::size_t capacity = 256) {
    std::wstring buffer(capacity, L'\0');
    for (;;) {
        const std::size_t needed = fill(buffer.data(), buffer.size());
        if (needed == 0) return std::nullopt;
        if (needed <= buffer.size()) {
            buffer.resize(needed - 1);
            return buffer;
        }
        buffer.assign(needed, L'\0');
    }
}

} // namespace orvh
