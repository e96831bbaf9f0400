#include "transform_summary.h"

#include <stdexcept>

namespace orvh::msp {
namespace {

constexpr std::int16_t kWesternCodepage = 1252;

std::string Ascii(const std::wstring& text) {
    std::string narrow;
    for (const wchar_t c : text) {
        if (c < 0x20 || c > 0x7E) throw std::invalid_argument("summary text must be plain ASCII");
        narrow.push_back(static_cast<char>(c));
    }
    return narrow;
}

} // namespace

std::vector<SummaryProperty> TransformSummary(const ProductState& from, const ProductState& to,
                                              std::int32_t installerVersion) {
    const std::wstring revision =
        from.productCode + from.version + L";" + to.productCode + to.version + L";" + from.upgradeCode;
    const auto validation = static_cast<std::int32_t>((kValidateProduct | kValidateUpgradeCode) << 16);
    return {
        {kCodepage, kWesternCodepage},
        {kTitle, std::string("Transform")},
        {kTemplate, Ascii(from.platformAndLanguage)},
        {kLastAuthor, Ascii(to.platformAndLanguage)},
        {kRevisionNumber, Ascii(revision)},
        {kPageCount, installerVersion},
        {kCharacterCount, validation},
    };
}

} // namespace orvh::msp
