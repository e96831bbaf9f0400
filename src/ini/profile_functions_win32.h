#pragma once
// The profile functions GetPrivateProfileStringW / WritePrivateProfileStringW.
#include "ini/profile_functions.h"

namespace orvh {

class Win32ProfileFunctions final : public ProfileFunctions {
public:
    void GetString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultText,
                   std::wstring& buffer, std::size_t size, const std::wstring& file) const override;
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                     const std::wstring& file) override;
};

} // namespace orvh
