#include "set_tool/set_reader_win32.h"

#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <msiquery.h>
#include <propidl.h>

namespace orvh::set_tool {
namespace {

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::wstring::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// A text property of Windows Installer's summary information.
std::wstring SummaryText(MSIHANDLE summary, UINT property) {
    UINT result = ERROR_SUCCESS;
    const auto text = SizedText(
        [&](wchar_t* buffer, std::size_t size) -> std::size_t {
            UINT type = 0;
            DWORD length = static_cast<DWORD>(size);
            result = ::MsiSummaryInfoGetPropertyW(summary, property, &type, nullptr, nullptr, buffer, &length);
            if (result == ERROR_SUCCESS) return type == VT_LPSTR ? length + 1 : 1;
            return result == ERROR_MORE_DATA ? length + 1 : 0;
        },
        64);
    if (!text) throw Win32Error(result, L"MsiSummaryInfoGetProperty");
    return *text;
}

// The revision number of a transform's summary information: "{product}version;{product}version;{upgrade code}",
// the product and version it applies to, then the ones it makes.
std::optional<PatchTarget> TransformTarget(IStorage& transform) {
    IPropertySetStorage* sets = nullptr;
    if (FAILED(transform.QueryInterface(IID_IPropertySetStorage, reinterpret_cast<void**>(&sets)))) return std::nullopt;
    const UniqueComInterface<IPropertySetStorage> ownedSets(sets);
    UniqueComInterface<IPropertyStorage> properties;
    if (FAILED(sets->Open(FMTID_SummaryInformation, STGM_READ | STGM_SHARE_EXCLUSIVE, properties.put()))) {
        return std::nullopt;
    }
    PROPSPEC revisionNumber{PRSPEC_PROPID, {PIDSI_REVNUMBER}};
    UniquePropVariant read;
    if (properties.get()->ReadMultiple(1, &revisionNumber, read.put()) != S_OK) return std::nullopt;
    const PROPVARIANT& value = read.get();
    std::wstring revision;
    if (value.vt == VT_LPSTR && value.pszVal) {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, value.pszVal, -1, nullptr, 0);
        revision.assign(length > 0 ? length - 1 : 0, L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, value.pszVal, -1, revision.data(), length);
    } else if (value.vt == VT_LPWSTR && value.pwszVal) {
        revision = value.pwszVal;
    }
    const auto parts = Split(revision, L';');
    if (parts.size() < 3 || parts[0].size() < 38 || parts[1].size() < 38) return std::nullopt;
    return PatchTarget{parts[0].substr(0, 38), parts[0].substr(38), parts[1].substr(0, 38), parts[1].substr(38), parts[2]};
}

bool Timestamped(const std::wstring& path) {
    UniqueCryptMessage message;
    if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                            CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, nullptr, message.put(), nullptr)) {
        return false;
    }
    DWORD size = 0;
    // Wine reports a signer without unsigned attributes as an empty parameter.
    if (!::CryptMsgGetParam(message.get(), CMSG_SIGNER_UNAUTH_ATTR_PARAM, 0, nullptr, &size) ||
        size < sizeof(CRYPT_ATTRIBUTES)) {
        return false;
    }
    std::vector<BYTE> buffer(size);
    if (!::CryptMsgGetParam(message.get(), CMSG_SIGNER_UNAUTH_ATTR_PARAM, 0, buffer.data(), &size)) return false;
    const auto* attributes = reinterpret_cast<const CRYPT_ATTRIBUTES*>(buffer.data());
    for (DWORD i = 0; i < attributes->cAttr; ++i) {
        const std::string oid = attributes->rgAttr[i].pszObjId;
        if (oid == szOID_RSA_counterSign || oid == szOID_RFC3161_counterSign) return true;
    }
    return false;
}

} // namespace

PackageFacts Win32SetFileReader::Package(const std::wstring& path) {
    return {installer_.PackageProperty(path, L"ProductName"), installer_.PackageProperty(path, L"ProductVersion"),
            installer_.PackageProperty(path, L"ProductCode"), installer_.PackageProperty(path, L"UpgradeCode")};
}

