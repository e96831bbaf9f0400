#pragma once
// The trust of the update set. A launcher that carries no signature uses the set as it
// comes. A validly signed one uses only files that its own publisher (the subject of its
// signer certificate) signed, a full package whose own version and a launcher whose own
// file version are the versions announced; every file the run's road uses is verified, and
// held, before anything moves. A launcher whose own signature does not verify uses none.
#include "main/run_road.h"
#include "main/update_set.h"
#include "set_rules/refusals.h"
#include "system/signatures.h"

#include <functional>
#include <string>
#include <vector>

namespace orvh {

class Journal;
class StringTable;

struct TrustVerdict {
    Refusal refusal = Refusal::None;
    std::wstring file; // the refused file's path
    std::vector<std::wstring> verified; // the files whose signature was read, in order, the refused one last
    bool operator==(const TrustVerdict&) const = default;
};

// The files' own versions, canonical; empty when they cannot be read.
struct OwnVersions {
    FileVersionReader package;    // a package's ProductVersion
    FileVersionReader executable; // an executable's file version
};

class SetTrust {
public:
    SetTrust(SignatureVerifier& verifier, Journal& journal) : verifier_(verifier), journal_(journal) {}

    // Reads the running launcher's own signature.
    void VerifyLauncher(const std::wstring& path);
    // Whether the set is checked at all: the launcher carries a signature.
    bool Checks() const { return launcher_.state != SignatureState::Unsigned; }
    // The set's verdict: the files in turn, each through its verification copy (`copyOf`),
    // held once verified, up to the first refused.
    TrustVerdict Check(const std::vector<SetFile>& files, const std::function<std::wstring(const SetFile&)>& copyOf,
                       const OwnVersions& versions);

private:
    Refusal Verify(const SetFile& file, const std::wstring& copy, const OwnVersions& versions);

    SignatureVerifier& verifier_;
    Journal& journal_;
    std::wstring launcherPath_;
    FileSignature launcher_;
};

// The message box's text: the refused file's name and the reason.
std::wstring RefusalMessage(const TrustVerdict& verdict, const StringTable& texts);

} // namespace orvh
