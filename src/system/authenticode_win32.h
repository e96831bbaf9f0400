#pragma once
// Authenticode through WinVerifyTrust: no user interface, no network, no revocation check
// (see the README), the signer read from the verification's own state.
#include "system/signatures.h"
#include "system/unique_handles_win32.h"

#include <map>

namespace orvh {

// A certificate's subject: the attributes that name its publisher, and the whole name as text.
PublisherName PublisherNameOf(PCCERT_CONTEXT certificate);
std::wstring SubjectTextOf(PCCERT_CONTEXT certificate);

class AuthenticodeVerifier final : public SignatureVerifier {
public:
    FileSignature Verify(const std::wstring& path, bool hold) override;
    bool HoldExactCopy(const std::wstring& copy, const std::wstring& verified) override;
    void Hold(const std::wstring& path) override;
    void Release(const std::wstring& path) override;

private:
    std::map<std::wstring, UniqueFile> held_;
};

} // namespace orvh
