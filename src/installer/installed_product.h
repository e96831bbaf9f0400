#pragma once
// Facts about the installed edition and about package and executable files. An installed
// product matches an edition when both its name and its upgrade code equal the edition's,
// as exact text.
#include "common/expand_path.h"

#include <string>

namespace orvh {

class FileSystem;
class InstallerEngine;
class LocaleConversions;

struct InstalledProductQueries {
    InstallerEngine& installer;
    const FileSystem& fileSystem;
    // The platform's expansion of environment references in installation source folders.
    EnvironmentExpander expand;
    // Reads the groups of the versions Windows Installer reports.
    const LocaleConversions& numbers;
};

// Version of the first matching product, canonical or display form; empty when none
// matches or its version cannot be read.
std::wstring GetInstalledVersion(const InstalledProductQueries& q, const std::wstring& productName,
                                 const std::wstring& upgradeCode, bool fourGroups);
// Installation source folder of the last matching product; empty when none matches.
std::wstring GetInstallSource(const InstalledProductQueries& q, const std::wstring& productName,
                              const std::wstring& upgradeCode);
// Whether the first matching product's package is still in its installation source.
bool InstallSourceAvailable(const InstalledProductQueries& q, const std::wstring& productName,
                            const std::wstring& upgradeCode);
// The product code of a package file; empty when no file is there. Installer failures go
// to the caller.
std::wstring GetPackageProductCode(const InstalledProductQueries& q, const std::wstring& packagePath);
// A package file's own ProductVersion, canonical. Installer failures go to the caller.
std::wstring GetPackageVersion(const InstalledProductQueries& q, const std::wstring& packagePath);
// A file's version in the form FormatVersion gives; empty when it cannot be read.
std::wstring GetFileVersion(const InstalledProductQueries& q, const std::wstring& filePath, bool fourGroups);

} // namespace orvh
