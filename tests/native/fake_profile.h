#pragma once
// In-memory INI files behind the profile-function interface, with the system's buffer
// behaviour: at most size - 1 characters and a NUL are written, the default is copied
// when the key is missing, nothing is written for size 0.
#include "ini/profile_functions.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <tuple>

namespace orvh::test {

class FakeProfile final : public ProfileFunctions {
public:
    void Set(const std::wstring& file, const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        values_[{Key(file), Key(section), Key(key)}] = value;
    }

    void GetString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultText,
                   std::wstring& buffer, std::size_t size, const std::wstring& file) const override {
        ++reads_;
        size = std::min(size, buffer.size());
        if (size == 0) return;
        const auto it = values_.find({Key(file), Key(section), Key(key)});
        const std::wstring& value = it == values_.end() ? defaultText : it->second;
        const std::size_t n = std::min(value.size(), size - 1);
        std::copy_n(value.begin(), n, buffer.begin());
        buffer[n] = L'\0';
    }
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                     const std::wstring& file) override {
        Set(file, section, key, value);
    }

    int Reads() const { return reads_; }

private:
    static std::wstring Key(std::wstring text) {
        std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
        return text;
    }

    std::map<std::tuple<std::wstring, std::wstring, std::wstring>, std::wstring> values_;
    mutable int reads_ = 0;
};

} // namespace orvh::test
