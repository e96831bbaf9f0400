#pragma once
// A folder for the builder's intermediate files (transforms, cabinet), removed with
// everything in it when the object goes.
#include <string>

namespace orvh::msp {

class ScratchFolder {
public:
    // Creates `path`; throws PlatformError when it cannot.
    explicit ScratchFolder(std::wstring path);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

} // namespace orvh::msp
