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

// Little-endian values of 2 or 4 bytes, as both layouts keep them.
void Put(Bytes& b, std::size_t at, std::uint32_t v, int width = 4) {
    for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
std::size_t Sector(int n) { return 512 + 512 * static_cast<std::size_t>(n); }

void Entry(Bytes& b, int id, std::u16string_view name, std::uint8_t type, std::uint32_t right, std::uint32_t child,
           std::uint32_t start, std::uint32_t size) {
    const std::size_t at = Sector(1) + 128 * static_cast<std::size_t>(id);
    for (std::size_t i = 0; i < name.size(); ++i) Put(b, at + 2 * i, name[i], 2);
    Put(b, at + 0x40, static_cast<std::uint32_t>(2 * (name.size() + 1)), 2);
    b[at + 0x42] = type;
    for (const auto& [offset, value] : {std::pair{0x44, kFree}, {0x48, right}, {0x4C, child}, {0x74, start}, {0x78, size}}) {
        Put(b, at + offset, value);
    }
}

// Sector 0 the FAT, 1 the directory, 2 the mini FAT, 3 the mini stream (the summary), 4 to 11
// a stream of 4096 bytes; the root holds the summary, a storage "T1" and that stream.
Bytes Storage() {
    Bytes b(Sector(12), 0xFF);
    std::fill(b.begin(), b.begin() + 0x4C, 0);
    for (const auto& [offset, value] : {std::pair{0, 0xE011CFD0u}, {4, 0xE11AB1A1u}, {0x1A, 0xFFFE0003u}, {0x1E, 0x00060009u},
                                       {0x2C, 1u}, {0x30, 1u}, {0x38, 4096u}, {0x3C, 2u}, {0x40, 1u}, {0x44, kEnd}, {0x4C, 0u}}) {
        Put(b, offset, value);
    }
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(Sector(1)), b.begin() + static_cast<std::ptrdiff_t>(Sector(2)), 0);
    const std::uint32_t fat[] = {0xFFFFFFFD, kEnd, kEnd, kEnd, 5, 6, 7, 8, 9, 10, 11, kEnd};
    for (std::size_t s = 0; s < std::size(fat); ++s) Put(b, Sector(0) + 4 * s, fat[s]);
    Put(b, Sector(2), 1), Put(b, Sector(2) + 4, kEnd);
    Entry(b, 0, u"Root Entry", 5, kFree, 1, 3, 128);
    Entry(b, 1, u"\x0005SummaryInformation", 2, 2, kFree, 0, 100);
    Entry(b, 2, u"T1", 1, 3, kFree, kEnd, 0);
    Entry(b, 3, u"Big", 2, kFree, kFree, 4, 4096);
    return b;
}

// Headers, one section ".text" of 512 bytes at 512, a signature of 100 bytes at 1024.
Bytes Program() {
    Bytes b(1124, 0);
    const std::size_t optional = 64 + 24, section = optional + 224;
    for (const auto& [offset, value, width] :
         {std::tuple{0u, 0x5A4Du, 2}, {0x3Cu, 64u, 4}, {64u, 0x4550u, 4}, {70u, 1u, 2}, {84u, 224u, 2}, {optional, 0x10Bu, 2},
          {optional + 60, 512u, 4}, {optional + 92, 16u, 4}, {optional + 128, 1024u, 4}, {optional + 132, 100u, 4},
          {section + 16, 512u, 4}, {section + 20, 512u, 4}}) {
        Put(b, offset, value, width);
    }
    std::memcpy(b.data() + section, ".text", 5);
    return b;
}

// The summary's mini chain runs through every entry of the mini FAT, in a mini stream of 16
// sectors (12 to 27).
Bytes FullMiniChain() {
    Bytes b = Storage();
    b.resize(Sector(28), 0);
    for (std::uint32_t s = 12; s < 28; ++s) Put(b, Sector(0) + 4 * s, s == 27 ? kEnd : s + 1);
    for (std::uint32_t m = 0; m < 128; ++m) Put(b, Sector(2) + 4 * m, m == 127 ? kEnd : m + 1);
    Put(b, Sector(1) + 0x74, 12), Put(b, Sector(1) + 0x78, 8192);
    return b;
}

Bytes Cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}
Bytes Changed(Bytes b, std::size_t at, std::uint32_t value) {
    Put(b, at, value);
    return b;
}

