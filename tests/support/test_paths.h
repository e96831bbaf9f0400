#pragma once
// Where the Windows-side tests find the program under test, and scratch folders and files.
#include <string>
#include <vector>

namespace orvh::test {

// The folder of the running test program; OrvhUpdate.exe and the stand-ins are built beside it.
std::wstring TestProgramFolder();
std::wstring OrvhUpdateExe();

// A new empty folder under %TEMP%, deleted with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The names in a folder, sorted; none when it cannot be read.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// Writes `bytes` to a new file (replacing an existing one).
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
void MakeReadOnly(const std::wstring& path);

} // namespace orvh::test
