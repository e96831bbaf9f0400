#include "msp/summary_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace orvh::msp {
namespace {

std::uint32_t Dword(const Bytes& data, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | data.at(offset + static_cast<std::size_t>(i));
    return value;
}

// Reads the stream back the way an OLE property set reader does: header, the format id
// and offset of the one section, then each property through its offset.
struct ReadBack {
    std::map<std::uint32_t, std::pair<std::uint32_t, Bytes>> properties;  // id: type, value bytes
    std::uint32_t sectionSize = 0;
    std::size_t sectionStart = 0;
};

ReadBack Read(const Bytes& stream) {
    ReadBack result;
    result.sectionStart = Dword(stream, 44);
    result.sectionSize = Dword(stream, result.sectionStart);
    const std::uint32_t count = Dword(stream, result.sectionStart + 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t id = Dword(stream, result.sectionStart + 8 + 8 * i);
        const std::size_t at = result.sectionStart + Dword(stream, result.sectionStart + 12 + 8 * i);
        const std::uint32_t type = Dword(stream, at);
        std::size_t size = 4;
        if (type == 30) size = 4 + Dword(stream, at + 4);
        result.properties[id] = {type, Bytes(stream.begin() + static_cast<long>(at + 4),
                                             stream.begin() + static_cast<long>(at + 4 + size))};
    }
    return result;
}

TEST(SummaryStream, IsAPropertySetWithOneSummarySection) {
    const Bytes stream = SummaryInformationStream({{kCodepage, std::int16_t{1252}},
                                                   {kTemplate, std::string("Intel;1033")},
                                                   {kCharacterCount, std::int32_t{0x08020000}}});
    ASSERT_GE(stream.size(), 48u);
    EXPECT_EQ(stream[0], 0xFE);
    EXPECT_EQ(stream[1], 0xFF);
    EXPECT_EQ(Dword(stream, 24), 1u) << "one section";
    const Bytes formatId(stream.begin() + 28, stream.begin() + 44);
    EXPECT_EQ(formatId, (Bytes{0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27,
                               0xB3, 0xD9}));

    const ReadBack read = Read(stream);
    EXPECT_EQ(read.sectionStart, 48u);
    EXPECT_EQ(read.sectionSize, stream.size() - 48) << "the section runs to the end";
    ASSERT_EQ(read.properties.size(), 3u);
    EXPECT_EQ(read.properties.at(kCodepage).first, 2u);
    EXPECT_EQ(read.properties.at(kCodepage).second, (Bytes{0xE4, 0x04, 0x00, 0x00}));
    EXPECT_EQ(read.properties.at(kCharacterCount).first, 3u);
    EXPECT_EQ(read.properties.at(kCharacterCount).second, (Bytes{0x00, 0x00, 0x02, 0x08}));
    EXPECT_EQ(read.properties.at(kTemplate).first, 30u);
    const Bytes text = read.properties.at(kTemplate).second;
    EXPECT_EQ(Dword(text, 0), 11u) << "length with the terminating zero";
    EXPECT_EQ(std::string(text.begin() + 4, text.end()), std::string("Intel;1033", 11));
}

TEST(SummaryStream, StringsArePaddedToFourBytes) {
    for (const std::string text : {"", "a", "ab", "abc", "abcd"}) {
        const Bytes stream = SummaryInformationStream({{kTitle, text}});
        EXPECT_EQ(stream.size() % 4, 0u) << text;
        EXPECT_EQ(stream.size(), 48u + 16u + ((8u + text.size() + 1 + 3) & ~3u)) << text;
    }
}

} // namespace
} // namespace orvh::msp
