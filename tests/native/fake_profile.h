#pragma once
// In-memory INI files behind the profile functions, with the system's buffer behaviour
// (at most size - 1 characters and a NUL written, the default copied when the key is
// missing, nothing written for size 0), every call recorded; and locale conversions with
// C-form numbers, a chosen decimal separator and dates written "day <number>".
#include "ini/profile_functions.h"
#include "system/locale_conversions.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <vector>

namespace orvh::test {

class FakeProfile final : public ProfileFunctions {
public:
    void Set(const std::wstring& file, const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        values[file + L"|" + section + L"|" + key] = value;
    }
    void GetString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultText,
                   std::wstring& buffer, std::size_t size, const std::wstring& file) const override {
        reads.push_back(std::to_wstring(size) + L" " + defaultText);
        const auto it = values.find(file + L"|" + section + L"|" + key);
        const std::wstring& value = it == values.end() ? defaultText : it->second;
        if (size == 0) return;
        const std::size_t n = std::min(value.size(), size - 1);
        std::copy_n(value.begin(), n, buffer.begin());
        buffer[n] = L'\0';
    }
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                     const std::wstring& file) override {
        writes.push_back(value);
        Set(file, section, key, value);
    }

    std::map<std::wstring, std::wstring> values;
    mutable std::vector<std::wstring> reads;  // each as "<size given> <default text>"
    std::vector<std::wstring> writes;
};

class FakeConversions final : public LocaleConversions {
public:
    std::optional<double> ParseNumber(std::wstring_view text) const override {
        std::wstring c(text);
        if (c.empty() || (decimal != L'.' && c.find(L'.') != c.npos)) return std::nullopt;
        std::replace(c.begin(), c.end(), decimal, L'.');
        wchar_t* end = nullptr;
        const double value = std::wcstod(c.c_str(), &end);
        return end == c.c_str() + c.size() ? std::optional(value) : std::nullopt;
    }
    std::wstring NumberToText(double value) const override {
        wchar_t text[64];
        std::swprintf(text, 64, L"%.15g", value);
        std::wstring result(text);
        std::replace(result.begin(), result.end(), L'.', decimal);
        return result;
    }
    std::optional<double> ParseDate(std::wstring_view text) const override {
        return text.starts_with(L"day ") ? ParseNumber(text.substr(4)) : std::nullopt;
    }
    std::wstring DateToText(double value) const override { return L"day " + NumberToText(value); }
    std::wstring DateSeparator() const override { return dateSeparator; }

    wchar_t decimal = L'.';
    std::wstring dateSeparator = L"/";
};

} // namespace orvh::test
