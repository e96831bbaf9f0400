#include "ini/profile_functions_win32.h"

#include "system/windows_api_win32.h"

#include <algorithm>

namespace orvh {

void Win32ProfileFunctions::GetString(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& defaultText, std::wstring& buffer, std::size_t size,
                                      const std::wstring& file) const {
    const auto given = static_cast<DWORD>(std::min(size, buffer.size()));
    ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultText.c_str(), buffer.data(), given, file.c_str());
}

void Win32ProfileFunctions::WriteString(const std::wstring& section, const std::wstring& key,
                                        const std::wstring& value, const std::wstring& file) {
    ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

} // namespace orvh
