#pragma once
// The platform's profile functions over INI-format files.
#include <cstddef>
#include <string>

namespace orvh {

class ProfileFunctions {
public:
    virtual ~ProfileFunctions() = default;
    // Reads a value into `buffer`, telling the system that the buffer holds `size`
    // characters (at most `buffer.size()`); the system writes at most `size` characters,
    // its terminating NUL included, and leaves the rest of the buffer as it was.
    virtual void GetString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultText,
                           std::wstring& buffer, std::size_t size, const std::wstring& file) const = 0;
    // Writes a value; the system creates the file, section or key as needed.
    virtual void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                             const std::wstring& file) = 0;
};

} // namespace orvh
