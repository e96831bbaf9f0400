#include "system/authenticode_win32.h"

#include "system/sized_text.h"
#include "system/win32_error_win32.h"

#include <softpub.h>

#include <cstring>
#include <vector>

namespace orvh {
namespace {

struct KnownResult {
    LONG code;
    const wchar_t* name;
};

constexpr KnownResult kKnownResults[] = {
    {ERROR_SUCCESS, L"ERROR_SUCCESS"},
    {TRUST_E_NOSIGNATURE, L"TRUST_E_NOSIGNATURE"},
    {TRUST_E_SUBJECT_FORM_UNKNOWN, L"TRUST_E_SUBJECT_FORM_UNKNOWN"},
    {TRUST_E_PROVIDER_UNKNOWN, L"TRUST_E_PROVIDER_UNKNOWN"},
    {TRUST_E_BAD_DIGEST, L"TRUST_E_BAD_DIGEST"},
    {TRUST_E_SUBJECT_NOT_TRUSTED, L"TRUST_E_SUBJECT_NOT_TRUSTED"},
    {TRUST_E_EXPLICIT_DISTRUST, L"TRUST_E_EXPLICIT_DISTRUST"},
    {TRUST_E_NO_SIGNER_CERT, L"TRUST_E_NO_SIGNER_CERT"},
    {TRUST_E_CERT_SIGNATURE, L"TRUST_E_CERT_SIGNATURE"},
    {TRUST_E_TIME_STAMP, L"TRUST_E_TIME_STAMP"},
    {TRUST_E_FAIL, L"TRUST_E_FAIL"},
    {CERT_E_UNTRUSTEDROOT, L"CERT_E_UNTRUSTEDROOT"},
    {CERT_E_CHAINING, L"CERT_E_CHAINING"},
    {CERT_E_EXPIRED, L"CERT_E_EXPIRED"},
    {CERT_E_REVOKED, L"CERT_E_REVOKED"},
    {CERT_E_WRONG_USAGE, L"CERT_E_WRONG_USAGE"},
    {CRYPT_E_SECURITY_SETTINGS, L"CRYPT_E_SECURITY_SETTINGS"},
    {CRYPT_E_FILE_ERROR, L"CRYPT_E_FILE_ERROR"},
};

std::wstring ResultName(LONG result) {
    for (const auto& known : kKnownResults) {
        if (known.code == result) return known.name;
    }
    return SystemErrorDescription(static_cast<DWORD>(result));
}

std::wstring Thumbprint(PCCERT_CONTEXT certificate) {
    BYTE hash[20];
    DWORD size = sizeof hash;
    if (!::CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash, &size)) return L"";
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (DWORD i = 0; i < size; ++i) {
        text += kDigits[hash[i] >> 4];
        text += kDigits[hash[i] & 0xF];
    }
    return text;
}

// Up to `size` bytes from `offset`, fewer only at the end; the handle's own position is not
// relied on, as WinVerifyTrust read the file through it.
DWORD ReadAt(HANDLE file, ULONGLONG offset, char* buffer, DWORD size) {
    DWORD total = 0;
    for (DWORD read = 0; total < size; total += read) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + total);
        at.OffsetHigh = static_cast<DWORD>((offset + total) >> 32);
        if (!::ReadFile(file, buffer + total, size - total, &read, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            ThrowLastError(L"HoldExactCopy");
        }
        if (read == 0) break;
    }
    return total;
}

bool SameBytes(HANDLE a, HANDLE b) {
    LARGE_INTEGER sizeA{}, sizeB{};
    if (!::GetFileSizeEx(a, &sizeA) || !::GetFileSizeEx(b, &sizeB)) ThrowLastError(L"HoldExactCopy");
    if (sizeA.QuadPart != sizeB.QuadPart) return false;
    constexpr DWORD kChunk = 1 << 20;
    std::vector<char> one(kChunk), other(kChunk);
    for (ULONGLONG offset = 0;; offset += kChunk) {
        const DWORD n = ReadAt(a, offset, one.data(), kChunk);
        if (n != ReadAt(b, offset, other.data(), kChunk) || std::memcmp(one.data(), other.data(), n) != 0) return false;
        if (n < kChunk) return true;
    }
}

