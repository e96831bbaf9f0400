#include "system/event_log_win32.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

namespace orvh {
namespace {

constexpr wchar_t kSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\OrvhUpdate";

[[noreturn]] void Raise(LSTATUS status, std::wstring_view source) { throw Win32Error(static_cast<DWORD>(status), source); }

// The message file a registration names, expanded; empty when it names none.
std::wstring RegisteredFile(HKEY key) {
    wchar_t value[MAX_PATH]{};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key, L"EventMessageFile", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return L"";
    }
    wchar_t expanded[MAX_PATH]{};
    const DWORD length = ::ExpandEnvironmentStringsW(value, expanded, MAX_PATH);
    return length == 0 || length > MAX_PATH ? L"" : expanded;
}

} // namespace

void RegisterEventLogSource(const std::wstring& messageFile) {
    UniqueRegistryKey key;
    const LSTATUS created = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSourceKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (created != ERROR_SUCCESS) Raise(created, L"RegCreateKeyExW");
    const std::wstring registered = RegisteredFile(key.get());
    if (!registered.empty() && ::GetFileAttributesW(registered.c_str()) != INVALID_FILE_ATTRIBUTES) return;

    const auto bytes = static_cast<DWORD>((messageFile.size() + 1) * sizeof(wchar_t));
    const LSTATUS named = ::RegSetValueExW(key.get(), L"EventMessageFile", 0, REG_EXPAND_SZ,
                                           reinterpret_cast<const BYTE*>(messageFile.c_str()), bytes);
    if (named != ERROR_SUCCESS) Raise(named, L"RegSetValueExW EventMessageFile");
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    const LSTATUS typed = ::RegSetValueExW(key.get(), L"TypesSupported", 0, REG_DWORD,
                                           reinterpret_cast<const BYTE*>(&types), sizeof types);
    if (typed != ERROR_SUCCESS) Raise(typed, L"RegSetValueExW TypesSupported");
}

void ReportRunEvent(std::uint32_t id, WORD type, const std::vector<std::wstring>& strings) {
    const UniqueEventSource source(::RegisterEventSourceW(nullptr, kEventSourceName));
    if (!source) ThrowLastError(L"RegisterEventSourceW");
    std::vector<LPCWSTR> inserts;
    for (const auto& text : strings) inserts.push_back(text.c_str());
    if (!::ReportEventW(source.get(), type, 0, id, nullptr, static_cast<WORD>(inserts.size()), 0, inserts.data(),
                        nullptr)) {
        ThrowLastError(L"ReportEventW");
    }
}

} // namespace orvh
