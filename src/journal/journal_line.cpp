#include "journal/journal_line.h"

namespace orvh {

std::wstring OneLine(std::wstring_view event) {
    std::wstring line;
    for (const wchar_t c : event) line += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
    return line;
}

} // namespace orvh
