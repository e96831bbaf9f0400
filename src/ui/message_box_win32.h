#pragma once
// Message boxes through MessageBoxW, owned by the desktop, in front of other windows.
#include "ui/dialogs.h"

namespace orvh {

class Win32Dialogs final : public Dialogs {
public:
    void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;
};

} // namespace orvh
