// The trivial program of the start-up figure: it shows one box and ends, so its start
// is what any program pays before its first box appears.
#include "system/windows_api_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::MessageBoxW(nullptr, L"Bench", L"Bench", MB_OK | MB_ICONINFORMATION);
    return 0;
}
