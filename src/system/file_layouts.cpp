#include "system/file_layouts.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace orvh {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE, kNoEntry = 0xFFFFFFFF, kLastRegularSector = 0xFFFFFFFA;
constexpr std::uint8_t kStorageSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kHeaderSize = 512, kHeaderFatLocations = 109, kEntrySize = 128, kMiniSectorSize = 64,
                        kMiniStreamCutoff = 4096;
constexpr std::uint8_t kStorageEntry = 1, kStreamEntry = 2, kRootEntry = 5;
constexpr wchar_t kSummaryStream[] = L"\x0005SummaryInformation";

std::uint16_t U16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }
std::uint32_t U32(const std::uint8_t* at) { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }

std::wstring Bytes(std::uint64_t size) { return std::to_wstring(size) + L" bytes"; }

class Storage {
public:
    explicit Storage(const ByteSource& file) : file_(file), size_(file.Size()) {}

    StorageLayout Read() {
        StorageLayout layout;
        layout.fault = Check(layout.root);
        if (!layout.fault.empty()) layout.root.clear();
        return layout;
    }

private:
    std::wstring Check(std::vector<StorageEntry>& root) {
        if (size_ < kHeaderSize) return Bytes(size_) + L": shorter than a structured storage's header";
        std::uint8_t header[kHeaderSize];
        file_.Read(0, header);
        if (!std::equal(std::begin(kStorageSignature), std::end(kStorageSignature), header)) {
            return L"not a structured storage";
        }
        const std::uint16_t major = U16(header + 0x1A), shift = U16(header + 0x1E);
        if (U16(header + 0x1C) != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12)) ||
            U16(header + 0x20) != 6 || U32(header + 0x38) != kMiniStreamCutoff) {
            return L"a structured storage header of an unknown form";
        }
        sectorSize_ = 1u << shift;
        if (size_ < sectorSize_) return Bytes(size_) + L": shorter than a structured storage's header";
        wideSizes_ = major == 4;
        sectors_ = size_ / sectorSize_ - 1;

        if (!ReadFat(header)) return L"its allocation table (FAT or DIFAT) lies beyond the end of the file";
        const auto directory = FatChain(U32(header + 0x30));
        if (!directory || directory->empty()) return L"its directory lies beyond the end of the file";
        for (const std::uint32_t sector : *directory) Append(directory_, sector);
        const std::uint32_t miniFatSectors = U32(header + 0x40);
        if (miniFatSectors > 0) {
            const auto miniFat = FatChain(U32(header + 0x3C));
            if (!miniFat || miniFat->size() < miniFatSectors) {
                return L"its mini allocation table lies beyond the end of the file";
            }
            std::vector<std::uint8_t> bytes;
            for (std::uint32_t i = 0; i < miniFatSectors; ++i) Append(bytes, (*miniFat)[i]);
            miniFat_ = Entries(bytes);
        }
        if (directory_[0x42] != kRootEntry) return L"its directory has no root storage";
        miniStreamSize_ = StreamSize(0);
        if (!FatChainCovers(Entry(0) + 0x74, miniStreamSize_)) return L"its mini stream lies beyond the end of the file";
        for (std::uint32_t id = 1; id < EntryCount(); ++id) {
            if (Entry(id)[0x42] != kStreamEntry || StreamWithin(id)) continue;
            return L"a stream (directory entry " + std::to_wstring(id) + L") lies beyond the end of the file";
        }
        if (!RootEntries(root)) return L"its directory is damaged";
        if (std::ranges::none_of(root, [](const StorageEntry& entry) { return entry.name == kSummaryStream; })) {
            return L"it holds no summary information";
        }
        return L"";
    }

    // A sector lies within the file when all of it does.
    bool Within(std::uint32_t sector) const { return sector <= kLastRegularSector && sector < sectors_; }

    void Append(std::vector<std::uint8_t>& bytes, std::uint32_t sector) const {
        const std::size_t at = bytes.size();
        bytes.resize(at + sectorSize_);
        file_.Read((static_cast<std::uint64_t>(sector) + 1) * sectorSize_, std::span(bytes).subspan(at));
    }

    static std::vector<std::uint32_t> Entries(const std::vector<std::uint8_t>& bytes) {
        std::vector<std::uint32_t> entries(bytes.size() / 4);
        for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = U32(bytes.data() + 4 * i);
        return entries;
    }

    // The FAT's sectors are listed in the header and then in the chain of DIFAT sectors.
    bool ReadFat(const std::uint8_t* header) {
        const std::uint32_t count = U32(header + 0x2C);
        if (count > sectors_) return false;
        std::vector<std::uint32_t> locations;
        for (std::uint32_t i = 0; i < std::min(count, kHeaderFatLocations); ++i) {
            locations.push_back(U32(header + 0x4C + 4 * i));
        }
        std::uint32_t difat = U32(header + 0x44);
        for (std::uint64_t read = 0; locations.size() < count; ++read) {
            if (!Within(difat) || read >= sectors_) return false;
            std::vector<std::uint8_t> bytes;
            Append(bytes, difat);
            const auto entries = Entries(bytes);
            for (std::size_t i = 0; i + 1 < entries.size() && locations.size() < count; ++i) {
                locations.push_back(entries[i]);
            }
            difat = entries.back();
        }
        std::vector<std::uint8_t> bytes;
        for (const std::uint32_t sector : locations) {
            if (!Within(sector)) return false;
            Append(bytes, sector);
        }
        fat_ = Entries(bytes);
        return true;
    }

    // The sectors of a chain of the FAT; none when one lies beyond the file or the chain never ends.
    std::optional<std::vector<std::uint32_t>> FatChain(std::uint32_t start) const {
        std::vector<std::uint32_t> chain;
        for (std::uint32_t sector = start; sector != kEndOfChain; sector = fat_[sector]) {
            if (sector >= fat_.size() || !Within(sector) || chain.size() >= fat_.size()) return std::nullopt;
            chain.push_back(sector);
        }
        return chain;
    }

    bool FatChainCovers(const std::uint8_t* start, std::uint64_t size) const {
        if (size == 0) return true;
        const auto chain = FatChain(U32(start));
        return chain && chain->size() * static_cast<std::uint64_t>(sectorSize_) >= size;
    }

    bool MiniChainCovers(std::uint32_t start, std::uint64_t size) const {
        std::uint64_t count = 0;
        for (std::uint32_t sector = start; sector != kEndOfChain; sector = miniFat_[sector]) {
            if (sector >= miniFat_.size() || (sector + std::uint64_t{1}) * kMiniSectorSize > miniStreamSize_ ||
                ++count > miniFat_.size()) {
                return false;
            }
        }
        return count * kMiniSectorSize >= size;
    }

    bool StreamWithin(std::uint32_t id) const {
        const std::uint64_t size = StreamSize(id);
        if (size == 0) return true;
        return size < kMiniStreamCutoff ? MiniChainCovers(U32(Entry(id) + 0x74), size)
                                        : FatChainCovers(Entry(id) + 0x74, size);
    }

    std::uint32_t EntryCount() const { return static_cast<std::uint32_t>(directory_.size() / kEntrySize); }
    const std::uint8_t* Entry(std::uint32_t id) const { return directory_.data() + std::size_t{id} * kEntrySize; }
    // Version 3 files keep only the low half of a stream's size; their high half may hold anything.
    std::uint64_t StreamSize(std::uint32_t id) const {
        const std::uint64_t high = wideSizes_ ? U32(Entry(id) + 0x7C) : 0;
        return high << 32 | U32(Entry(id) + 0x78);
    }

    // The root's entries are a tree of siblings below its child.
    bool RootEntries(std::vector<StorageEntry>& root) const {
        std::vector<std::uint32_t> pending{U32(Entry(0) + 0x4C)};
        while (!pending.empty()) {
            const std::uint32_t id = pending.back();
            pending.pop_back();
            if (id == kNoEntry) continue;
            if (id >= EntryCount() || root.size() >= EntryCount()) return false;
            const std::uint8_t* entry = Entry(id);
            const std::size_t length = std::min<std::size_t>(U16(entry + 0x40) / 2, 32);
            std::wstring name;
            for (std::size_t i = 0; i + 1 < length; ++i) name += static_cast<wchar_t>(U16(entry + 2 * i));
            root.push_back({name, entry[0x42] == kStorageEntry});
            pending.push_back(U32(entry + 0x44));
            pending.push_back(U32(entry + 0x48));
        }
        return true;
    }

    const ByteSource& file_;
    const std::uint64_t size_;
    std::uint32_t sectorSize_ = kHeaderSize;
    std::uint64_t sectors_ = 0; // whole sectors after the header
    bool wideSizes_ = false;
    std::vector<std::uint32_t> fat_, miniFat_;
    std::vector<std::uint8_t> directory_;
    std::uint64_t miniStreamSize_ = 0;
};

} // namespace

