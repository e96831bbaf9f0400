#pragma once
// Where the fixture packages (bin\fixtures, beside the test programs) are, and where
// they install their files.
#include <string>
#include <string_view>

namespace orvh::test {

// Full path of a fixture package file.
std::wstring FixturePackagePath(std::wstring_view file);

// The folder of a package's INSTALL_FOLDER: the fixture packages are 32-bit packages, so
// their Program Files folder is the 32-bit one.
std::wstring FixtureInstallFolder(std::wstring_view installFolder);

} // namespace orvh::test
