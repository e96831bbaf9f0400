#pragma once
// Locale-aware conversions through oleaut32's variant conversions.
#include "system/locale_conversions.h"
#include "system/windows_api_win32.h"

namespace orvh {

class VariantLocaleConversions final : public LocaleConversions {
public:
    explicit VariantLocaleConversions(LCID locale = LOCALE_USER_DEFAULT) : locale_(locale) {}

    std::optional<double> ParseNumber(std::wstring_view text) const override;
    WholeNumber ToWholeNumber(std::wstring_view text) const override;
    std::wstring NumberToText(double value) const override;
    std::optional<double> ParseDate(std::wstring_view text) const override;
    std::wstring DateToText(double value) const override;
    std::wstring DateSeparator() const override;

private:
    LCID locale_;
};

} // namespace orvh
