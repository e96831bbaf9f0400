#pragma once
// OvFileIni: typed reading and writing of single values of INI-format files through the
// platform's profile functions. Stateless: every call reads or writes the file.
#include <cstdint>
#include <string>

namespace orvh {

class LocaleConversions;
class ProfileFunctions;

class OvFileIni {
public:
    OvFileIni(ProfileFunctions& profile, const LocaleConversions& conversions)
        : profile_(profile), conversions_(conversions) {}

    std::wstring ReadIniString(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                               const std::wstring& DefValue = L"", std::int16_t LenValue = 255) const;
    double ReadIniNumber(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                         double DefValue = 0) const;
    // Dates are automation dates (days since 30 December 1899; 0 is the empty date).
    double ReadIniDate(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                       double DefValue = 0) const;
    bool ReadIniBoolean(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                        bool DefValue = false) const;

    void WriteIniString(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                        const std::wstring& Value);
    void WriteIniBoolean(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                         bool Value);
    void WriteIniNumber(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                        double Value);
    void WriteIniDate(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                      double Value);

private:
    ProfileFunctions& profile_;
    const LocaleConversions& conversions_;
};

} // namespace orvh
