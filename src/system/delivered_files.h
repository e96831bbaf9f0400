#pragma once
// The files of an update set as they arrive from the delivering side: whether one is still
// being written, and whether one is whole in its form before anything else reads it.
#include <string>

namespace orvh {

enum class FileForm {
    Package,    // a structured storage with its summary information
    Patch,      // a package whose summary names transform storages it holds
    Executable, // a program: its headers, sections and signature
};

enum class Arrival { Whole, NotWhole, BeingWritten };

struct ArrivalVerdict {
    Arrival arrival = Arrival::Whole;
    std::wstring fault; // why it is not whole
    bool operator==(const ArrivalVerdict&) const = default;
};

class DeliveredFiles {
public:
    virtual ~DeliveredFiles() = default;
    // Whether another program has the file open for writing (or for itself alone): opening it
    // with read sharing only is refused. False for a file that is not there.
    virtual bool BeingWritten(const std::wstring& path) = 0;
    // The file read in its form through a handle that lets others read it only. A file that
    // cannot be opened for another reason raises a PlatformError.
    virtual ArrivalVerdict Check(const std::wstring& path, FileForm form) = 0;
};

} // namespace orvh
