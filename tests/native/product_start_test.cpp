#include "main/product_wait.h"

#include "fake_file_system.h"
#include "resources/string_table.h"
#include "system/message_pump.h"
#include "system/platform_error.h"
#include "system/processes.h"
#include "ui/progress_view.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace orvh {
namespace {

// What the fakes saw, in the order it happened.
using Calls = std::vector<std::wstring>;

// Texts carry their id, so that a call shows which text was written.
class IdTexts final : public StringTable {
public:
    std::wstring LoadDllString(std::int32_t index) const override { return L"text " + std::to_wstring(index); }
};

class RecordingView final : public ProgressView {
public:
    explicit RecordingView(Calls& calls) : calls_(calls) {}
    void SetCaption(std::wstring_view caption) override { calls_.push_back(L"caption " + std::wstring(caption)); }
    void SetLabel(WindowLabel label, std::wstring_view text) override {
        calls_.push_back((label == WindowLabel::Attivita ? L"activity: " : L"other label: ") + std::wstring(text));
    }
    void StepSuccessivo() override { calls_.push_back(L"next step"); }
    void SetInconStep(bool success) override { calls_.push_back(success ? L"icon success" : L"icon failure"); }
    void Show() override { calls_.push_back(L"show"); }

private:
    Calls& calls_;
};

class RecordingPump final : public MessagePump {
public:
    explicit RecordingPump(Calls& calls) : calls_(calls) {}
    void ProcessPendingMessages() override { calls_.push_back(L"pump"); }

private:
    Calls& calls_;
};

class RecordingWaiter final : public ProcessWaiter {
public:
    explicit RecordingWaiter(Calls& calls) : calls_(calls) {}
    std::int32_t AttendiProcesso(std::int32_t processId, bool wait) override {
        calls_.push_back(L"wait for " + std::to_wstring(processId) + (wait ? L" blocking" : L" polling"));
        return 1;
    }
    void Pausa(std::int32_t milliseconds) override { calls_.push_back(L"pause " + std::to_wstring(milliseconds)); }

private:
    Calls& calls_;
};

class RecordingStarter final : public ProgramStarter {
public:
    explicit RecordingStarter(Calls& calls) : calls_(calls) {}
    void Start(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show) override {
        calls_.push_back(L"start [" + applicationPath + L"] [" + commandLine + L"] show " +
                         std::to_wstring(static_cast<int>(show)));
        if (refuse) throw PlatformError(2, L"StartProgram", L"file not found");
    }
    bool refuse = false;

private:
    Calls& calls_;
};

// --- WaitForProduct ---

struct WaitCase {
    const char* name;
    std::int32_t processId;
    Calls expected;
};

void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class WaitForProductTest : public testing::TestWithParam<WaitCase> {};

TEST_P(WaitForProductTest, WaitsOrPausesThenShowsTheWindowOnTheFirstStep) {
    Calls calls;
    RecordingView view(calls);
    RecordingWaiter waiter(calls);

    WaitForProduct(GetParam().processId, view, IdTexts(), waiter);

    EXPECT_EQ(calls, GetParam().expected);
}

const Calls kAfterTheWait = {L"activity: text 301", L"next step", L"show"};

Calls Then(Calls first, const Calls& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    ProcessIds, WaitForProductTest,
    testing::Values(WaitCase{"Running", 1234, Then({L"wait for 1234 polling"}, kAfterTheWait)},
                    WaitCase{"Smallest", 1, Then({L"wait for 1 polling"}, kAfterTheWait)},
                    WaitCase{"Largest", INT_MAX, Then({L"wait for 2147483647 polling"}, kAfterTheWait)},
                    WaitCase{"None", 0, Then({L"pause 15"}, kAfterTheWait)},
                    WaitCase{"Negative", -1, Then({L"pause 15"}, kAfterTheWait)},
                    WaitCase{"MostNegative", INT_MIN, Then({L"pause 15"}, kAfterTheWait)}),
    [](const auto& info) { return std::string(info.param.name); });

// --- StartProductOrResource ---

const std::wstring kProduct = L"C:\\Program Files\\Orvane Hub\\Orvane Hub.exe";
const std::wstring kCluster = L"Orvane Hub Server";

struct StartCase {
    const char* name;
    std::wstring clusterResource;
    std::wstring productExecutable;
    bool productExists;
    bool installationResult;
    std::optional<Edition> edition;
    Calls expected;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartProductOrResourceTest : public testing::TestWithParam<StartCase> {};

TEST_P(StartProductOrResourceTest, StartsWhatTheSituationCallsFor) {
    const auto& c = GetParam();
    Calls calls;
    RecordingView view(calls);
    RecordingPump pump(calls);
    RecordingStarter starter(calls);
    test::FakeFileSystem files;
    files.AddFolder(L"C:\\Program Files\\Orvane Hub");
    if (c.productExists) files.AddFile(kProduct);

    StartProductOrResource(c.clusterResource, c.productExecutable, c.installationResult, c.edition, view, IdTexts(),
                           pump, files, starter);

    EXPECT_EQ(calls, c.expected);
}

const std::wstring kStartUpdated = L"start [" + kProduct + L"] [" + kProduct + L" /NoConsole] show 1";
const std::wstring kStartNotUpdated =
    L"start [" + kProduct + L"] [" + kProduct + L" /IgnoraAggiornamento /NoConsole] show 1";
const std::wstring kStartCluster = L"start [] [Cluster Res \"Orvane Hub Server\" /On] show 2";

INSTANTIATE_TEST_SUITE_P(
    Situations, StartProductOrResourceTest,
    testing::Values(
        StartCase{"UpdatedServer", L"", kProduct, true, true, Edition::Server,
                  {L"activity: text 306", L"pump", kStartUpdated, L"icon success"}},
        StartCase{"UpdatedClient", L"", kProduct, true, true, Edition::Client,
                  {L"activity: text 309", L"pump", kStartUpdated, L"icon success"}},
        StartCase{"NotUpdatedServer", L"", kProduct, true, false, Edition::Server,
                  {L"activity: text 306", L"pump", kStartNotUpdated, L"icon success"}},
        StartCase{"NotUpdatedClient", L"", kProduct, true, false, Edition::Client,
                  {L"activity: text 309", L"pump", kStartNotUpdated, L"icon success"}},
        StartCase{"NoEditionWritesNoText", L"", kProduct, true, false, std::nullopt,
                  {L"pump", kStartNotUpdated, L"icon success"}},
        StartCase{"ClusterInsteadOfProduct", kCluster, kProduct, true, true, Edition::Server,
                  {L"activity: text 306", L"pump", L"icon failure", kStartCluster}},
        StartCase{"ClusterAfterFailedInstallation", kCluster, kProduct, true, false, Edition::Client,
                  {L"activity: text 309", L"pump", L"icon failure", kStartCluster}},
        StartCase{"ClusterWithoutProduct", kCluster, L"", false, true, std::nullopt,
                  {L"pump", L"icon failure", kStartCluster}},
        StartCase{"ClusterNameWithQuote", L"Res \"A\"", L"", false, true, Edition::Server,
                  {L"activity: text 306", L"pump", L"icon failure",
                   L"start [] [Cluster Res \"Res \"A\"\" /On] show 2"}},
        StartCase{"MissingProductFile", L"", kProduct, false, true, Edition::Server,
                  {L"activity: text 306", L"pump", L"icon failure"}},
        StartCase{"NoProductGiven", L"", L"", false, true, Edition::Client,
                  {L"activity: text 309", L"pump", L"icon failure"}},
        StartCase{"ProductPathIsAFolder", L"", L"C:\\Program Files\\Orvane Hub", false, true, Edition::Server,
                  {L"activity: text 306", L"pump", L"icon failure"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartProductOrResourceRefused, TheStartErrorReachesTheRunAndNoIconIsSet) {
    Calls calls;
    RecordingView view(calls);
    RecordingPump pump(calls);
    RecordingStarter starter(calls);
    starter.refuse = true;
    test::FakeFileSystem files;
    files.AddFolder(L"C:\\Program Files\\Orvane Hub");
    files.AddFile(kProduct);

    EXPECT_THROW(StartProductOrResource(L"", kProduct, true, Edition::Server, view, IdTexts(), pump, files, starter),
                 PlatformError);
    EXPECT_EQ(calls, (Calls{L"activity: text 306", L"pump", kStartUpdated}));
}

} // namespace
} // namespace orvh
