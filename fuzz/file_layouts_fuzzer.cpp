// Any bytes as a structured storage and as a program: the rules read only within the file, end,
// and call a storage whole only when its root holds summary information.
#include "fuzz_support.h"
#include "system/file_layouts.h"

#include <algorithm>

namespace {

struct Bytes final : orvh::ByteSource {
    Bytes(const std::uint8_t* d, std::size_t s) : data(d), size(s) {}
    std::uint64_t Size() const override { return size; }
    void Read(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        ORVH_FUZZ_CHECK(offset <= size && out.size() <= size - offset);
        std::copy_n(data + offset, out.size(), out.begin());
    }
    const std::uint8_t* data;
    std::size_t size;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes file(data, size);
    const orvh::StorageLayout layout = orvh::ReadStorageLayout(file);
    ORVH_FUZZ_CHECK(layout.fault.empty() == std::ranges::any_of(layout.root, [](const orvh::StorageEntry& entry) {
                        return entry.name == L"\x0005SummaryInformation";
                    }));
    orvh::ExecutableFault(file);
    return 0;
}
