#include "test_paths.h"

#include "resources/ov_res_dll_win32.h"
#include "system/file_system_win32.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace orvh::test {

std::wstring TestProgramFolder() {
    const std::wstring exe = ProgramExecutablePath();
    return exe.substr(0, exe.rfind(L'\\'));
}

std::wstring OrvhUpdateExe() { return TestProgramFolder() + L"\\OrvhUpdate.exe"; }

ScratchFolder::ScratchFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base(temp);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    for (;;) {
        path_ = base + L"\\orvh-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++);
        if (::CreateDirectoryW(path_.c_str(), nullptr)) return;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError(L"ScratchFolder");
    }
}

ScratchFolder::~ScratchFolder() {
    try {
        Win32FileSystem().DeleteFolder(path_);
    } catch (const PlatformError&) {
        // A test that leaves a file locked must not also fail the next test's cleanup.
    }
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find) return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.get(), &entry));
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(L"WriteFileBytes");
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        ThrowLastError(L"WriteFileBytes");
    }
}

std::string ReadFileBytes(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) ThrowLastError(L"ReadFileBytes");
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

} // namespace orvh::test
