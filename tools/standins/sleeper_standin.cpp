// A process to wait for: sleeper_standin.exe MILLISECONDS EXIT_CODE (3221225477 is 0xC0000005).
#include "system/windows_api_win32.h"

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 1;
    ::Sleep(std::wcstoul(argv[1], nullptr, 10));
    return static_cast<int>(std::wcstoul(argv[2], nullptr, 10));
}
