#include "fault_injection.h"

#include "system/win32_error_win32.h"

namespace orvh::test {

UniqueFile HoldWithoutSharing(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(L"HoldWithoutSharing " + path);
    return file;
}

void MakeReadOnly(const std::wstring& path) {
    if (!::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) ThrowLastError(L"MakeReadOnly " + path);
}

std::chrono::milliseconds CpuTime(HANDLE process) {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &ended, &kernel, &user)) ThrowLastError(L"GetProcessTimes");
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10000);
}

std::vector<std::wstring> UpdateSubFoldersIn(const std::wstring& folder) {
    std::vector<std::wstring> present;
    for (const wchar_t* name : {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"}) {
        const DWORD attributes = ::GetFileAttributesW((folder + L"\\" + name).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) present.push_back(name);
    }
    return present;
}

std::wstring UnhandledErrorText(unsigned long number) {
    return L"Errore di run-time '" + std::to_wstring(number) + L"':\r\n\r\n" + SystemErrorDescription(number);
}

void MakeFolderPath(const std::wstring& path) {
    for (std::size_t at = path.find(L'\\', 3);; at = path.find(L'\\', at + 1)) {
        ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        if (at == std::wstring::npos) break;
    }
}

} // namespace orvh::test
