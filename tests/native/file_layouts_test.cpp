// Whether a structured storage and a program lie whole within their size: a small file of each
// built here, cut at the lengths a copy interrupted leaves, or changed where a table lies.
#include "rows.h"
#include "system/file_layouts.h"

#include <algorithm>
#include <cstring>

namespace orvh {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Memory final : ByteSource {
    explicit Memory(Bytes b) : bytes(std::move(b)) {}
    std::uint64_t Size() const override { return bytes.size(); }
    void Read(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        ASSERT_LE(offset + out.size(), bytes.size());
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    }
    Bytes bytes;
};

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, std::size_t at, std::uint16_t v) { b[at] = v & 0xFF, b[at + 1] = v >> 8; }

constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
std::size_t Sector(int n) { return 512 + 512 * static_cast<std::size_t>(n); }

void Entry(Bytes& b, int id, std::u16string_view name, std::uint8_t type, std::uint32_t right, std::uint32_t child,
           std::uint32_t start, std::uint32_t size) {
    const std::size_t at = Sector(1) + 128 * static_cast<std::size_t>(id);
    for (std::size_t i = 0; i < name.size(); ++i) Put16(b, at + 2 * i, name[i]);
    Put16(b, at + 0x40, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    b[at + 0x42] = type;
    Put32(b, at + 0x44, kFree);
    Put32(b, at + 0x48, right);
    Put32(b, at + 0x4C, child);
    Put32(b, at + 0x74, start);
    Put32(b, at + 0x78, size);
}

// Sector 0 the FAT, 1 the directory, 2 the mini FAT, 3 the mini stream (the summary), 4 to 11
// a stream of 4096 bytes; the root holds the summary, a storage "T1" and that stream.
Bytes Storage() {
    Bytes b(Sector(12), 0);
    const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(signature), std::end(signature), b.begin());
    Put16(b, 0x18, 0x3E), Put16(b, 0x1A, 3), Put16(b, 0x1C, 0xFFFE), Put16(b, 0x1E, 9), Put16(b, 0x20, 6);
    Put32(b, 0x2C, 1), Put32(b, 0x30, 1), Put32(b, 0x38, 4096), Put32(b, 0x3C, 2), Put32(b, 0x40, 1);
    Put32(b, 0x44, kEnd);
    for (int i = 0; i < 109; ++i) Put32(b, 0x4C + 4 * i, i == 0 ? 0 : kFree);
    for (int i = 0; i < 128; ++i) Put32(b, Sector(0) + 4 * i, kFree);
    Put32(b, Sector(0), 0xFFFFFFFD), Put32(b, Sector(0) + 4, kEnd), Put32(b, Sector(0) + 8, kEnd);
    Put32(b, Sector(0) + 12, kEnd);
    for (int s = 4; s < 11; ++s) Put32(b, Sector(0) + 4 * s, s + 1);
    Put32(b, Sector(0) + 44, kEnd);
    for (int i = 0; i < 128; ++i) Put32(b, Sector(2) + 4 * i, i == 0 ? 1 : i == 1 ? kEnd : kFree);
    Entry(b, 0, u"Root Entry", 5, kFree, 1, 3, 128);
    Entry(b, 1, u"\x0005SummaryInformation", 2, 2, kFree, 0, 100);
    Entry(b, 2, u"T1", 1, 3, kFree, kEnd, 0);
    Entry(b, 3, u"Big", 2, kFree, kFree, 4, 4096);
    return b;
}

// Headers, one section ".text" of 512 bytes at 512, a signature of 100 bytes at 1024.
Bytes Program() {
    Bytes b(1124, 0);
    b[0] = 'M', b[1] = 'Z';
    Put32(b, 0x3C, 64), Put32(b, 64, 0x4550), Put16(b, 64 + 4, 0x14C), Put16(b, 64 + 6, 1), Put16(b, 64 + 20, 224);
    const std::size_t optional = 64 + 24;
    Put16(b, optional, 0x10B), Put32(b, optional + 60, 512), Put32(b, optional + 92, 16);
    Put32(b, optional + 96 + 8 * 4, 1024), Put32(b, optional + 96 + 8 * 4 + 4, 100);
    const std::size_t section = optional + 224;
    std::memcpy(b.data() + section, ".text", 5);
    Put32(b, section + 16, 512), Put32(b, section + 20, 512);
    return b;
}

