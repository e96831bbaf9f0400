// A process to wait for: sleeper_standin.exe MILLISECONDS EXIT_CODE [MARKER]
// sleeps, then ends with the exit code (read as an unsigned 32-bit number, so codes such as
// 0xC0000005 can be given as 3221225477). With MARKER, it writes "started" into that file
// when it starts and "ended" when it has slept, so an observer can tell a process that ran
// to its end from one that was killed.
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"

#include <cwchar>
#include <string>

namespace {

void Mark(const wchar_t* path, const char* text) {
    const orvh::UniqueFile file(
        ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), text, static_cast<DWORD>(std::char_traits<char>::length(text)), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 1;
    const DWORD milliseconds = std::wcstoul(argv[1], nullptr, 10);
    const DWORD exitCode = std::wcstoul(argv[2], nullptr, 10);
    const wchar_t* marker = argc > 3 ? argv[3] : nullptr;
    if (marker) Mark(marker, "started");
    ::Sleep(milliseconds);
    if (marker) Mark(marker, "ended");
    return static_cast<int>(exitCode);
}
