#include "system/locale_conversions_win32.h"

#include "system/win32_error_win32.h"

#include <oleauto.h>

#include <memory>

namespace orvh {
namespace {

struct BstrDeleter {
    void operator()(BSTR s) const noexcept { ::SysFreeString(s); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrDeleter>;

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
    wchar_t separator[8] = {};
    if (::GetLocaleInfoW(locale_, LOCALE_SDATE, separator, 8) == 0) ThrowLastError(L"GetLocaleInfoW");
    return separator;
}

} // namespace orvh
