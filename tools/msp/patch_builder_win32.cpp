#include "patch_builder_win32.h"

#include "compound_file_win32.h"
#include "installer_database_win32.h"
#include "patch_package_win32.h"
#include "patch_tables.h"
#include "scratch_folder_win32.h"
#include "text_encoder_win32.h"
#include "transform_content.h"
#include "transform_summary.h"

#include "system/windows_api_win32.h"

#include <msidefs.h>

#include <cwctype>
#include <stdexcept>

namespace orvh::msp {
namespace {

const wchar_t* const kCabinetStream = L"patch.cab";
const wchar_t* const kMediaSourceProperty = L"PATCHMediaSrcProp";
const wchar_t* const kTableTransform = L"T1";
const wchar_t* const kMediaTransform = L"#T1";

ProductState StateOf(const Tables& tables, const InstallerDatabase& database) {
    return ProductState{PropertyValue(tables, L"ProductCode"), PropertyValue(tables, L"ProductVersion"),
                        PropertyValue(tables, L"UpgradeCode"), database.SummaryText(PID_TEMPLATE)};
}

// The stream of the package's one embedded cabinet ("#name" in the Media table).
std::wstring EmbeddedCabinet(const Tables& tables) {
    const Table& media = tables.at(L"Media");
    const std::size_t cabinet = ColumnIndex(media, L"Cabinet");
    std::wstring stream;
    for (const auto& row : media.rows) {
        const auto* name = std::get_if<std::wstring>(&row[cabinet]);
        if (!name || name->empty() || name->front() != L'#') continue;
        if (!stream.empty() && stream != name->substr(1)) throw std::runtime_error("more than one embedded cabinet");
        stream = name->substr(1);
    }
    if (stream.empty()) throw std::runtime_error("the upgraded package embeds no cabinet");
    return stream;
}

// Letters and digits of the product name: the patch family.
std::wstring Family(const std::wstring& productName) {
    std::wstring family;
    for (const wchar_t c : productName) {
        if (std::iswalnum(c)) family.push_back(c);
    }
    return family;
}

} // namespace

void BuildPatch(const PatchRequest& request) {
    const ScratchFolder scratch(request.output + L".parts");
    const InstallerDatabase target(request.target);
    const InstallerDatabase upgraded(request.upgraded);
    const Tables targetTables = target.ReadTables();
    Tables upgradedTables = upgraded.ReadTables();
    const ProductState from = StateOf(targetTables, target);
    const ProductState to = StateOf(upgradedTables, upgraded);
    if (from.productCode != to.productCode) throw std::runtime_error("the packages have different product codes");

    const std::int32_t lastSequence = LastSequence(targetTables);
    const std::int32_t patchSequence = SequencePatchedFiles(targetTables, upgradedTables, lastSequence);
    if (patchSequence == lastSequence) throw std::runtime_error("the upgraded package changes no file");

    const std::uint32_t codepage = target.Codepage(scratch.Path(), L"codepage.idt");
    const TransformText text{codepage, CodepageEncoder(codepage)};
    const std::int32_t installerVersion = target.SummaryInteger(PID_PAGECOUNT);
    const std::wstring tableTransform = scratch.File(L"tables.mst");
    WriteCompoundFile(tableTransform, kTransformStorageClass,
                      TransformStreams(targetTables, upgradedTables, {L"Media"}, text,
                                       TransformSummary(from, to, installerVersion)));

    const PatchMedia media{request.patchCode, kCabinetStream, kMediaSourceProperty, patchSequence};
    const std::wstring mediaTransform = scratch.File(L"media.mst");
    WriteCompoundFile(mediaTransform, kTransformStorageClass,
                      TransformStreams(targetTables, WithPatchMedia(targetTables, media), {}, text,
                                       TransformSummary(to, to, installerVersion)));

    const std::wstring cabinet = scratch.File(L"patch.cab");
    upgraded.SaveStream(EmbeddedCabinet(upgradedTables), cabinet);

    const std::wstring productName = PropertyValue(upgradedTables, L"ProductName");
    PatchPackageContent content;
    content.patchCode = request.patchCode;
    content.targetProducts = from.productCode;
    content.family = Family(productName);
    content.sequence = to.version;
    content.displayName = productName + L" " + to.version;
    content.description = L"Updates " + productName + L" " + from.version + L" to " + to.version + L".";
    content.manufacturer = PropertyValue(upgradedTables, L"Manufacturer");
    content.transforms = {{kTableTransform, tableTransform}, {kMediaTransform, mediaTransform}};
    content.cabinetStream = kCabinetStream;
    content.cabinetFile = cabinet;
    WritePatchPackage(request.output, content);
}

} // namespace orvh::msp
