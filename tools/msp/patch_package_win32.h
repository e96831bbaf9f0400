#pragma once
// The patch package (.msp) itself, made with msi.dll: a database opened in create and
// patch-file mode, whose storage class marks it a patch. It holds the MsiPatchMetadata
// and MsiPatchSequence tables, the transforms as sub-storages (_Storages), the cabinet
// as a stream (_Streams) and a summary that names the target products, the patch code
// and the transforms to apply.
#include <string>
#include <utility>
#include <vector>

namespace orvh::msp {

struct PatchPackageContent {
    std::wstring patchCode;       // {GUID}
    std::wstring targetProducts;  // product codes, ";"-separated
    std::wstring family;          // patch family of MsiPatchSequence
    std::wstring sequence;        // its sequence: the version the patch brings
    std::wstring displayName;
    std::wstring description;
    std::wstring manufacturer;
    std::vector<std::pair<std::wstring, std::wstring>> transforms;  // storage name, transform file
    std::wstring cabinetStream;
    std::wstring cabinetFile;
};

// The summary's transform list: ":name" for each transform, ";"-separated, in order.
std::wstring TransformList(const PatchPackageContent& content);

void WritePatchPackage(const std::wstring& path, const PatchPackageContent& content);

} // namespace orvh::msp