StorageLayout ReadStorageLayout(const ByteSource& file) { return Storage(file).Read(); }

std::wstring ExecutableFault(const ByteSource& file) {
    const std::uint64_t size = file.Size();
    constexpr std::uint32_t kDosHeader = 64, kPeHeader = 24, kSectionHeader = 40, kSecurityDirectory = 4;
    if (size < kDosHeader) return Bytes(size) + L": shorter than a program's header";
    std::uint8_t dos[kDosHeader];
    file.Read(0, dos);
    if (dos[0] != 'M' || dos[1] != 'Z') return L"not a program";
    const std::uint64_t pe = U32(dos + 0x3C);
    if (pe + kPeHeader > size) return L"its headers lie beyond the end of the file";
    std::uint8_t coff[kPeHeader];
    file.Read(pe, coff);
    if (U32(coff) != 0x4550) return L"not a program";
    const std::uint16_t sections = U16(coff + 6), optionalSize = U16(coff + 20);
    const std::uint64_t table = pe + kPeHeader + optionalSize;
    if (table + std::uint64_t{sections} * kSectionHeader > size) return L"its headers lie beyond the end of the file";
    std::vector<std::uint8_t> optional(optionalSize);
    file.Read(pe + kPeHeader, optional);
    const std::uint16_t magic = optionalSize >= 2 ? U16(optional.data()) : 0;
    if (magic != 0x10B && magic != 0x20B) return L"a program header of an unknown form";
    const std::size_t directories = magic == 0x10B ? 96 : 112;
    if (optionalSize < directories || U32(optional.data() + 60) > size) {
        return L"its headers lie beyond the end of the file";
    }
    std::vector<std::uint8_t> headers(std::size_t{sections} * kSectionHeader);
    file.Read(table, headers);
    for (std::uint16_t i = 0; i < sections; ++i) {
        const std::uint8_t* section = headers.data() + std::size_t{i} * kSectionHeader;
        const std::uint64_t rawSize = U32(section + 16), rawStart = U32(section + 20);
        if (rawSize == 0 || rawStart + rawSize <= size) continue;
        const std::string name(reinterpret_cast<const char*>(section), strnlen(reinterpret_cast<const char*>(section), 8));
        return L"its section \"" + std::wstring(name.begin(), name.end()) + L"\" lies beyond the end of the file";
    }
    // The certificate table's location is a file offset, not an address.
    const std::size_t security = directories + 8 * kSecurityDirectory;
    if (U32(optional.data() + directories - 4) > kSecurityDirectory && security + 8 <= optionalSize) {
        const std::uint64_t start = U32(optional.data() + security), length = U32(optional.data() + security + 4);
        if (length > 0 && start + length > size) return L"its signature lies beyond the end of the file";
    }
    return L"";
}

} // namespace orvh
