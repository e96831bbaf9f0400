// The check of a set's files as they arrived, on real files, and the tool's account of them.
#include "rows.h"
#include "system/delivered_files_win32.h"
#include "system/file_system.h"
#include "run_checks.h"

#include <gtest/gtest.h>

#include <random>

namespace orvh {
namespace {

namespace fixtures = test::fixtures;

// A set's file cut short as an interrupted copy leaves it, anything else under its name, or one
// still being written: the launcher's check refuses it with its reason before any library reads
// it, and the tool reports it (check), refuses it (make) and predicts the launcher (plan); nothing crashes.
// The package (written by wixl) keeps its FAT in its last sector, the patch (written by ole32) its
// directory: without its last sector each keeps its header and every other table.
TEST(DeliveredFiles, DamagedFilesAreRefusedWithTheirReason) {
    enum Cut : std::size_t { Whole = ~std::size_t{0}, LastSector = Whole - 1, OneShort = Whole - 2, Random = Whole - 3,
                             Written = Whole - 4 };
    const std::wstring package = test::FixturePackagePath(fixtures::hub_1_2_0.file), launcher = test::SignedFixture(L"OrvhUpdate.exe");
    const std::wstring patch = test::FixturePackagePath(fixtures::hub_1_2_100_msp.file);
    const std::tuple<std::wstring, FileForm, std::size_t, std::string> rows[] = {
        {package, FileForm::Package, Whole, ""},
        {patch, FileForm::Patch, Whole, ""},
        {launcher, FileForm::Executable, Whole, ""},
        {package, FileForm::Package, 0, "0 bytes: shorter than a structured storage's header"},
        {package, FileForm::Package, LastSector, "its allocation table (FAT or DIFAT) lies beyond the end of the file"},
        {patch, FileForm::Patch, LastSector, "its directory lies beyond the end of the file"},
        {package, FileForm::Package, Random, "not a structured storage"},
        {launcher, FileForm::Executable, 1024, "its section \".text\" lies beyond the end of the file"},
        {launcher, FileForm::Executable, OneShort, "its signature lies beyond the end of the file"},
        {package, FileForm::Package, Written, "another program has it open for writing"},
    };
    const test::ScratchFolder scratch;
    Win32DeliveredFiles files;
    test::ForEachRow(rows, [&](const auto& row, std::size_t i) {
        const auto& [source, form, length, fault] = row;
        std::string bytes = test::ReadFileBytes(source);
        const std::size_t size = bytes.size();
        if (length == Random) std::ranges::generate(bytes, std::mt19937(7));
        if (length != Whole && length != Random && length != Written) {
            bytes.resize(length == LastSector ? size - 512 : length == OneShort ? size - 1 : length);
        }
        const bool patchRow = form == FileForm::Patch, launcherRow = form == FileForm::Executable;
        const std::wstring set = scratch / (L"set" + std::to_wstring(i));
        const std::wstring path = set + (patchRow ? L"\\ORVHPatch.msp" : launcherRow ? L"\\ORVHUpdate.exe" : L"\\Orvane Hub.msi");
        std::filesystem::create_directories(set);
        test::WriteFileBytes(path, bytes);
        const UniqueFile writer(length == Written ? ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                                  OPEN_EXISTING, 0, nullptr)
                                                  : INVALID_HANDLE_VALUE);
        const ArrivalVerdict verdict = files.Check(path, form);
        EXPECT_EQ(verdict.arrival, length == Whole     ? Arrival::Whole
                                   : length == Written ? Arrival::BeingWritten
                                                       : Arrival::NotWhole);
        EXPECT_EQ(test::Utf8(verdict.fault), fault);
        EXPECT_EQ(files.BeingWritten(path), length == Written);
        if (length == Whole) return;

        const std::string key = patchRow ? "ORVHPatch" : launcherRow ? "ORVHUpdate" : "Orvane Hub";
        const std::string version = patchRow ? "0001.0002.0000.0100" : launcherRow ? "0001.0000.0000.0002" : "0001.0002.0000.0000";
        test::WriteFileBytes(set + L"\\ORVHUpdate.cfg", "[Versione]\r\n" + test::Utf8(FileSystem::GetFileName(path)) + "=" +
                                                            version + "\r\n" + key + ".zip=" + version + "\r\n");
        const test::ToolRun check = test::RunTool(L"check " + test::Quoted(set));
        EXPECT_EQ(check.exitCode, 1u) << check.output;
        const std::string reported = length == Written ? "still being written by another program" : "not whole (" + fault + ")";
        EXPECT_NE(check.output.find(reported), std::string::npos) << check.output;
        const test::ToolRun make = test::RunTool(L"make " + test::Quoted(set + L"made") + L" " + test::Quoted(path));
        EXPECT_EQ(make.exitCode, length == Random ? 2u : 1u) << make.output;
        const test::ToolRun plan = test::RunTool(L"plan " + test::Quoted(set) + L" --json --installed " +
                                                 (patchRow || launcherRow ? L"1.2.0" : L"1.1.601"));
        EXPECT_EQ(plan.exitCode, 0u) << plan.output;
        EXPECT_NE(plan.output.find(length == Written || launcherRow ? "\"messages\": []" : "\"messages\": [10001]"),
                  std::string::npos) << plan.output;
        EXPECT_NE(plan.output.find(launcherRow ? "\"rotated\": true" : "\"rotated\": false"), std::string::npos);
    });
}

} // namespace
} // namespace orvh
