#pragma once
// The program under test, the fixture packages, scratch folders and files.
#include "system/windows_api_win32.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace orvh::test {

// OrvhUpdate.exe, the stand-ins and the fixture packages (in fixtures\) are built beside the test.
inline std::wstring TestProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring exe(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return exe.substr(0, exe.rfind(L'\\'));
}

inline std::wstring OrvhUpdateExe() { return TestProgramFolder() + L"\\OrvhUpdate.exe"; }

inline std::wstring FixturePackagePath(std::wstring_view file) {
    return TestProgramFolder() + L"\\fixtures\\" + std::wstring(file);
}

// A new empty folder under %TEMP%, deleted with everything in it when the object goes. Read-only
// files may stay behind: the test host throws the whole prefix away after the run.
class ScratchFolder {
public:
    ScratchFolder() {
        static unsigned counter = 0;
        const auto base = std::filesystem::temp_directory_path() / ("orvh-test-" + std::to_string(::GetCurrentProcessId()));
        while (!std::filesystem::create_directories(base / std::to_string(++counter))) {
        }
        path_ = (base / std::to_string(counter)).wstring();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The names in a folder, sorted; none when it cannot be read.
inline std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

// "" for a missing file.
inline std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace orvh::test
