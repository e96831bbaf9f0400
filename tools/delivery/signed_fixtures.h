#pragma once
// The signed copies of the launcher and of fixture packages (bin\fixtures\signed), and their
// test root, trusted as a Windows machine trusts the root of its publisher's certificate.
#include "paths.h"

#include <wincrypt.h>

namespace orvh::test {

inline std::wstring SignedFixture(const std::wstring& name) { return FixturePackagePath(L"signed\\" + name); }

// Adds the test root to the machine's Root store; true when it is there.
inline bool TrustTestRoot() {
    const std::string root = ReadFileBytes(SignedFixture(L"root.der"));
    const HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!store) return false;
    const BOOL added = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                          reinterpret_cast<const BYTE*>(root.data()),
                                                          static_cast<DWORD>(root.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                          nullptr);
    ::CertCloseStore(store, 0);
    return added;
}

} // namespace orvh::test
