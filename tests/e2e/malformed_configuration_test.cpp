// ORVHUpdate.cfg as nobody should write it, through the real OrvhUpdate.exe: the versions
// are whatever the profile functions read, compared as text, and nothing is lost.
#include "fault_injection.h"
#include "fixture_paths.h"
#include "update_scenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

namespace fx = fixtures;

const std::wstring kHubCode(fx::hub_1_1_601.upgradeCode);
const std::wstring kOld = L"0001.0001.0000.0601";
const std::wstring kNew = L"0001.0002.0000.0000";

std::string Utf8(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// Orvane Hub 1.1.0.601 installed, the 1.2.0 package delivered, the configuration file
// written byte for byte by the test.
class MalformedConfiguration : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
        scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_2_0);
    }
    std::wstring Tail() const { return scenario.Tail(); }
    std::wstring Configuration() const { return scenario.Sub(L"Nuovo") + L"\\ORVHUpdate.cfg"; }
    void WriteConfiguration(const std::string& bytes) { WriteFileBytes(Configuration(), bytes); }
    RunOutcome RunToEnd() {
        RunOutcome run = scenario.Run(Tail());
        EXPECT_TRUE(run.ended);
        return run;
    }
    void ExpectInstalled(const std::wstring& version) { EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), version); }
    void ExpectNewInstalledAndTheSetMovedOn(const RunOutcome& run, const std::string& configuration) {
        EXPECT_THAT(run.boxes, IsEmpty());
        ExpectInstalled(kNew);
        EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
        EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
        EXPECT_EQ(ReadFileBytes(scenario.Sub(L"Corrente") + L"\\ORVHUpdate.cfg"), configuration);
        ExpectStarted(L" /NoConsole");
    }
    void ExpectStarted(const std::wstring& switches) {
        const auto starts = scenario.ProductStarts();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].commandLine, scenario.ProductPath() + switches);
    }

    UpdateScenario scenario;
};

TEST_F(MalformedConfiguration, BinaryGarbageAnnouncesNothing) {
    std::string garbage(64 * 1024, '\0');
    unsigned state = 2024;
    for (auto& c : garbage) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    WriteConfiguration(garbage);
    const RunOutcome run = RunToEnd();
    // No version read: nothing is due, so the set moves on without an installation.
    EXPECT_THAT(run.boxes, IsEmpty());
    ExpectInstalled(kOld);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    EXPECT_EQ(ReadFileBytes(scenario.Sub(L"Corrente") + L"\\ORVHUpdate.cfg"), garbage);
    ExpectStarted(L" /IgnoraAggiornamento /NoConsole");
}

TEST_F(MalformedConfiguration, Utf16WithByteOrderMarkIsRead) {
    const std::wstring text = L"\xFEFF[Versione]\r\nOrvane Hub.msi=" + kNew + L"\r\n";
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    WriteConfiguration(bytes);
    ExpectNewInstalledAndTheSetMovedOn(RunToEnd(), bytes);
}

TEST_F(MalformedConfiguration, TenMegabytesBeforeTheVersionsAreRead) {
    std::string bytes = "[Altro]\r\n";
    for (int i = 0; bytes.size() < 10 * 1024 * 1024; ++i) {
        bytes += "chiave" + std::to_string(i) + "=" + std::string(100, 'v') + "\r\n";
    }
    bytes += "[Versione]\r\nOrvane Hub.msi=" + Utf8(kNew) + "\r\n";
    WriteConfiguration(bytes);
    ExpectNewInstalledAndTheSetMovedOn(RunToEnd(), bytes);
}

TEST_F(MalformedConfiguration, ValueOf300CharactersIsCutAndStillComparesAsText) {
    // "0001.0002.0000." and 285 zeros: cut to what the buffer holds, still above the
    // installed version and still a number in every group.
    const std::string value = Utf8(kNew.substr(0, 15)) + std::string(285, '0');
    ASSERT_EQ(value.size(), 300u);
    const std::string bytes = "[Versione]\r\nOrvane Hub.msi=" + value + "\r\n";
    WriteConfiguration(bytes);
    ExpectNewInstalledAndTheSetMovedOn(RunToEnd(), bytes);
}

TEST_F(MalformedConfiguration, DuplicatedKeyAndSectionTheFirstCounts) {
    // Were the second key read, "abc" would stop the run; were the second section read,
    // the patch would be applied.
    scenario.Deliver(L"ORVHPatch.msp", FixturePackagePath(fx::hub_1_2_100_msp.file));
    const std::string bytes = "[Versione]\r\nOrvane Hub.msi=" + Utf8(kNew) +
                              "\r\nOrvane Hub.msi=abc\r\n[Versione]\r\nORVHPatch.msp=0001.0002.0000.0100\r\n";
    WriteConfiguration(bytes);
    const RunOutcome run = RunToEnd();
    EXPECT_THAT(run.boxes, IsEmpty());
    ExpectInstalled(kNew);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    ExpectStarted(L" /NoConsole");
}

class NonCanonicalVersion : public MalformedConfiguration, public testing::WithParamInterface<const char*> {};

// Above "0001.0001.0000.0601" as text, and shown without a fault: the package is installed.
TEST_P(NonCanonicalVersion, ComparesAsText) {
    const std::string bytes = std::string("[Versione]\r\nOrvane Hub.msi=") + GetParam() + "\r\n";
    WriteConfiguration(bytes);
    ExpectNewInstalledAndTheSetMovedOn(RunToEnd(), bytes);
}

// Four groups are read as numbers for the window, one or two groups are shown as written.
INSTANTIATE_TEST_SUITE_P(Forms, NonCanonicalVersion, testing::Values("1.2.0.0", "abc", "9.x"));

TEST_F(MalformedConfiguration, FourGroupVersionWithALetterEndsTheRunWithTheErrorReport) {
    // "1.a.0.0" is above the installed version as text; showing it as a version fails
    // before anything is staged.
    WriteConfiguration("[Versione]\r\nOrvane Hub.msi=1.a.0.0\r\n");
    const RunOutcome run = RunToEnd();
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].contents.title, L"OrvhUpdate");
    EXPECT_EQ(run.boxes[0].contents.text, L"Errore di run-time '13':\r\n\r\nTipo non corrispondente");
    EXPECT_EQ(run.boxes[0].contents.icon, BoxIcon::Stop);
    EXPECT_FALSE(run.boxes[0].windowVisible) << "the report comes once the window has gone";
    ExpectInstalled(kOld);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")), IsEmpty());
    EXPECT_THAT(scenario.ProductStarts(0), IsEmpty());
}

} // namespace
} // namespace orvh::test
