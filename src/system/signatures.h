#pragma once
// Authenticode signatures of files: whether a file carries a valid one and who signed it.
#include <cstdint>
#include <string>

namespace orvh {

enum class SignatureState {
    Unsigned,  // the file carries no signature
    Valid,     // the signature verifies up to a trusted root
    NotValid,  // a signature that does not verify: changed content, untrusted root, expired...
};

// The attributes of a certificate's subject that name a publisher, decoded to text (not as
// they are encoded: a renewed certificate may encode the same name in other string types).
struct PublisherName {
    std::wstring organization; // O
    std::wstring locality;     // L
    std::wstring state;        // S (ST)
    std::wstring country;      // C
    std::wstring commonName;   // CN
};

// Whether two subjects name the same publisher, as Windows' publisher rules compare them:
// O, L, S, C and CN each the same text, letters A to Z compared without case. A name
// with none of them is nobody's.
bool SamePublisher(const PublisherName& a, const PublisherName& b);

struct FileSignature {
    SignatureState state = SignatureState::Unsigned;
    std::uint32_t result = 0;    // the verification's result code
    std::wstring resultName;     // its symbolic name, e.g. TRUST_E_NOSIGNATURE
    std::uint32_t lastError = 0; // the thread's last error the verification left
    // The signer certificate's subject: its publisher attributes (what is compared), and
    // the whole name as text (what is written); empty when no signer was found.
    PublisherName publisher;
    std::wstring subjectText;
    std::wstring thumbprint;     // SHA-1 of the signer certificate, hexadecimal
};

// TRUST_E_NOSIGNATURE: the result code that, with one of the last errors below, says unsigned.
inline constexpr std::uint32_t kTrustNoSignature = 0x800B0100;

// The state a verification's result code and last error tell. Only what Windows' own
// example treats as unsigned is unsigned: TRUST_E_NOSIGNATURE with the last error
// TRUST_E_NOSIGNATURE, TRUST_E_SUBJECT_FORM_UNKNOWN or TRUST_E_PROVIDER_UNKNOWN. Any other
// failure, a file that could not be read included, is a signature that is not valid.
SignatureState SignatureStateOf(std::uint32_t result, std::uint32_t lastError);

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
    // Holds a file as a verified file is held, without verifying it; nothing when it is held.
    virtual void Hold(const std::wstring& path) = 0;
    // Ends the hold of a held file or copy; nothing for any other path.
    virtual void Release(const std::wstring& path) = 0;
};

} // namespace orvh
