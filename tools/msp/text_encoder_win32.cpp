#include "text_encoder_win32.h"

#include "system/win32_error_win32.h"
#include "system/windows_api_win32.h"

#include <stdexcept>

namespace orvh::msp {
namespace {

std::string Ascii(std::wstring_view text) {
    std::string bytes;
    for (const wchar_t c : text) {
        if (c >= 0x80) throw std::invalid_argument("a neutral database holds plain ASCII text only");
        bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}

std::string Converted(std::wstring_view text, UINT codepage) {
    if (text.empty()) return {};
    // UTF-8 takes no replacement checks.
    const bool exact = codepage != CP_UTF8;
    BOOL replaced = FALSE;
    const int length = static_cast<int>(text.size());
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    const int size = ::WideCharToMultiByte(codepage, flags, text.data(), length, nullptr, 0, nullptr,
                                           exact ? &replaced : nullptr);
    if (size == 0) ThrowLastError(L"WideCharToMultiByte");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(codepage, flags, text.data(), length, bytes.data(), size, nullptr,
                              exact ? &replaced : nullptr) == 0) {
        ThrowLastError(L"WideCharToMultiByte");
    }
    if (replaced) throw std::invalid_argument("text the database's code page cannot hold");
    return bytes;
}

} // namespace

TextEncoder CodepageEncoder(std::uint32_t codepage) {
    if (codepage == 0) return Ascii;
    return [codepage](std::wstring_view text) { return Converted(text, codepage); };
}

} // namespace orvh::msp
