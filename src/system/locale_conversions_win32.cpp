#include "system/locale_conversions_win32.h"

#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

namespace orvh {
namespace {

UniqueBstr MakeBstr(std::wstring_view text) {
    return UniqueBstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::wstring FromBstr(const UniqueBstr& s) { return s ? std::wstring(s.get(), ::SysStringLen(s.get())) : L""; }

} // namespace

std::optional<double> VariantLocaleConversions::ParseNumber(std::wstring_view text) const {
    const auto s = MakeBstr(text);
    double value = 0;
    if (!s || FAILED(::VarR8FromStr(s.get(), locale_, 0, &value))) return std::nullopt;
    return value;
}

WholeNumber VariantLocaleConversions::ToWholeNumber(std::wstring_view text) const {
    const auto s = MakeBstr(text);
    if (!s) throw Win32Error(ERROR_NOT_ENOUGH_MEMORY, L"SysAllocStringLen");
    LONG value = 0;
    const HRESULT result = ::VarI4FromStr(s.get(), locale_, 0, &value);
    if (result == DISP_E_OVERFLOW) return {0, WholeNumber::Fault::Overflow};
    if (FAILED(result)) return {0, WholeNumber::Fault::TypeMismatch};
    return {static_cast<std::int32_t>(value), WholeNumber::Fault::None};
}

std::wstring VariantLocaleConversions::NumberToText(double value) const {
    BSTR out = nullptr;
    const HRESULT result = ::VarBstrFromR8(value, locale_, 0, &out);
    if (FAILED(result)) throw Win32Error(static_cast<DWORD>(result), L"VarBstrFromR8");
    return FromBstr(UniqueBstr(out));
}

std::optional<double> VariantLocaleConversions::ParseDate(std::wstring_view text) const {
    const auto s = MakeBstr(text);
    DATE value = 0;
    if (!s || FAILED(::VarDateFromStr(s.get(), locale_, 0, &value))) return std::nullopt;
    return value;
}

std::wstring VariantLocaleConversions::DateToText(double value) const {
    BSTR out = nullptr;
    const HRESULT result = ::VarBstrFromDate(value, locale_, 0, &out);
    if (FAILED(result)) throw Win32Error(static_cast<DWORD>(result), L"VarBstrFromDate");
    return FromBstr(UniqueBstr(out));
}

std::wstring VariantLocaleConversions::DateSeparator() const {
    auto separator = SizedText([&](wchar_t* buffer, std::size_t size) -> std::size_t {
        return ::GetLocaleInfoW(locale_, LOCALE_SDATE, buffer, static_cast<int>(size));
    });
    if (!separator) ThrowLastError(L"GetLocaleInfoW");
    return std::move(*separator);
}

} // namespace orvh
