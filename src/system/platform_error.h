#pragma once
// An error raised by a platform operation: its number (a Windows error code for the
// Win32 adapters), where it was raised and the system's description of it. Errors the
// run does not catch end the program with the platform's error report.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvh {

class PlatformError : public std::runtime_error {
public:
    PlatformError(std::int32_t number, std::wstring source, std::wstring description)
        : std::runtime_error("platform error"), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::wstring& Source() const noexcept { return source_; }
    const std::wstring& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::wstring source_;
    std::wstring description_;
};

// Text of the platform's error report for an error nothing caught.
std::wstring UnhandledErrorReportText(const PlatformError& error);

} // namespace orvh
