#include "main/trusted_set.h"

#include "common/journal.h"
#include "common/string_ids.h"
#include "resources/string_table.h"
#include "set_rules/version_rules.h"
#include "system/file_system.h"

namespace orvh {
namespace {

std::wstring Hex(std::uint32_t code) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text = L"0x00000000";
    for (int i = 9; i >= 2; --i, code >>= 4) text[i] = kDigits[code & 0xF];
    return text;
}

std::wstring Described(const FileSignature& signature) {
    // That result means unsigned or not valid according to the last error.
    const std::wstring lastError =
        signature.result == kTrustNoSignature ? L" (last error " + Hex(signature.lastError) + L")" : L"";
    return L"result " + Hex(signature.result) + L" " + signature.resultName + lastError + L", signer \"" +
           signature.subjectText +
           L"\", thumbprint " + (signature.thumbprint.empty() ? L"none" : signature.thumbprint);
}

const wchar_t* Why(Refusal refusal) {
    switch (refusal) {
    case Refusal::NotSigned: return L"not signed";
    case Refusal::OtherPublisher: return L"signed by another publisher";
    case Refusal::NotValid: return L"signature not valid";
    case Refusal::VersionsDisagree: return L"its own version is not the one announced";
    case Refusal::None: break;
    }
    return L"accepted";
}

} // namespace

void SetTrust::VerifyLauncher(const std::wstring& path) {
    launcherPath_ = path;
    launcher_ = verifier_.Verify(path, false);
    switch (launcher_.state) {
    case SignatureState::Unsigned:
        journal_.Write(L"This launcher is not signed (" + launcher_.resultName + L"): the update set is not verified");
        break;
    case SignatureState::Valid:
        journal_.Write(L"This launcher is signed (" + Described(launcher_) +
                       L"): the update set must carry the same publisher's valid signatures");
        break;
    case SignatureState::NotValid:
        journal_.Write(L"This launcher's signature is not valid (" + Described(launcher_) + L"): nothing is installed");
        break;
    }
}

TrustVerdict SetTrust::Check(const std::vector<SetFile>& files,
                              const std::function<std::wstring(const SetFile&)>& copyOf, const OwnVersions& versions) {
    if (launcher_.state == SignatureState::NotValid) {
        journal_.Write(L"Update set refused: this launcher's own signature is not valid");
        return {Refusal::NotValid, launcherPath_, {}};
    }
    TrustVerdict verdict;
    for (const auto& file : files) {
        verdict.verified.push_back(file.path);
        const Refusal refusal = Verify(file, copyOf(file), versions);
        if (refusal != Refusal::None) {
            journal_.Write(L"Update set refused (\"" + file.path + L"\": " + Why(refusal) +
                           L"): nothing is copied, installed or rotated");
            verdict.refusal = refusal;
            verdict.file = file.path;
            return verdict;
        }
    }
    journal_.Write(L"Update set verified: " + std::to_wstring(files.size()) + L" file(s) signed by this launcher's publisher");
    return verdict;
}

Refusal SetTrust::Verify(const SetFile& file, const std::wstring& copy, const OwnVersions& versions) {
    const FileSignature signature = verifier_.Verify(copy, true);
    Refusal refusal = Refusal::None;
    if (signature.state == SignatureState::Unsigned) {
        refusal = Refusal::NotSigned;
    } else if (signature.state == SignatureState::NotValid) {
        refusal = Refusal::NotValid;
    } else if (!SamePublisher(signature.publisher, launcher_.publisher)) {
        refusal = Refusal::OtherPublisher;
    }
    journal_.Write(L"Signature of \"" + copy + L"\": " + Described(signature) + L", expected publisher \"" +
                   launcher_.subjectText + L"\": " + Why(refusal));
    if (refusal != Refusal::None) return refusal;

    if (!CarriesAnnouncedVersion(file.role)) return Refusal::None;
    const bool executable = file.role == SetRole::Launcher;
    const std::wstring own = executable ? versions.executable(copy) : versions.package(copy);
    const bool agree = own == file.announced;
    journal_.Write(L"Own version of \"" + copy + L"\" " + (own.empty() ? L"unreadable" : own) + L", announced " +
                   (file.announced.empty() ? L"none" : file.announced) + (agree ? L": they agree" : L": they differ"));
    return agree ? Refusal::None : Refusal::VersionsDisagree;
}

std::wstring RefusalMessage(const TrustVerdict& verdict, const StringTable& texts) {
    return texts.LoadDllString(text::kSetRefused) + L" '" + FileSystem::GetFileName(verdict.file) + L"' " +
           texts.LoadDllString(ReasonTextOf(verdict.refusal)) + L". " + texts.LoadDllString(text::kPassOnToSupplier);
}

} // namespace orvh
