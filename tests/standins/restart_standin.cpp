// Asks Windows to restart, as the launcher does after removing font files:
// restart_standin.exe force|ask FOLDER
// writes FOLDER\requested, calls RestartWindows (forced or not), writes FOLDER\returned,
// waits 3 seconds and writes FOLDER\survived. An observer outside Windows tells from the
// files left behind whether the restart ended this program.
#include "system/restart_win32.h"
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"

#include <string>

namespace {

void Mark(const std::wstring& path) {
    const orvh::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 1;
    const std::wstring mode = argv[1];
    if (mode != L"force" && mode != L"ask") return 1;
    const std::wstring folder = argv[2];
    Mark(folder + L"\\requested");
    orvh::RestartWindows(mode == L"force");
    Mark(folder + L"\\returned");
    ::Sleep(3000);
    Mark(folder + L"\\survived");
    return 0;
}
