#pragma once
// Locale conversions for tests that read only text values: nothing is a number or a date.
#include "system/locale_conversions.h"

namespace orvh::test {

class TextOnlyConversions final : public LocaleConversions {
public:
    std::optional<double> ParseNumber(std::wstring_view) const override { return std::nullopt; }
    std::wstring NumberToText(double) const override { return L""; }
    std::optional<double> ParseDate(std::wstring_view) const override { return std::nullopt; }
    std::wstring DateToText(double) const override { return L""; }
    std::wstring DateSeparator() const override { return L"/"; }
};

} // namespace orvh::test