PatchFacts Win32SetFileReader::Patch(const std::wstring& path) {
    UniqueInstallerHandle summary;
    const UINT result = ::MsiGetSummaryInformationW(0, path.c_str(), 0, summary.put());
    if (result != ERROR_SUCCESS) throw Win32Error(result, L"MsiGetSummaryInformation");
    PatchFacts patch;
    patch.patchCode = SummaryText(summary.get(), PIDSI_REVNUMBER).substr(0, 38);
    for (auto& code : Split(SummaryText(summary.get(), PIDSI_TEMPLATE), L';')) {
        if (!code.empty()) patch.targetProductCodes.push_back(code);
    }
    // Each transform is a storage inside the patch, with its own summary information. (MsiExtractPatchXMLDataW
    // would give the same facts, but Wine's msi.dll does not implement it.)
    UniqueComInterface<IStorage> storage;
    HRESULT status = ::StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, storage.put());
    if (FAILED(status)) throw Win32Error(static_cast<DWORD>(status), L"StgOpenStorage");
    UniqueComInterface<IEnumSTATSTG> elements;
    status = storage.get()->EnumElements(0, nullptr, 0, elements.put());
    if (FAILED(status)) throw Win32Error(static_cast<DWORD>(status), L"EnumElements");
    STATSTG element;
    while (elements.get()->Next(1, &element, nullptr) == S_OK) {
        const UniqueTaskText name(element.pwcsName);
        if (element.type != STGTY_STORAGE) continue;
        UniqueComInterface<IStorage> transform;
        if (FAILED(storage.get()->OpenStorage(name.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                               transform.put()))) {
            continue;
        }
        if (const auto target = TransformTarget(*transform.get())) patch.targets.push_back(*target);
    }
    if (patch.patchCode.size() != 38 || patch.targets.empty()) {
        throw PlatformError(ERROR_INSTALL_PACKAGE_INVALID, L"Patch", L"no patch code or no transform naming its target");
    }
    return patch;
}

std::wstring Win32SetFileReader::ExecutableVersion(const std::wstring& path) {
    return installer_.FileVersion(path).value_or(L"");
}

SignatureFacts Win32SetFileReader::Signature(const std::wstring& path) {
    SignatureFacts facts{signatures_.Verify(path, false), false};
    facts.timestamped = facts.signature.state != SignatureState::Unsigned && Timestamped(path);
    return facts;
}

// Windows Installer reads only a storage known to be whole (Wine's msi.dll crashes on a patch cut short).
std::optional<SetRole> Win32SetFileReader::RoleOf(const std::wstring& path) {
    if (delivered_.Check(path, FileForm::Package).arrival == Arrival::Whole) {
        try {
            if (!installer_.PackageProperty(path, L"ProductCode").empty()) return SetRole::FullPackage;
        } catch (const PlatformError&) {
        }
        if (delivered_.Check(path, FileForm::Patch).arrival != Arrival::Whole) return std::nullopt;
        try {
            Patch(path);
            return SetRole::Patch;
        } catch (const PlatformError&) {
        }
        return std::nullopt;
    }
    if (delivered_.Check(path, FileForm::Executable).arrival != Arrival::Whole) return std::nullopt;
    if (!ExecutableVersion(path).empty()) return SetRole::Launcher;
    return std::nullopt;
}

ArrivalVerdict Win32SetFileReader::ArrivalOf(const std::wstring& path, std::optional<SetRole> role) {
    if (!role) return delivered_.BeingWritten(path) ? ArrivalVerdict{Arrival::BeingWritten, L""} : ArrivalVerdict{};
    return delivered_.Check(path, FormOf(*role));
}

std::wstring Win32SetFileReader::Damage(const std::wstring& path) {
    const ArrivalVerdict program = delivered_.Check(path, FileForm::Executable);
    if (program.arrival == Arrival::BeingWritten) return L"still being written by another program";
    for (const auto& verdict : {delivered_.Check(path, FileForm::Package), program}) {
        if (verdict.arrival == Arrival::NotWhole && !verdict.fault.starts_with(L"not a ")) return verdict.fault;
    }
    return L"";
}

std::optional<Publisher> Win32SetFileReader::PublisherOf(const std::wstring& path) {
    const FileSignature signature = signatures_.Verify(path, false);
    if (signature.state == SignatureState::Valid) return Publisher{signature.publisher, signature.subjectText};
    UniqueCertificate certificate;
    if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_CERT, CERT_QUERY_FORMAT_FLAG_ALL,
                            0, nullptr, nullptr, nullptr, nullptr, nullptr,
                            reinterpret_cast<const void**>(certificate.put()))) {
        return std::nullopt;
    }
    return Publisher{PublisherNameOf(certificate.get()), SubjectTextOf(certificate.get()), true};
}

} // namespace orvh::set_tool
