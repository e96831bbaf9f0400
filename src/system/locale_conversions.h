#pragma once
// The platform's locale-aware conversions between text and numbers or dates, as the
// user's regional settings define them. Dates are automation dates: days since
// 30 December 1899, the fraction being the time of day.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

// The outcome of the platform's whole-number conversion.
struct WholeNumber {
    enum class Fault { None, TypeMismatch, Overflow };
    std::int32_t value = 0;
    Fault fault = Fault::None;
};

class LocaleConversions {
public:
    virtual ~LocaleConversions() = default;
    // The number the text denotes, or nullopt when the text is not numeric.
    virtual std::optional<double> ParseNumber(std::wstring_view text) const = 0;
    // The text as a signed 32-bit whole number, read as the platform's ordinary conversion
    // reads it: blanks around it, a sign, the regional decimal and thousands separators,
    // an exponent, "&H"/"&O" patterns; a fraction rounded to the nearest, a half to the
    // even. Type mismatch for no number, overflow beyond 32 bits.
    virtual WholeNumber ToWholeNumber(std::wstring_view text) const = 0;
    // The general number-to-text form: up to 15 significant digits, regional decimal
    // separator, no grouping.
    virtual std::wstring NumberToText(double value) const = 0;
    // The date the text denotes, or nullopt when it is no date.
    virtual std::optional<double> ParseDate(std::wstring_view text) const = 0;
    // The general date-to-text form of the regional settings.
    virtual std::wstring DateToText(double value) const = 0;
    // The regional date separator ("/" in most settings).
    virtual std::wstring DateSeparator() const = 0;
};

} // namespace orvh
