#include "fixture_paths.h"

#include "test_paths.h"

#include "system/windows_api_win32.h"

#include <shlobj.h>

#include <stdexcept>

namespace orvh::test {

std::wstring FixturePackagePath(std::wstring_view file) {
    return TestProgramFolder() + L"\\fixtures\\" + std::wstring(file);
}

std::wstring FixtureInstallFolder(std::wstring_view installFolder) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        throw std::runtime_error("no 32-bit Program Files folder");
    }
    return std::wstring(folder) + L"\\" + std::wstring(installFolder);
}

} // namespace orvh::test
