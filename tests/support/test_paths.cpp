#include "test_paths.h"

#include "system/file_system_win32.h"
#include "system/platform_error.h"
#include "system/win32_error_win32.h"
#include "system/windows_api_win32.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orvh::test {

std::wstring TestProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring exe(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return exe.substr(0, exe.rfind(L'\\'));
}

std::wstring OrvhUpdateExe() { return TestProgramFolder() + L"\\OrvhUpdate.exe"; }

ScratchFolder::ScratchFolder() {
    static unsigned counter = 0;
    const auto base = std::filesystem::temp_directory_path() / ("orvh-test-" + std::to_string(::GetCurrentProcessId()));
    while (!std::filesystem::create_directories(base / std::to_string(++counter))) {
    }
    path_ = (base / std::to_string(counter)).wstring();
}

ScratchFolder::~ScratchFolder() {
    try {
        Win32FileSystem().DeleteFolder(path_);  // the product's own forced deletion: read-only files too
    } catch (const PlatformError&) {
        // A test that leaves a file locked must not also fail the next test's cleanup.
    }
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    if (!(file << bytes)) throw std::runtime_error("cannot write a test file");
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) throw std::runtime_error("cannot read a test file");
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void MakeReadOnly(const std::wstring& path) {
    if (!::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) ThrowLastError(L"MakeReadOnly " + path);
}

} // namespace orvh::test
