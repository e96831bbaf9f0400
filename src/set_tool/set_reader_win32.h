#pragma once
// The facts of an update set's files through Windows' own libraries: Windows Installer for
// packages and patches (a patch's transforms through their summary information in the
// patch's structured storage), the version resource through Windows Installer, signatures
// through WinVerifyTrust, the timestamp through the signature's message (crypt32).
#include "installer/msi_engine_win32.h"
#include "set_tool/set_check.h"
#include "set_tool/set_facts.h"
#include "system/authenticode_win32.h"
#include "system/delivered_files_win32.h"

namespace orvh::set_tool {

class Win32SetFileReader final : public SetFileReader {
public:
    PackageFacts Package(const std::wstring& path) override;
    PatchFacts Patch(const std::wstring& path) override;
    std::wstring ExecutableVersion(const std::wstring& path) override;
    SignatureFacts Signature(const std::wstring& path) override;
    std::optional<SetRole> RoleOf(const std::wstring& path) override;
    ArrivalVerdict ArrivalOf(const std::wstring& path, std::optional<SetRole> role) override;
    // Why a file that begins as a package, a patch or a program is not whole, or that it is
    // still being written; empty when it is whole or begins as none of them.
    std::wstring Damage(const std::wstring& path);
    // The publisher named by a validly signed file (the signer's subject) or by a certificate
    // file (its subject); nullopt for anything else.
    std::optional<Publisher> PublisherOf(const std::wstring& path);

private:
    MsiEngine installer_;
    AuthenticodeVerifier signatures_;
    Win32DeliveredFiles delivered_;
};

} // namespace orvh::set_tool
