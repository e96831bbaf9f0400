#include "installer/msi_engine_win32.h"

#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <msiquery.h>

#include <algorithm>

namespace orvh {
namespace {

// A text the installer writes into a buffer, `query(buffer, &size)` under its size
// convention; nullopt when it fails, the installer's result code then in `*failure`.
template <typename Query>
std::optional<std::wstring> InstallerText(Query query, UINT* failure = nullptr) {
    UINT result = ERROR_SUCCESS;
    auto text = SizedText(
        [&](wchar_t* buffer, std::size_t size) -> std::size_t {
            DWORD length = static_cast<DWORD>(size);
            result = query(buffer, &length);
            // On success and on "more data" alike, `length` is the text's without its null.
            if (result == ERROR_SUCCESS) return length + 1;
            if (result == ERROR_MORE_DATA) return std::max<std::size_t>(length + 1, size + 1);
            return 0;
        },
        64);
    if (!text && failure) *failure = result;
    return text;
}

// Windows Installer's log for the length of one installation or patch: errors, warnings,
// information, actions and disk space, appended. Queries open sessions too; they are kept
// out of it. A log that cannot be written changes nothing.
class InstallerLog {
public:
    explicit InstallerLog(const std::wstring& path) : on_(!path.empty()) {
        constexpr DWORD kMessages = INSTALLLOGMODE_ERROR | INSTALLLOGMODE_WARNING | INSTALLLOGMODE_INFO |
                                    INSTALLLOGMODE_ACTIONSTART | INSTALLLOGMODE_OUTOFDISKSPACE;
        if (on_) ::MsiEnableLogW(kMessages, path.c_str(), INSTALLLOGATTRIBUTES_APPEND);
    }
    ~InstallerLog() {
        if (on_) ::MsiEnableLogW(0, nullptr, 0);
    }
    InstallerLog(const InstallerLog&) = delete;
    InstallerLog& operator=(const InstallerLog&) = delete;

private:
    bool on_;
};

} // namespace

void MsiEngine::SetUiLevel(int level) { ::MsiSetInternalUI(static_cast<INSTALLUILEVEL>(level), nullptr); }

std::vector<std::wstring> MsiEngine::Products() {
    std::vector<std::wstring> codes;
    wchar_t code[39];
    // The list ends at the first index the installer cannot report.
    for (DWORD index = 0; ::MsiEnumProductsW(index, code) == ERROR_SUCCESS; ++index) codes.emplace_back(code);
    return codes;
}

std::optional<std::wstring> MsiEngine::ProductInfo(const std::wstring& productCode, const std::wstring& attribute) {
    return InstallerText(
        [&](wchar_t* buffer, DWORD* size) {
            return ::MsiGetProductInfoW(productCode.c_str(), attribute.c_str(), buffer, size);
        });
}

std::optional<std::wstring> MsiEngine::ProductUpgradeCode(const std::wstring& productCode) {
    for (const auto& [product, upgradeCode] : upgradeCodes_) {
        if (product == productCode) return upgradeCode;
    }
    UniqueInstallerHandle session;
    if (::MsiOpenProductW(productCode.c_str(), session.put()) != ERROR_SUCCESS) return std::nullopt;
    auto value = InstallerText(
        [&](wchar_t* buffer, DWORD* size) {
            return ::MsiGetProductPropertyW(session.get(), L"UpgradeCode", buffer, size);
        });
    // A failed read is asked again next time.
    if (value) upgradeCodes_.emplace_back(productCode, *value);
    return value;
}

// The package's own Property table, opened read-only: no session, so nothing of an
// installed product of the same code (its patches) changes what is read. A property that is
// not there reads as empty, as a session gives it.
std::wstring MsiEngine::PackageProperty(const std::wstring& packagePath, const std::wstring& property) {
    UniqueInstallerHandle database, view, record;
    UINT result = ::MsiOpenDatabaseW(packagePath.c_str(), MSIDBOPEN_READONLY, database.put());
    if (result != ERROR_SUCCESS) throw Win32Error(result, L"OpenDatabase");
    result = ::MsiDatabaseOpenViewW(database.get(), L"SELECT `Value` FROM `Property` WHERE `Property` = ?", view.put());
    const UniqueInstallerHandle name(::MsiCreateRecord(1));
    if (result == ERROR_SUCCESS) result = ::MsiRecordSetStringW(name.get(), 1, property.c_str());
    if (result == ERROR_SUCCESS) result = ::MsiViewExecute(view.get(), name.get());
    if (result == ERROR_SUCCESS) result = ::MsiViewFetch(view.get(), record.put());
    if (result == ERROR_NO_MORE_ITEMS) return L"";
    if (result != ERROR_SUCCESS) throw Win32Error(result, L"ProductProperty");
    auto value = InstallerText(
        [&](wchar_t* buffer, DWORD* size) { return ::MsiRecordGetStringW(record.get(), 1, buffer, size); }, &result);
    if (!value) throw Win32Error(result, L"ProductProperty");
    return std::move(*value);
}

std::optional<std::wstring> MsiEngine::FileVersion(const std::wstring& filePath) {
    return InstallerText(
        [&](wchar_t* buffer, DWORD* size) {
            return ::MsiGetFileVersionW(filePath.c_str(), buffer, size, nullptr, nullptr);
        });
}

unsigned MsiEngine::InstallProduct(const std::wstring& packagePath, const InstallRequest& request) {
    upgradeCodes_.clear();
    const InstallerLog log(installerLog_);
    return ::MsiInstallProductW(packagePath.c_str(), PropertiesOf(request).c_str());
}

unsigned MsiEngine::ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) {
    const InstallerLog log(installerLog_);
    // No install package named: every installed product the patch targets is patched.
    return ::MsiApplyPatchW(patchPath.c_str(), nullptr, INSTALLTYPE_DEFAULT, PropertiesOf(request).c_str());
}

void MsiEngine::AddSource(const std::wstring& productCode, const std::wstring& folder) {
    // A folder source ends with a backslash; index 1 puts it before the sources already listed.
    const std::wstring source = folder + L"\\";
    const UINT result = ::MsiSourceListAddSourceExW(productCode.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE,
                                                    static_cast<DWORD>(MSICODE_PRODUCT) | static_cast<DWORD>(MSISOURCETYPE_NETWORK), source.c_str(), 1);
    if (result != ERROR_SUCCESS) throw Win32Error(result, L"AddSource");
}

} // namespace orvh
