#include "system/delivered_files_win32.h"

#include "system/file_layouts.h"
#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <algorithm>
#include <msi.h>
#include <msiquery.h>
#include <propidl.h>

namespace orvh {
namespace {

UniqueFile OpenReadShared(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

class FileBytes final : public ByteSource {
public:
    explicit FileBytes(HANDLE file) : file_(file) {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file, &size)) ThrowLastError(L"GetFileSizeEx");
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    }
    std::uint64_t Size() const override { return size_; }
    void Read(std::uint64_t offset, std::span<std::uint8_t> bytes) const override {
        while (!bytes.empty()) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD read = 0;
            if (!::ReadFile(file_, bytes.data(), wanted, &read, &at)) ThrowLastError(L"ReadFile");
            if (read == 0) throw Win32Error(ERROR_HANDLE_EOF, L"ReadFile");
            bytes = bytes.subspan(read);
            offset += read;
        }
    }

private:
    HANDLE file_;
    std::uint64_t size_ = 0;
};

// The patch's summary names its transforms in the last author property (":T1;:#T1"); each
// must be a storage of the patch. Windows Installer reads the summary only of a storage whole.
std::wstring TransformFault(const std::wstring& path, const std::vector<StorageEntry>& root) {
    UniqueInstallerHandle summary;
    UINT result = ::MsiGetSummaryInformationW(0, path.c_str(), 0, summary.put());
    if (result != ERROR_SUCCESS) return L"its summary information cannot be read (error " + std::to_wstring(result) + L")";
    const auto list = SizedText(
        [&](wchar_t* buffer, std::size_t size) -> std::size_t {
            UINT type = 0;
            DWORD length = static_cast<DWORD>(size);
            result = ::MsiSummaryInfoGetPropertyW(summary.get(), PIDSI_LASTAUTHOR, &type, nullptr, nullptr, buffer, &length);
            if (result == ERROR_SUCCESS) return type == VT_LPSTR ? length + 1 : 1;
            return result == ERROR_MORE_DATA ? length + 1 : 0;
        },
        64);
    if (!list) return L"its summary information cannot be read (error " + std::to_wstring(result) + L")";
    int transforms = 0;
    for (std::size_t start = 0; start <= list->size();) {
        const std::size_t end = std::min(list->find(L';', start), list->size());
        const std::wstring item = list->substr(start, end - start);
        start = end + 1;
        if (item.size() < 2 || item[0] != L':') continue;
        const std::wstring name = item.substr(1);
        ++transforms;
        if (std::ranges::find(root, StorageEntry{name, true}) == root.end()) {
            return L"its summary names the transform \"" + name + L"\", which it does not hold";
        }
    }
    return transforms == 0 ? L"its summary names no transform" : L"";
}

} // namespace

bool Win32DeliveredFiles::BeingWritten(const std::wstring& path) {
    const UniqueFile file = OpenReadShared(path);
    if (file) return false;
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return true;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    // A folder under a file's name is no file of the set, as the rest of the run sees it.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    throw Win32Error(error, path);
}

ArrivalVerdict Win32DeliveredFiles::Check(const std::wstring& path, FileForm form) {
    const UniqueFile file = OpenReadShared(path);
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION) return {Arrival::BeingWritten, L"another program has it open for writing"};
        throw Win32Error(error, path);
    }
    const FileBytes bytes(file.get());
    if (form == FileForm::Executable) {
        std::wstring fault = ExecutableFault(bytes);
        return {fault.empty() ? Arrival::Whole : Arrival::NotWhole, std::move(fault)};
    }
    StorageLayout layout = ReadStorageLayout(bytes);
    if (layout.fault.empty() && form == FileForm::Patch) layout.fault = TransformFault(path, layout.root);
    return {layout.fault.empty() ? Arrival::Whole : Arrival::NotWhole, std::move(layout.fault)};
}

} // namespace orvh
