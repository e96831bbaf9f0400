#pragma once
// Where the fixture packages (bin\fixtures, beside the test programs) are, and where they
// install their files.
#include "test_paths.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace orvh::test {

inline std::wstring FixturePackagePath(std::wstring_view file) {
    return TestProgramFolder() + L"\\fixtures\\" + std::wstring(file);
}

// The fixture packages are 32-bit packages: their Program Files folder is the 32-bit one.
inline std::wstring FixtureInstallFolder(std::wstring_view installFolder) {
    return std::wstring(_wgetenv(L"ProgramFiles(x86)")) + L"\\" + std::wstring(installFolder);
}

} // namespace orvh::test
