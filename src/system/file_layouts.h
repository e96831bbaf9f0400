#pragma once
// Whether a file's own layout lies whole within its size: a structured storage (the compound
// file of Windows Installer's packages and patches) and a program (a PE executable). A copy
// cut short keeps a valid beginning; these rules follow the tables that say where everything
// lies and find what lies beyond the end, before a library reads the file and takes what is
// missing for zeros.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvh {

// Random access to a file's bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills `bytes` from `offset`; the caller keeps the range within Size().
    virtual void Read(std::uint64_t offset, std::span<std::uint8_t> bytes) const = 0;
};

struct StorageEntry {
    std::wstring name;
    bool storage = false; // a storage; otherwise a stream
    bool operator==(const StorageEntry&) const = default;
};

struct StorageLayout {
    // Why the storage is not whole, in a few words; empty when it is.
    std::wstring fault;
    // The root storage's own entries, when it is whole.
    std::vector<StorageEntry> root;
};

// A structured storage is whole when its header, allocation tables (FAT, DIFAT, mini FAT),
// directory and every stream lie within the file, and its root holds summary information.
StorageLayout ReadStorageLayout(const ByteSource& file);

// Why a program is not whole (its headers, sections or signature beyond the end); empty
// when it is.
std::wstring ExecutableFault(const ByteSource& file);

} // namespace orvh
