#pragma once
// Makes a patch package from a target package and an upgraded package of the same
// product: transform 1 carries the upgraded package's table differences, transform 2
// ("#") the patch's media row and PatchPackage table, and the upgraded package's
// cabinet travels inside the patch.
#include <string>

namespace orvh::msp {

struct PatchRequest {
    std::wstring target;    // .msi the patch applies to
    std::wstring upgraded;  // .msi of the same product code with the new version and files
    std::wstring patchCode; // {GUID}
    std::wstring output;    // .msp to write
};

// Throws PlatformError for a failed system call, std::exception for packages it cannot
// turn into a patch.
void BuildPatch(const PatchRequest& request);

} // namespace orvh::msp
