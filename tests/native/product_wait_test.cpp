// The product before and after the update: waiting for it to end, then starting it again
// or bringing its cluster resource online.
#include "main/product_wait.h"

#include "run_fakes.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;

TEST(ProductWait, WaitsOrPausesThenShowsTheWindowOnTheFirstStep) {
    const std::pair<std::int32_t, std::wstring> rows[] = {
        {1234, L"wait 1234 polling"}, {1, L"wait 1 polling"}, {0, L"pause 15"}, {INT_MIN, L"pause 15"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::RunFakes fakes;
        const auto view = fakes.Load();
        fakes.log.clear();
        WaitForProduct(rows[i].first, *view, fakes, fakes);
        EXPECT_EQ(fakes.log, (Log{rows[i].second, L"activity #301", L"step 1", L"show"})) << "row " << i;
    }
}

TEST(ProductWait, StartsTheProductOrTheClusterResource) {
    const std::wstring product = L"C:\\Program Files\\Orvane Hub\\Orvane Hub.exe";
    const std::wstring updated = L"start [" + product + L"] " + product + L" /NoConsole show 1";
    const std::wstring ignoring = L"start [" + product + L"] " + product + L" /IgnoraAggiornamento /NoConsole show 1";
    const std::wstring cluster = L"start [] Cluster Res \"Res \"A\"\" /On show 2";
    const struct {
        std::wstring cluster, executable;
        bool installed;
        std::optional<Edition> edition;
        Log events;
    } rows[] = {
        {L"", product, true, Edition::Server, {L"activity #306", L"pump", updated, L"icon S"}},
        {L"", product, false, Edition::Client, {L"activity #309", L"pump", ignoring, L"icon S"}},
        {L"", product, false, std::nullopt, {L"pump", ignoring, L"icon S"}},
        {L"Res \"A\"", product, true, Edition::Server, {L"activity #306", L"pump", L"icon F", cluster}},
        {L"", product + L"x", true, Edition::Server, {L"activity #306", L"pump", L"icon F"}},
        {L"", L"", true, Edition::Client, {L"activity #309", L"pump", L"icon F"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::RunFakes fakes;
        fakes.fs.AddFile(product);
        const auto view = fakes.Load();
        fakes.log.clear();
        StartProductOrResource(rows[i].cluster, rows[i].executable, rows[i].installed, rows[i].edition, *view, fakes,
                               fakes, fakes.fs, fakes);
        EXPECT_EQ(fakes.log, rows[i].events) << "row " << i;
    }
}

TEST(ProductWait, ARefusedStartReachesTheRunWithoutAnIcon) {
    test::RunFakes fakes;
    fakes.fs.AddFile(L"C:\\p.exe");
    fakes.refuseStart = true;
    const auto view = fakes.Load();
    EXPECT_THROW(StartProductOrResource(L"", L"C:\\p.exe", true, Edition::Server, *view, fakes, fakes, fakes.fs, fakes),
                 PlatformError);
    EXPECT_EQ(fakes.log.back(), L"start [C:\\p.exe] C:\\p.exe /NoConsole show 1");
}

} // namespace
} // namespace orvh
