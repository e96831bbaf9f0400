#pragma once
// What the delivering side's tool reads of an update set's files, as Windows Installer,
// the version resource and WinVerifyTrust report them. Versions are held as read; the
// launcher's own rules turn them into its canonical form where it does.
#include "set_rules/set_files.h"
#include "system/delivered_files.h"
#include "system/signatures.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvh::set_tool {

// A full package's properties (its Property table).
struct PackageFacts {
    std::wstring productName, productVersion, productCode, upgradeCode;
};

// One transform of a patch: the product and version it applies to, and what it makes of them.
struct PatchTarget {
    std::wstring productCode, version, resultingProductCode, resultingVersion, upgradeCode;
};

struct PatchFacts {
    std::wstring patchCode;
    std::vector<std::wstring> targetProductCodes;
    std::vector<PatchTarget> targets;
};

struct SignatureFacts {
    FileSignature signature;
    bool timestamped = false;
};

struct FileFacts {
    std::wstring path;
    SetRole role = SetRole::FullPackage;
    std::optional<PackageFacts> package;
    std::optional<PatchFacts> patch;
    std::wstring executableVersion; // the version resource as "a.b.c.d"; empty when none
    SignatureFacts signature;
};

// Reads the facts of files; an unreadable file raises a PlatformError naming the call.
class SetFileReader {
public:
    virtual ~SetFileReader() = default;
    virtual PackageFacts Package(const std::wstring& path) = 0;
    virtual PatchFacts Patch(const std::wstring& path) = 0;
    // "" when the file has no version resource.
    virtual std::wstring ExecutableVersion(const std::wstring& path) = 0;
    virtual SignatureFacts Signature(const std::wstring& path) = 0;
    // The role a file's content gives it; nullopt when it is no whole package, patch or program.
    virtual std::optional<SetRole> RoleOf(const std::wstring& path) = 0;
    // Whether a file has arrived whole in its role, as the launcher checks it before reading it;
    // without a role (the configuration file) only whether it is still being written.
    virtual ArrivalVerdict ArrivalOf(const std::wstring& path, std::optional<SetRole> role) = 0;
};

} // namespace orvh::set_tool
