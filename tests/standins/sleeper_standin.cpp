// A process to wait for: sleeper_standin.exe MILLISECONDS EXIT_CODE sleeps, then ends with the
// exit code (read as an unsigned 32-bit number, so 3221225477 gives 0xC0000005).
#include "system/windows_api_win32.h"

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 1;
    ::Sleep(std::wcstoul(argv[1], nullptr, 10));
    return static_cast<int>(std::wcstoul(argv[2], nullptr, 10));
}