Bytes Cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}
Bytes Changed(Bytes b, std::size_t at, std::uint32_t value) {
    Put32(b, at, value);
    return b;
}

TEST(FileLayouts, AStructuredStorageIsWholeOnlyWhenEverythingItListsLiesWithinIt) {
    const struct {
        Bytes file;
        std::wstring fault;
    } rows[] = {
        {Storage(), L""},
        {{}, L"0 bytes: shorter than a structured storage's header"},
        {Bytes(4096, 0x5A), L"not a structured storage"},
        {Changed(Storage(), 0x1C, 0xFEFF), L"a structured storage header of an unknown form"},
        {Cut(Storage(), 512), L"its allocation table (FAT or DIFAT) lies beyond the end of the file"},
        {Changed(Storage(), 0x2C, 2), L"its allocation table (FAT or DIFAT) lies beyond the end of the file"},
        {Cut(Storage(), Sector(1)), L"its directory lies beyond the end of the file"},
        {Cut(Storage(), Sector(2)), L"its mini allocation table lies beyond the end of the file"},
        {Cut(Storage(), Sector(3)), L"its mini stream lies beyond the end of the file"},
        // Header, tables and directory kept; only the data of a stream is cut.
        {Cut(Storage(), Sector(11)), L"a stream (directory entry 3) lies beyond the end of the file"},
        {Cut(Storage(), Sector(12) - 1), L"a stream (directory entry 3) lies beyond the end of the file"},
        {Changed(Storage(), Sector(1) + 128 + 0x78, 200), L"a stream (directory entry 1) lies beyond the end of the file"},
        {Changed(Storage(), Sector(0) + 40, 4), L"a stream (directory entry 3) lies beyond the end of the file"},
        {Changed(Storage(), Sector(1) + 128, 'X'), L"it holds no summary information"},
        {Changed(Storage(), Sector(1) + 0x4C, 9), L"its directory is damaged"},
    };
    test::ForEachRow(rows, [](const auto& row) {
        const StorageLayout layout = ReadStorageLayout(Memory(row.file));
        EXPECT_EQ(layout.fault, row.fault);
        EXPECT_EQ(layout.root.size(), row.fault.empty() ? 3u : 0u);
    });
    const auto root = ReadStorageLayout(Memory(Storage())).root;
    EXPECT_TRUE(std::ranges::count(root, StorageEntry{L"T1", true}));
    EXPECT_TRUE(std::ranges::count(root, StorageEntry{L"Big", false}));
}

TEST(FileLayouts, AProgramIsWholeOnlyWithItsHeadersSectionsAndSignature) {
    const struct {
        Bytes file;
        std::wstring fault;
    } rows[] = {
        {Program(), L""},
        {{}, L"0 bytes: shorter than a program's header"},
        {Bytes(1124, 0x5A), L"not a program"},
        {Cut(Program(), 80), L"its headers lie beyond the end of the file"},
        {Cut(Program(), 340), L"its headers lie beyond the end of the file"},
        {Changed(Program(), 64 + 24 + 60, 5000), L"its headers lie beyond the end of the file"},
        {Cut(Program(), 1000), L"its section \".text\" lies beyond the end of the file"},
        {Cut(Program(), 1123), L"its signature lies beyond the end of the file"},
        {Changed(Program(), 64 + 24, 0x999), L"a program header of an unknown form"},
    };
    test::ForEachRow(rows, [](const auto& row) { EXPECT_EQ(ExecutableFault(Memory(row.file)), row.fault); });
}

} // namespace
} // namespace orvh
