#include "resources/ov_res_dll_win32.h"

#include "resources/error_record.h"
#include "system/environment_win32.h"
#include "system/file_system.h"
#include "system/sized_text.h"

namespace orvh {

std::wstring ProgramExecutablePath() {
    const auto path = SizedText([](wchar_t* buffer, std::size_t size) -> std::size_t {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(size));
        // A path that fills the buffer may have been cut: it is read again in one twice as large.
        return length < size ? length + 1 : size * 2;
    });
    return path.value_or(L"");
}

std::optional<std::wstring> LoadModuleString(HMODULE module, std::int32_t index) {
    // String ids are 16-bit; LoadStringW would read a larger id as its low 16 bits.
    if (index < 0 || index > 0xFFFF) return std::nullopt;
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out the resource's own read-only text.
    const int length = ::LoadStringW(module, static_cast<UINT>(index), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::nullopt;
    return std::wstring(text, static_cast<std::size_t>(length));
}

OvResDll::OvResDll() {
    const std::wstring exe = ProgramExecutablePath();
    const auto slash = exe.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash);
    std::wstring name = FileSystem::GetFileName(exe);
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
    DllName(ExpandPath(folder) + L"\\" + name + L".exe");
}

void OvResDll::DllName(const std::wstring& path) {
    module_.reset();
    // Bound as an image resource: its resources become readable without running its code.
    module_.reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module_) {
        CurrentError().Set(48, L"OvResDll", L"Error in loading DLL: " + path);
        dllName_.clear();
    } else {
        dllName_ = path;
    }
}

std::wstring OvResDll::LoadDllString(std::int32_t index) const {
    return LoadModuleString(::GetModuleHandleW(nullptr), index).value_or(MissingResourceText(index));
}

} // namespace orvh
