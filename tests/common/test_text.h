#pragma once
// Text helpers shared by every test program, native and Windows-side: printing wide text
// in failure messages, and the program's own string table read from res/strings.txt so
// that no test keeps a second copy of the texts.
#include <cstdint>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#ifndef ORVH_STRINGS_TXT
#error "ORVH_STRINGS_TXT must name res/strings.txt"
#endif

namespace orvh::test {

// UTF-8 for failure messages (the texts are Italian; every character is in the BMP).
inline std::string Narrow(std::wstring_view text) {
    std::string out;
    for (const wchar_t c : text) {
        const auto u = static_cast<std::uint32_t>(c);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

inline std::wstring Widen(std::string_view utf8) {
    std::wstring out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : 2;
        std::uint32_t u = extra == 0 ? b : extra == 1 ? (b & 0x1F) : (b & 0x0F);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
            u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out += static_cast<wchar_t>(u);
        i += 1 + extra;
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
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const auto tab = line.find('\t');
            if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
            texts[std::stoi(line.substr(0, tab))] = Widen(line.substr(tab + 1));
        }
        return texts;
    }();
    return table.at(id);
}

}  // namespace orvh::test
