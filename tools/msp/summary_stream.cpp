#include "summary_stream.h"

#include <array>

namespace orvh::msp {
namespace {

constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::uint32_t kWindowsNt = 0x00020006;  // platform 2, version 6
constexpr std::uint32_t kVtI2 = 2;
constexpr std::uint32_t kVtI4 = 3;
constexpr std::uint32_t kVtLpstr = 30;

// FMTID_SummaryInformation, {F29F85E0-4FF9-1068-AB91-08002B27B3D9}, as stored.
constexpr std::array<std::uint8_t, 16> kSummaryFormatId{0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                                         0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

Bytes PropertyValue(const SummaryProperty& property) {
    Bytes value;
    if (const auto* i2 = std::get_if<std::int16_t>(&property.value)) {
        AppendUint32(value, kVtI2);
        AppendUint32(value, static_cast<std::uint16_t>(*i2));
    } else if (const auto* i4 = std::get_if<std::int32_t>(&property.value)) {
        AppendUint32(value, kVtI4);
        AppendUint32(value, static_cast<std::uint32_t>(*i4));
    } else {
        const auto& text = std::get<std::string>(property.value);
        AppendUint32(value, kVtLpstr);
        AppendUint32(value, static_cast<std::uint32_t>(text.size() + 1));
        AppendText(value, text);
        value.push_back(0);
        value.resize((value.size() + 3) & ~std::size_t{3}, 0);
    }
    return value;
}

} // namespace

Bytes SummaryInformationStream(const std::vector<SummaryProperty>& properties) {
    Bytes stream;
    AppendUint16(stream, kByteOrderMark);
    AppendUint16(stream, 0);  // format version
    AppendUint32(stream, kWindowsNt);
    stream.insert(stream.end(), 16, 0);  // class id
    AppendUint32(stream, 1);             // one section
    stream.insert(stream.end(), kSummaryFormatId.begin(), kSummaryFormatId.end());
    AppendUint32(stream, static_cast<std::uint32_t>(stream.size() + 4));

    // The section: its size, the property count, (id, offset) pairs, then the values.
    std::vector<Bytes> values;
    for (const auto& property : properties) values.push_back(PropertyValue(property));
    std::uint32_t offset = 8 + 8 * static_cast<std::uint32_t>(properties.size());
    Bytes table;
    for (std::size_t i = 0; i < properties.size(); ++i) {
        AppendUint32(table, properties[i].id);
        AppendUint32(table, offset);
        offset += static_cast<std::uint32_t>(values[i].size());
    }
    AppendUint32(stream, offset);
    AppendUint32(stream, static_cast<std::uint32_t>(properties.size()));
    stream.insert(stream.end(), table.begin(), table.end());
    for (const auto& value : values) stream.insert(stream.end(), value.begin(), value.end());
    return stream;
}

} // namespace orvh::msp
