// Real Authenticode signatures of test certificates, and the files held once verified.
#include "common/journal.h"
#include "rows.h"
#include "system/authenticode_win32.h"
#include "system/file_system_win32.h"
#include "system/platform_error.h"
#include "run_checks.h"

#include <gtest/gtest.h>

#include <optional>

namespace orvh {
namespace {

NoJournal journal;

// What WinVerifyTrust reports for real signatures of test certificates: the state, the code,
// the signer; a renewed certificate of the same subject is the same publisher, its name's
// strings encoded in other types too.
TEST(Signatures, TheStateAndTheSignerOfRealFiles) {
    ASSERT_TRUE(test::TrustTestRoot());
    AuthenticodeVerifier verifier;
    const FileSignature launcher = verifier.Verify(test::SignedFixture(L"OrvhUpdate.exe"), false);
    // The file; its state, result, signer (nullopt, not compared: whether a broken signature's
    // signer is read), whether it is the launcher's publisher.
    const std::tuple<std::wstring, SignatureState, std::wstring, std::optional<std::wstring>, bool> rows[] = {
        {test::OrvhUpdateExe(), SignatureState::Unsigned, L"TRUST_E_NOSIGNATURE", L"", false},
        {test::SignedFixture(L"OrvhUpdate.exe"), SignatureState::Valid, L"ERROR_SUCCESS", test::kPublisherSubject, true},
        {test::SignedFixture(L"OrvhUpdate-tampered.exe"), SignatureState::NotValid, L"TRUST_E_BAD_DIGEST",
         std::nullopt, false},
        {test::SignedFixture(L"hub-1.2.0.msi"), SignatureState::Valid, L"ERROR_SUCCESS", test::kPublisherSubject, true},
        {test::SignedFixture(L"hub-1.2.100-renewed.msp"), SignatureState::Valid, L"ERROR_SUCCESS",
         test::kPublisherSubject, true},
        {test::SignedFixture(L"hub-1.2.100-other.msp"), SignatureState::Valid, L"ERROR_SUCCESS",
         L"C=IT, O=Altro Editore S.r.l., CN=Altro Editore S.r.l.", false},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [file, state, result, subject, samePublisher] = row;
        const FileSignature signature = verifier.Verify(file, false);
        EXPECT_EQ(signature.state, state);
        EXPECT_EQ(signature.resultName, result);
        if (!subject) return;
        std::wstring shown = signature.subjectText;
        // Wine 8 quotes values with blanks in spite of CERT_NAME_STR_NO_QUOTING_FLAG.
        if (test::UnderWine()) std::erase(shown, L'"');
        EXPECT_EQ(shown, *subject);
        EXPECT_EQ(SamePublisher(signature.publisher, launcher.publisher), samePublisher);
        EXPECT_EQ(signature.thumbprint.size(), subject->empty() ? 0u : 40u);
    });
    EXPECT_NE(verifier.Verify(test::SignedFixture(L"hub-1.2.0.msi"), false).thumbprint, launcher.thumbprint);
}

// A held file can be read, not written or deleted until released.
TEST(Signatures, AHeldFileIsReadableButNotDeletable) {
    const test::ScratchFolder scratch;
    const std::wstring package = scratch / L"Orvane Hub.msi";
    Win32FileSystem fs(journal);
    fs.CopyFile(test::SignedFixture(L"hub-1.2.0.msi"), package);
    AuthenticodeVerifier verifier;
    EXPECT_EQ(verifier.Verify(package, true).state, SignatureState::Valid);
    // A copy is held only when it is the held file byte for byte.
    const std::wstring copy = scratch / L"copy.msi", other = scratch / L"other.msi";
    fs.CopyFile(package, copy);
    fs.CopyFile(test::SignedFixture(L"OrvhUpdate.exe"), other);
    EXPECT_TRUE(verifier.HoldExactCopy(copy, package));
    EXPECT_FALSE(verifier.HoldExactCopy(other, package));
    EXPECT_NO_THROW(fs.DeleteFile(other));
    // A file held without being verified, as the package a patch reinstalls from is.
    const std::wstring unverified = scratch / L"unverified.msi";
    fs.CopyFile(package, unverified);
    verifier.Hold(unverified);
    for (const auto& held : {package, copy, unverified}) {
        EXPECT_FALSE(::DeleteFileW(held.c_str())) << testing::PrintToString(held);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        const UniqueFile writer(::CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(writer) << "opened for writing while held";
    }
    verifier.Release(copy);
    EXPECT_NO_THROW(fs.DeleteFile(copy));
    verifier.Release(unverified);
    EXPECT_NO_THROW(fs.DeleteFile(unverified));
    verifier.Release(package);
    EXPECT_NO_THROW(fs.DeleteFile(package));
    EXPECT_THROW(verifier.Verify(package, true), PlatformError) << "a missing file";
}

} // namespace
} // namespace orvh
