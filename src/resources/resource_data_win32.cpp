// OvResDll: custom data and text resources, and saving data to a file.
#include "resources/error_record.h"
#include "resources/ov_res_dll_win32.h"
#include "resources/resource_failures.h"
#include "system/file_system_win32.h"
#include "system/platform_error.h"
#include "system/win32_error_win32.h"

namespace orvh {
namespace {

// Writes `bytes` from the file's first byte; the file is created when absent.
void WriteFromFirstByte(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(L"SaveDllData");
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        ThrowLastError(L"SaveDllData");
    }
}

} // namespace

std::vector<std::uint8_t> OvResDll::LoadDllData(std::int32_t index, const std::wstring& resFormat) const {
    const HMODULE module = module_.get();
    const auto id = IntegerResourceId(index);
    const HRSRC found = id ? ::FindResourceW(module, MAKEINTRESOURCEW(*id), resFormat.c_str()) : nullptr;
    if (found == nullptr) {
        CurrentError().Set(kResourceNotFoundError, kErrorSourceResources, CustomResourceNotFoundText(index));
        return {};
    }
    const DWORD size = ::SizeofResource(module, found);
    if (size == 0) return {};
    const HGLOBAL loaded = ::LoadResource(module, found);
    const auto* bytes = loaded ? static_cast<const std::uint8_t*>(::LockResource(loaded)) : nullptr;
    if (bytes == nullptr) {
        CurrentError().Set(kResourceLoadError, kErrorSourceResources, ResourceLoadErrorText());
        return {};
    }
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

std::wstring OvResDll::LoadDllText(std::int16_t index, const std::wstring& resFormat) const {
    const auto bytes = LoadDllData(index, resFormat);
    if (bytes.empty()) return {};
    const auto* ansi = reinterpret_cast<const char*>(bytes.data());
    const int byteCount = static_cast<int>(bytes.size());
    std::wstring text(static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, ansi, byteCount, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi, byteCount, text.data(), static_cast<int>(text.size()));
    return text;
}

std::int32_t OvResDll::SaveDllData(std::int16_t index, const std::wstring& target, const std::wstring& resFormat,
                                   bool overwrite) const {
    try {
        NoJournal journal;
        Win32FileSystem files(journal);
        if (files.FileExists(target)) {
            if (!overwrite) return 0;
            files.DeleteFile(target);
        }
        const auto bytes = LoadDllData(index, resFormat);
        if (IsArrayEmpty(bytes)) {
            CurrentError().Set(kResourceNotFoundError, kErrorSourceResources, ResourceNotFoundText(index));
            return kResourceNotFoundError;
        }
        WriteFromFirstByte(target, bytes);
        return 0;
    } catch (const PlatformError& error) {
        CurrentError().Set(error.Number(), error.Source(), error.Description());
        return error.Number();
    }
}

} // namespace orvh
