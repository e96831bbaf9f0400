#pragma once
// OvFileIni: typed reading and writing of single values of INI-format files through the
// platform's profile functions. Stateless: every call reads or writes the file.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvh {

class LocaleConversions;
class ProfileFunctions;

class OvFileIni {
public:
    OvFileIni(ProfileFunctions& profile, const LocaleConversions& conversions)
        : profile_(profile), conversions_(conversions) {}

    // LenValue is the read buffer in characters; the system gets one less, so the value
    // comes back cut to LenValue - 2 characters. Below 1 it yields DefValue.
    std::wstring ReadIniString(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                               const std::wstring& DefValue = L"", std::int16_t LenValue = 255) const;
    double ReadIniNumber(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                         double DefValue = 0) const;
    // Dates are automation dates (days since 30 December 1899; 0 is the empty date).
    // A stored text that is no date, or is the empty date, yields DefValue.
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
    // Writes "dd/mm/yyyy hh.nn.ss" with the regional date separator for "/"; a value
    // outside the automation date range raises std::out_of_range.
    void WriteIniDate(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                      double Value);

private:
    bool IsEmptyDate(std::wstring_view Value) const;

    ProfileFunctions& profile_;
    const LocaleConversions& conversions_;
};

} // namespace orvh
