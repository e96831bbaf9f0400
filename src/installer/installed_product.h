#pragma once
// Facts about the installed edition and about package and executable files. An installed
// product matches an edition when both its name and its upgrade code equal the edition's,
// as exact text.
#include "common/expand_path.h"

#include <optional>
#include <string>
#include <string_view>

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
// What Windows Installer keeps of the first matching product's package.
struct InstalledPackage {
    std::wstring productCode;
    std::wstring source;      // the folder it was installed from, expanded; empty when unreadable
    std::wstring packageName; // its file name there; empty when unreadable
};
std::optional<InstalledPackage> FindInstalledPackage(const InstalledProductQueries& q, const std::wstring& productName,
                                                     const std::wstring& upgradeCode);
// Installation source folder of the last matching product; empty when none matches.
std::wstring GetInstallSource(const InstalledProductQueries& q, const std::wstring& productName,
                              const std::wstring& upgradeCode);
// Whether the first matching product's package is still in its installation source.
bool InstallSourceAvailable(const InstalledProductQueries& q, const std::wstring& productName,
                            const std::wstring& upgradeCode);
// Whether a text is a GUID in braces, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} with hexadecimal
// digits X: the only product code that may name a folder.
bool IsBracedGuid(std::wstring_view text);
// The product code of a package file; empty when no file is there. Installer failures go
// to the caller.
std::wstring GetPackageProductCode(const InstalledProductQueries& q, const std::wstring& packagePath);
// A package file's own ProductVersion, canonical. Installer failures go to the caller.
std::wstring GetPackageVersion(const InstalledProductQueries& q, const std::wstring& packagePath);
// A file's version in the form FormatVersion gives; empty when it cannot be read.
std::wstring GetFileVersion(const InstalledProductQueries& q, const std::wstring& filePath, bool fourGroups);

} // namespace orvh
