#include "set_tool/delivery_expectations.h"

#include "installer/version.h"

#include <algorithm>

namespace orvh::set_tool {

std::wstring OwnVersion(const FileFacts& file, const LocaleConversions& numbers) {
    switch (file.role) {
    case SetRole::FullPackage: return CanonicalVersion(file.package->productVersion, numbers);
    case SetRole::Patch:
        return file.patch->targets.empty() ? L"" : CanonicalVersion(file.patch->targets.front().resultingVersion, numbers);
    case SetRole::Launcher: break;
    }
    return CanonicalVersion(file.executableVersion, numbers);
}

bool Targets(const PatchTarget& target, const std::wstring& productCode, const std::wstring& version,
             const LocaleConversions& numbers) {
    return target.productCode == productCode && CanonicalVersion(target.version, numbers) == version;
}

bool TargetsFullPackage(const PatchFacts& patch, const PackageFacts& package, const LocaleConversions& numbers) {
    const std::wstring version = CanonicalVersion(package.productVersion, numbers);
    return std::ranges::any_of(patch.targets, [&](const PatchTarget& target) {
        return Targets(target, package.productCode, version, numbers);
    });
}

} // namespace orvh::set_tool
