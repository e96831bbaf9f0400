#pragma once
// Message boxes through MessageBoxW, in front of other windows.
#include "system/windows_api_win32.h"
#include "ui/dialogs.h"

namespace orvh {

class Win32Dialogs final : public Dialogs {
public:
    // Boxes are owned by `owner`, or by the thread's active window when it is null.
    explicit Win32Dialogs(HWND owner = nullptr) : owner_(owner) {}
    bool ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;

private:
    HWND owner_;
};

} // namespace orvh