// The subject's first attribute of a kind, decoded to text by Windows; empty when there is none.
std::wstring SubjectAttribute(PCCERT_CONTEXT certificate, const char* oid) {
    return SizedText([&](wchar_t* buffer, std::size_t size) {
               return ::CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(oid), buffer,
                                           static_cast<DWORD>(size));
           }).value_or(L"");
}

// The signer certificate of the first signature, when the verification got that far.
void ReadSigner(HANDLE state, FileSignature& signature) {
    CRYPT_PROVIDER_DATA* provider = state ? ::WTHelperProvDataFromStateData(state) : nullptr;
    CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain[0].pCert) return;
    const PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
    signature.publisher = PublisherNameOf(certificate);
    signature.subjectText = SubjectTextOf(certificate);
    signature.thumbprint = Thumbprint(certificate);
}

// Held as Verify holds a file: read sharing only.
UniqueFile OpenHeld(const std::wstring& path, std::wstring_view source) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(source);
    return file;
}

} // namespace

PublisherName PublisherNameOf(PCCERT_CONTEXT certificate) {
    return {SubjectAttribute(certificate, szOID_ORGANIZATION_NAME), SubjectAttribute(certificate, szOID_LOCALITY_NAME),
            SubjectAttribute(certificate, szOID_STATE_OR_PROVINCE_NAME), SubjectAttribute(certificate, szOID_COUNTRY_NAME),
            SubjectAttribute(certificate, szOID_COMMON_NAME)};
}

std::wstring SubjectTextOf(PCCERT_CONTEXT certificate) {
    CERT_NAME_BLOB& subject = certificate->pCertInfo->Subject;
    return SizedText(
               [&](wchar_t* buffer, std::size_t size) {
                   return ::CertNameToStrW(X509_ASN_ENCODING, &subject,
                                           CERT_X500_NAME_STR | CERT_NAME_STR_NO_QUOTING_FLAG, buffer,
                                           static_cast<DWORD>(size));
               },
               0)
        .value_or(L"");
}

FileSignature AuthenticodeVerifier::Verify(const std::wstring& path, bool hold) {
    // A held file stays readable for the copies and Windows Installer; it can be neither
    // written nor deleted (nor renamed) until it is released.
    const DWORD sharing = hold ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) ThrowLastError(L"VerifySignature");

    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file.get();
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    const DWORD lastError = ::GetLastError();
    const UniqueTrustState state(data, action);

    FileSignature signature;
    signature.state = SignatureStateOf(static_cast<std::uint32_t>(result), lastError);
    signature.result = static_cast<std::uint32_t>(result);
    signature.lastError = lastError;
    signature.resultName = ResultName(result);
    ReadSigner(state.get(), signature);
    if (hold) held_.insert_or_assign(path, std::move(file));
    return signature;
}

// The copy is held first and then compared: what is compared is what stays held, and so what
// Windows Installer reads through its path.
bool AuthenticodeVerifier::HoldExactCopy(const std::wstring& copy, const std::wstring& verified) {
    if (held_.count(copy)) return true;
    const auto original = held_.find(verified);
    if (original == held_.end()) return false;
    UniqueFile file = OpenHeld(copy, L"HoldExactCopy");
    if (!SameBytes(original->second.get(), file.get())) return false;
    held_.emplace(copy, std::move(file));
    return true;
}

void AuthenticodeVerifier::Hold(const std::wstring& path) {
    if (!held_.count(path)) held_.emplace(path, OpenHeld(path, L"Hold"));
}

void AuthenticodeVerifier::Release(const std::wstring& path) { held_.erase(path); }

} // namespace orvh
