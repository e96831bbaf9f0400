#include "system/platform_error.h"

namespace orvh {

std::wstring UnhandledErrorReportText(const PlatformError& error) {
    return L"Errore di run-time '" + std::to_wstring(error.Number()) + L"':\r\n\r\n" + error.Description();
}

} // namespace orvh
