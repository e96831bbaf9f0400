#include "resources/string_table.h"

namespace orvh {

std::wstring MissingResourceText(std::int32_t index) {
    return L"Manca la risora: " + std::to_wstring(index) + L" OrvhUpdate";
}

} // namespace orvh
