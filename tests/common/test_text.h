#pragma once
// Wide text in failure messages, and the program's string table read from ORVH_STRINGS_TXT.
#include <cstdint>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvh::test {

// UTF-8 for failure messages (the texts are Italian; every character is in the BMP).
inline std::string Narrow(std::wstring_view text) {
    std::string out;
    for (const wchar_t c : text) {
        const auto u = static_cast<std::uint32_t>(c);
        const int extra = u < 0x80 ? 0 : u < 0x800 ? 1 : 2;
        out += static_cast<char>(extra == 0 ? u : (extra == 1 ? 0xC0 : 0xE0) | (u >> (6 * extra)));
        for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((u >> (6 * k)) & 0x3F));
    }
    return out;
}

// A continuation byte adds its six bits to the character its lead byte began.
inline std::wstring Widen(std::string_view utf8) {
    std::wstring out;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xC0 && !out.empty()) {
            out.back() = static_cast<wchar_t>((out.back() << 6) | (b & 0x3F));
        } else {
            out += static_cast<wchar_t>(b < 0x80 ? b : b < 0xE0 ? (b & 0x1F) : (b & 0x0F));
        }
    }
    return out;
}

// The text of one string of the program's string table, exactly as the build takes it.
inline std::wstring StringText(std::int32_t id) {
    static const std::map<std::int32_t, std::wstring> table = [] {
        std::ifstream in(ORVH_STRINGS_TXT, std::ios::binary);
        if (!in) throw std::runtime_error("cannot read " ORVH_STRINGS_TXT);
        std::map<std::int32_t, std::wstring> texts;
        for (std::string line; std::getline(in, line);) {
            const auto tab = line.find('\t');
            if (line[0] == '#' || tab == std::string::npos) continue;
            texts[std::stoi(line.substr(0, tab))] = Widen(line.substr(tab + 1));
        }
        return texts;
    }();
    return table.at(id);
}

}  // namespace orvh::test
