// Starting the product and the cluster tool for real: stand-ins record the command line
// and the show command they received. The product's path has blanks, and decoys sit where
// an unquoted search would look first.
#include "main/product_wait.h"
#include "resources/string_table.h"
#include "standins.h"
#include "system/file_system_win32.h"
#include "system/message_pump.h"
#include "system/platform_error.h"
#include "system/program_start_win32.h"
#include "test_paths.h"
#include "ui/progress_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace orvh {
namespace {

using namespace std::chrono_literals;
using test::StartRecord;

class IdTexts final : public StringTable {
public:
    std::wstring LoadDllString(std::int32_t index) const override { return L"text " + std::to_wstring(index); }
};

class IconView final : public ProgressView {
public:
    void SetCaption(std::wstring_view) override {}
    void SetLabel(WindowLabel, std::wstring_view) override {}
    void StepSuccessivo() override {}
    void SetInconStep(bool success) override { icons.push_back(success); }
    void Show() override {}
    std::vector<bool> icons;
};

class NoMessages final : public MessagePump {
public:
    void ProcessPendingMessages() override {}
};

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Describe(const std::vector<StartRecord>& records) {
    std::string text;
    for (const auto& r : records) {
        text += Narrow(r.program) + " show " + std::to_string(r.showCommand) + ": " + Narrow(r.commandLine) + "\n";
    }
    return text;
}

class ProductStart : public testing::Test {
protected:
    void SetUp() override {
        files_.CreateFolder(log_);
        files_.CreateFolder(scratch_ / L"My Product");
        const std::wstring standin = test::StandinPath(L"product_standin.exe");
        files_.CopyFile(standin, product_);
        // What a search of the unquoted line would start before reaching the product.
        files_.CopyFile(standin, firstDecoy_);
        files_.CopyFile(standin, secondDecoy_);

        ASSERT_TRUE(::SetEnvironmentVariableW(test::kStandinLogVariable, log_.c_str()));
        wchar_t path[32768] = {};
        savedPath_.assign(path, ::GetEnvironmentVariableW(L"PATH", path, 32768));
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(test::kStandinLogVariable, nullptr);
        ::SetEnvironmentVariableW(L"PATH", savedPath_.c_str());
    }

    void StartProduct(const std::wstring& clusterResource, const std::wstring& product, bool installationResult) {
        NoMessages pump;
        Win32ProgramStarter starter;
        StartProductOrResource(clusterResource, product, installationResult, Edition::Server, view_, IdTexts(),
                               pump, files_, starter);
    }

    std::vector<StartRecord> Starts(std::size_t expected) {
        return test::WaitForStartRecords(log_, expected, 15000ms, 1500ms);
    }

    test::ScratchFolder scratch_;
    Win32FileSystem files_;
    const std::wstring log_ = scratch_ / L"log";
    const std::wstring product_ = scratch_ / L"My Product\\Orvane Hub.exe";
    const std::wstring firstDecoy_ = scratch_ / L"My.exe";
    const std::wstring secondDecoy_ = scratch_ / L"My Product\\Orvane.exe";
    std::wstring savedPath_;
    IconView view_;
};

struct ProductCase {
    const char* name;
    bool installationResult;
    const wchar_t* switches;
};

class ProductStartWithSwitches : public ProductStart, public testing::WithParamInterface<ProductCase> {};

TEST_P(ProductStartWithSwitches, TheProductReceivesItsUnquotedPathAndTheSwitches) {
    StartProduct(L"", product_, GetParam().installationResult);

    const auto records = Starts(1);
    ASSERT_EQ(records.size(), 1u) << Describe(records);
    EXPECT_TRUE(SamePath(records[0].program, product_)) << Describe(records);
    EXPECT_EQ(records[0].commandLine, product_ + GetParam().switches);
    EXPECT_EQ(records[0].showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(view_.icons, std::vector<bool>{true});
}

INSTANTIATE_TEST_SUITE_P(Results, ProductStartWithSwitches,
                         testing::Values(ProductCase{"Updated", true, L" /NoConsole"},
                                         ProductCase{"NotUpdated", false, L" /IgnoraAggiornamento /NoConsole"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The decoys are where they count: the same line started through the program search runs
// the first of them instead of the product.
TEST_F(ProductStart, TheSearchedLineWouldStartTheFirstDecoy) {
    StartProgram(L"", product_ + L" /NoConsole", ShowCommand::Normal);

    const auto records = Starts(1);
    ASSERT_EQ(records.size(), 1u) << Describe(records);
    EXPECT_TRUE(SamePath(records[0].program, firstDecoy_)) << Describe(records);
}

TEST_F(ProductStart, AMissingProductStartsNothing) {
    StartProduct(L"", scratch_ / L"My Product\\Missing Hub.exe", true);

    const auto records = Starts(0);
    EXPECT_TRUE(records.empty()) << Describe(records);
    EXPECT_EQ(view_.icons, std::vector<bool>{false});
}

TEST_F(ProductStart, TheClusterToolOnThePathBringsTheResourceOnlineInstead) {
    const std::wstring clusterFolder = test::StandinPath(L"cluster");
    ASSERT_TRUE(::SetEnvironmentVariableW(L"PATH", (clusterFolder + L";" + savedPath_).c_str()));

    StartProduct(L"Orvane Hub Server", product_, true);

    const auto records = Starts(1);
    ASSERT_EQ(records.size(), 1u) << Describe(records);
    EXPECT_TRUE(SamePath(records[0].program, clusterFolder + L"\\Cluster.exe")) << Describe(records);
    EXPECT_EQ(records[0].commandLine, L"Cluster Res \"Orvane Hub Server\" /On");
    EXPECT_EQ(records[0].showCommand, SW_SHOWMINIMIZED);
    EXPECT_EQ(view_.icons, std::vector<bool>{false});
}

TEST_F(ProductStart, WithoutAClusterToolTheStartIsRefused) {
    try {
        StartProduct(L"Orvane Hub Server", product_, true);
        ADD_FAILURE() << "the start of a missing cluster tool raised nothing";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.Number(), ERROR_FILE_NOT_FOUND);
        EXPECT_FALSE(error.Description().empty());
    }
    const auto records = Starts(0);
    EXPECT_TRUE(records.empty()) << Describe(records);
}

} // namespace
} // namespace orvh
