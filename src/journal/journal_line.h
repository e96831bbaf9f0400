#pragma once
// How an event stands in the journal: one event, one line.
#include <string>
#include <string_view>

namespace orvh {

// The event with the line breaks of a message's text written as \r and \n.
inline std::wstring OneLine(std::wstring_view event) {
    std::wstring line;
    for (const wchar_t c : event) line += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
    return line;
}

} // namespace orvh
