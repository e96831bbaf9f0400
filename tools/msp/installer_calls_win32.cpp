#include "installer_calls_win32.h"

#include "system/win32_error_win32.h"

#include <msiquery.h>

namespace orvh::msp {
namespace {

UniqueInstallerHandle OpenView(MSIHANDLE database, const std::wstring& query, MSIHANDLE parameters) {
    MSIHANDLE view = 0;
    CheckInstallerResult(::MsiDatabaseOpenViewW(database, query.c_str(), &view), L"MsiDatabaseOpenViewW");
    UniqueInstallerHandle owned(view);
    CheckInstallerResult(::MsiViewExecute(view, parameters), L"MsiViewExecute");
    return owned;
}

} // namespace

void CheckInstallerResult(unsigned result, const wchar_t* call) {
    if (result != ERROR_SUCCESS) throw Win32Error(result, call);
}

void ForEachRecord(MSIHANDLE database, const std::wstring& query, MSIHANDLE parameters,
                   const std::function<void(MSIHANDLE record)>& each) {
    const auto view = OpenView(database, query, parameters);
    for (;;) {
        MSIHANDLE record = 0;
        const UINT result = ::MsiViewFetch(view.get(), &record);
        if (result == ERROR_NO_MORE_ITEMS) break;
        CheckInstallerResult(result, L"MsiViewFetch");
        const UniqueInstallerHandle owned(record);
        each(record);
    }
    CheckInstallerResult(::MsiViewClose(view.get()), L"MsiViewClose");
}

void Execute(MSIHANDLE database, const std::wstring& query, MSIHANDLE parameters) {
    const auto view = OpenView(database, query, parameters);
    CheckInstallerResult(::MsiViewClose(view.get()), L"MsiViewClose");
}

std::wstring RecordString(MSIHANDLE record, unsigned field) {
    wchar_t none[1] = L"";
    DWORD size = 0;
    UINT result = ::MsiRecordGetStringW(record, field, none, &size);
    if (result == ERROR_SUCCESS) return {};
    if (result != ERROR_MORE_DATA) CheckInstallerResult(result, L"MsiRecordGetStringW");
    std::wstring text(size + 1, L'\0');
    size = static_cast<DWORD>(text.size());
    CheckInstallerResult(::MsiRecordGetStringW(record, field, text.data(), &size), L"MsiRecordGetStringW");
    text.resize(size);
    return text;
}

UniqueInstallerHandle NewRecord(unsigned fields) {
    UniqueInstallerHandle record(::MsiCreateRecord(fields));
    if (!record) throw Win32Error(ERROR_OUTOFMEMORY, L"MsiCreateRecord");
    return record;
}

} // namespace orvh::msp
