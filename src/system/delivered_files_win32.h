#pragma once
// The set's files read as they arrived: the layout through a handle that lets others only
// read (so that a writer still at work is refused, and none starts), a patch's transforms
// through its summary information (Windows Installer's), once its layout is known whole.
#include "system/delivered_files.h"

namespace orvh {

class Win32DeliveredFiles final : public DeliveredFiles {
public:
    bool BeingWritten(const std::wstring& path) override;
    ArrivalVerdict Check(const std::wstring& path, FileForm form) override;
};

} // namespace orvh
