#pragma once
// What the fuzz targets share: turning fuzzer bytes into UTF-16 text as Windows holds it,
// and stopping the run with a readable reason when an invariant does not hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace orvh::fuzz {

// An invariant that does not hold is a finding: report it and abort, so that libFuzzer
// keeps the input as a crash.
#define ORVH_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                            \
        }                                                                                            \
    } while (false)

// Bytes as text: well-formed UTF-8 sequences become their characters (beyond the BMP as
// surrogate pairs, as in UTF-16), any other byte the character of the same value. The
// seeds can so be written as plain text, and every byte string is still some text.
inline std::wstring WideFromBytes(std::string_view bytes) {
    std::wstring text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : 0;
        char32_t code = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : lead & 0x1Fu;
        bool wellFormed = extra > 0;
        for (int k = 1; wellFormed && k <= extra; ++k) {
            if (i + k >= bytes.size()) {
                wellFormed = false;
                break;
            }
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0u) != 0x80u) wellFormed = false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (wellFormed && ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
                           (code >= 0xD800 && code <= 0xDFFF))) {
            wellFormed = false;
        }
        if (!wellFormed) {
            text += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            text += static_cast<wchar_t>(0xD800 + (code >> 10));
            text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            text += static_cast<wchar_t>(code);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return text;
}

// A text of at most `maxBytes` bytes from the provider.
inline std::wstring ConsumeText(FuzzedDataProvider& data, std::size_t maxBytes) {
    return WideFromBytes(data.ConsumeRandomLengthString(maxBytes));
}

} // namespace orvh::fuzz
