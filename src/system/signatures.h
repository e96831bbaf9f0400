#pragma once
// Authenticode signatures of files: whether a file carries a valid one and who signed it.
#include <cstdint>
#include <string>
#include <vector>

namespace orvh {

enum class SignatureState {
    Unsigned,  // the file carries no signature
    Valid,     // the signature verifies up to a trusted root
    NotValid,  // a signature that does not verify: changed content, untrusted root, expired...
};

struct FileSignature {
    SignatureState state = SignatureState::Unsigned;
    std::uint32_t result = 0;   // the verification's result code
    std::wstring resultName;    // its symbolic name, e.g. TRUST_E_NOSIGNATURE
    // The signer certificate's subject: as encoded in the certificate (what is compared),
    // and as text (what is written); empty when no signer was found.
    std::vector<std::uint8_t> subject;
    std::wstring subjectText;
    std::wstring thumbprint;    // SHA-1 of the signer certificate, hexadecimal
};

class SignatureVerifier {
public:
    virtual ~SignatureVerifier() = default;
    // Verifies the file's signature, with no user interface and no network. When `hold`,
    // the file stays open from the verification on: others may read it but neither write
    // nor delete it until Release. A file that cannot be opened raises a PlatformError.
    virtual FileSignature Verify(const std::wstring& path, bool hold) = 0;
    // Holds `copy` as a verified file is held, when it holds byte for byte what the held file
    // `verified` holds, read through the holds; tells whether it does. A copy that differs,
    // or a `verified` that is not held, is not held. A held copy is not checked again.
    virtual bool HoldExactCopy(const std::wstring& copy, const std::wstring& verified) = 0;
    // Ends the hold of a file verified with `hold` or of a held copy; nothing for any other path.
    virtual void Release(const std::wstring& path) = 0;
    // Whether two encoded subjects name the same subject.
    virtual bool SameSubject(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) const = 0;
};

} // namespace orvh