TEST(FileLayouts, AStructuredStorageIsWholeOnlyWhenEverythingItListsLiesWithinIt) {
    const std::pair<Bytes, std::wstring> rows[] = {
        {Storage(), L""},
        {FullMiniChain(), L""},
        {Changed(Storage(), Sector(1) + 3 * 128 + 0x7C, 1), L""},  // a version 3 file keeps only a size's low half
        {{}, L"0 bytes: shorter than a structured storage's header"},
        {Bytes(4096, 0x5A), L"not a structured storage"},
        {Changed(Storage(), 0x1C, 0xFEFF), L"a structured storage header of an unknown form"},
        {Changed(Storage(), 0x1E, 0x0006000C), L"a structured storage header of an unknown form"},  // version 3, 4096-byte sectors
        {Changed(Storage(), 0x1A, 0xFFFE0004), L"a structured storage header of an unknown form"},  // version 4, 512-byte sectors
        {Cut(Storage(), 512), L"its allocation table (FAT or DIFAT) lies beyond the end of the file"},
        // More FAT sectors than the header lists, and no DIFAT sector to list the rest.
        {Changed(Cut(Storage(), Sector(120)), 0x2C, 110), L"its allocation table (FAT or DIFAT) lies beyond the end of the file"},
        {Changed(Storage(), 0x2C, 2), L"its allocation table (FAT or DIFAT) lies beyond the end of the file"},
        {Cut(Storage(), Sector(1)), L"its directory lies beyond the end of the file"},
        {Cut(Storage(), Sector(2)), L"its mini allocation table lies beyond the end of the file"},
        {Cut(Storage(), Sector(3)), L"its mini stream lies beyond the end of the file"},
        {Changed(Storage(), Sector(1) + 0x78, 0), L"a stream (directory entry 1) lies beyond the end of the file"},  // no mini stream
        // Header, tables and directory kept; only the data of a stream is cut.
        {Cut(Storage(), Sector(12) - 1), L"a stream (directory entry 3) lies beyond the end of the file"},
        {Changed(Storage(), Sector(1) + 128 + 0x78, 200), L"a stream (directory entry 1) lies beyond the end of the file"},
        {Changed(Storage(), Sector(0) + 40, 4), L"a stream (directory entry 3) lies beyond the end of the file"},
        {Changed(Storage(), Sector(1) + 128, 'X'), L"it holds no summary information"},
        {Changed(Storage(), Sector(1) + 0x4C, 9), L"its directory is damaged"},
        {Changed(Storage(), Sector(1) + 0x4C, 4), L"its directory is damaged"},  // the first id past its entries
    };
    test::ForEachRow(rows, [](const auto& row) {
        const StorageLayout layout = ReadStorageLayout(Memory(row.first));
        EXPECT_EQ(layout.fault, row.second);
        EXPECT_EQ(layout.root.size(), row.second.empty() ? 3u : 0u);
    });
    const auto root = ReadStorageLayout(Memory(Storage())).root;
    EXPECT_TRUE(std::ranges::count(root, StorageEntry{L"T1", true}));
    EXPECT_TRUE(std::ranges::count(root, StorageEntry{L"Big", false}));
}

TEST(FileLayouts, AProgramIsWholeOnlyWithItsHeadersSectionsAndSignature) {
    const std::pair<Bytes, std::wstring> rows[] = {
        {Program(), L""},
        {{}, L"0 bytes: shorter than a program's header"},
        {Bytes(1124, 0x5A), L"not a program"},
        {Cut(Program(), 64), L"its headers lie beyond the end of the file"},
        {Cut(Program(), 340), L"its headers lie beyond the end of the file"},
        {Changed(Program(), 64 + 24 + 60, 5000), L"its headers lie beyond the end of the file"},
        {Cut(Program(), 1000), L"its section \".text\" lies beyond the end of the file"},
        {Cut(Program(), 1123), L"its signature lies beyond the end of the file"},
        {Changed(Changed(Program(), 88 + 128, 5000), 88 + 132, 0), L""},  // a signature entry of no length
        {Changed(Program(), 88 + 60, 1124), L""},  // headers as long as the file
        {Changed(Program(), 64 + 24, 0x999), L"a program header of an unknown form"},
        {Changed(Program(), 84, 2), L"its headers lie beyond the end of the file"},  // too short for its directories
        // A second section, nameless, past the end.
        {Changed(Changed(Changed(Program(), 70, 2), 352 + 16, 512), 352 + 20, 1024),
         L"its section \"\" lies beyond the end of the file"},
    };
    test::ForEachRow(rows, [](const auto& row) { EXPECT_EQ(ExecutableFault(Memory(row.first)), row.second); });
}

} // namespace
} // namespace orvh
