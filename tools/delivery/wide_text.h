#pragma once
// UTF-8 and UTF-16, both ways: journals are read back, reports printed.
#include "system/windows_api_win32.h"

#include <string>
#include <string_view>

namespace orvh::test {

inline std::string Utf8(std::wstring_view text) {
    std::string bytes(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                                     nullptr, 0, nullptr, nullptr)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

inline std::wstring FromUtf8(std::string_view bytes) {
    std::wstring text(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                                     nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), static_cast<int>(text.size()));
    return text;
}

} // namespace orvh::test
