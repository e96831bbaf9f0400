// Stands in for a program the launcher starts (the product, the cluster tool): records how
// it was started - its own path, the show command, and the command line exactly as it
// received it - in a new file <process id>.txt of the folder named by ORVH_STANDIN_LOG,
// then ends. The file is written under another name first and renamed, so a reader never
// sees half a record.
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"

#include <string>

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t buffer[32768] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
    return length < 32768 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring OwnPath() {
    wchar_t buffer[32768] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, 32768);
    return std::wstring(buffer, length);
}

// The show command the starter asked for, or -1 when it asked for none.
int ShowCommand() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
}

bool WriteRecord(const std::wstring& path, const std::wstring& record) {
    const orvh::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const DWORD size = static_cast<DWORD>(record.size() * sizeof(wchar_t));
    DWORD written = 0;
    return ::WriteFile(file.get(), record.data(), size, &written, nullptr) && written == size;
}

} // namespace

int wmain() {
    const std::wstring folder = EnvironmentValue(L"ORVH_STANDIN_LOG");
    if (folder.empty()) return 1;
    const std::wstring record =
        OwnPath() + L"\n" + std::to_wstring(ShowCommand()) + L"\n" + std::wstring(::GetCommandLineW());
    const std::wstring name = folder + L"\\" + std::to_wstring(::GetCurrentProcessId());
    if (!WriteRecord(name + L".tmp", record)) return 2;
    return ::MoveFileW((name + L".tmp").c_str(), (name + L".txt").c_str()) ? 0 : 3;
}
