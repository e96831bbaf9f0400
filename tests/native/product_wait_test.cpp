// The product before and after the update: waiting for it to end, then starting it again
// or bringing its cluster resource online.
#include "main/product_wait.h"

#include "run_fakes.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;

TEST(ProductWait, WaitsOrPausesThenShowsTheWindowOnTheFirstStep) {
    const std::pair<std::int32_t, std::wstring> rows[] = {{1, L"wait 1 polling"}, {0, L"pause 15"}, {-1, L"pause 15"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::RunFakes fakes;
        const auto view = fakes.Load();
        WaitForProduct(rows[i].first, *view, fakes, fakes);
        EXPECT_EQ(fakes.log, (Log{L"load", rows[i].second, L"activity #301", L"step 1", L"show"})) << "row " << i;
    }
}

TEST(ProductWait, StartsTheProductOrTheClusterResource) {
    const std::wstring exe = L"C:\\Program Files\\Orvane Hub.exe";
    const std::wstring updated = L"start [" + exe + L"] " + exe + L" /NoConsole show 1";
    const std::wstring ignoring = L"start [" + exe + L"] " + exe + L" /IgnoraAggiornamento /NoConsole show 1";
    // Cluster resource, executable, installed, edition; then what happened after loading.
    const std::tuple<std::wstring, std::wstring, bool, std::optional<Edition>, Log> rows[] = {
        {L"", exe, true, Edition::Server, {L"activity #306", L"pump", updated, L"icon S"}},
        {L"", exe, false, Edition::Client, {L"activity #309", L"pump", ignoring, L"icon S"}},
        {L"", exe, false, std::nullopt, {L"pump", ignoring, L"icon S"}},
        {L"R \"A\"", exe, true, Edition::Server, {L"activity #306", L"pump", L"icon F", L"start [] Cluster Res \"R \"A\"\" /On show 2"}},
        {L"", exe + L"x", true, Edition::Server, {L"activity #306", L"pump", L"icon F"}},
        {L"", L"", true, Edition::Client, {L"activity #309", L"pump", L"icon F"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [cluster, executable, installed, edition, events] = rows[i];
        test::RunFakes fakes;
        fakes.fs.AddFile(exe);
        const auto view = fakes.Load();
        fakes.log.clear();
        StartProductOrResource(cluster, executable, installed, edition, *view, fakes, fakes, fakes.fs, fakes);
        EXPECT_EQ(fakes.log, events) << "row " << i;
    }
}

} // namespace
} // namespace orvh
