// The road of a run: from the versions announced and the files in Nuovo, what is installed,
// repaired, applied and copied, and the files of Nuovo used, which a signed launcher
// verifies and an unsigned one uses unverified.
#include "rows.h"
#include "main/run_road.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

const std::wstring v0601 = L"0001.0001.0000.0601", v0700 = L"0001.0001.0000.0700", v1200 = L"0001.0002.0000.0000",
                   v1201 = L"0001.0002.0000.0100";

struct Row {
    std::wstring installed = v0601, update = v1200, patch = v1201, updater = L"";
    bool full = true, patchFile = true, updaterFile = false; // in Nuovo
    bool sourceAvailable = true, updaterReplaceable = true;
    Edition edition = Edition::Server;
    // The patch version kept, the files of Nuovo used in order, the questions asked; the
    // journal's account of the road, when given.
    std::wstring patchKept;
    std::vector<std::wstring> files;
    std::vector<std::wstring> asked = {};
    std::wstring said = L"";
};

TEST(RunRoad, EveryRoadAndTheFilesItUses) {
    const std::wstring msi = L"Orvane Hub.msi", msp = L"ORVHPatch.msp", exe = L"ORVHUpdate.exe";
    const Row rows[] = {
        // A newer full package, then the patch above it: the source is not asked about.
        {.patchKept = v1201, .files = {msi, msp}},
        {.full = false, .patchKept = v1201, .files = {},
         .said = L"full package 0001.0002.0000.0000 not in Nuovo; patch 0001.0002.0000.0100 not to be applied; launcher not "
                 L"replaced; files of Nuovo used: none"},
        {.patchFile = false, .patchKept = v1201, .files = {msi}},
        {.patch = v1200, .patchKept = v1200, .files = {msi}},
        {.patch = v0700, .patchKept = L"", .files = {msi}},
        // No newer full package: the patch over the installed version, when the source is
        // there or repaired from the full package.
        {.update = v0601, .patch = v0700, .patchKept = v0700, .files = {msp}, .asked = {L"source"}},
        {.update = L"", .patch = v0601, .patchKept = v0601, .files = {}, .asked = {L"source"},
         .said = L"no newer full package; no patch; launcher not replaced; files of Nuovo used: none"},
        {.update = v0601, .patch = v0700, .patchFile = false, .patchKept = v0700, .files = {}, .asked = {L"source"}},
        {.update = v0601, .patch = v0700, .sourceAvailable = false, .patchKept = v0700, .files = {msi, msp},
         .asked = {L"source"},
         .said = L"installation source to be repaired from the full package; patch 0001.0001.0000.0700 to be applied; launcher not "
                 L"replaced; files of Nuovo used: \"N:\\Orvane Hub.msi\", \"N:\\ORVHPatch.msp\""},
        {.update = v0601, .patch = v0700, .full = false, .sourceAvailable = false, .patchKept = v0700, .files = {},
         .asked = {L"source"},
         .said = L"installation source missing, no full package to repair it; patch 0001.0001.0000.0700 not to be applied; "
                 L"launcher not replaced; files of Nuovo used: none"},
        {.update = v0601, .patch = L"", .sourceAvailable = false, .patchKept = L"", .files = {msi}, .asked = {L"source"}},
        // The launcher: copied when Corrente's would give way to the version offered.
        {.updater = L"0001.0000.0000.0002", .updaterFile = true, .patchKept = v1201, .files = {msi, msp, exe},
         .asked = {L"launcher 0001.0000.0000.0002"},
         .said = L"full package 0001.0002.0000.0000 to be installed; patch 0001.0002.0000.0100 to be applied; launcher "
                 L"0001.0000.0000.0002 to be copied into Corrente; files of Nuovo used: \"N:\\Orvane Hub.msi\", "
                 L"\"N:\\ORVHPatch.msp\", \"N:\\ORVHUpdate.exe\""},
        {.updater = L"0001.0000.0000.0002", .updaterFile = true, .updaterReplaceable = false, .patchKept = v1201,
         .files = {msi, msp}, .asked = {L"launcher 0001.0000.0000.0002"}},
        {.updater = L"0001.0000.0000.0002", .patchKept = v1201, .files = {msi, msp}},
        // The client's files.
        {.edition = Edition::Client, .patchKept = v1201, .files = {L"Orvane Desk.msi", L"ORVDPatch.msp"}},
    };
    test::ForEachRow(rows, [&](const Row& row) {
        std::vector<std::wstring> asked;
        const RoadQuestions questions{[&] {
                                          asked.push_back(L"source");
                                          return row.sourceAvailable;
                                      },
                                      [&](const std::wstring& offered) {
                                          asked.push_back(L"launcher " + offered);
                                          return row.updaterReplaceable;
                                      }};
        const RoadFacts facts{row.installed, row.update, row.patch, row.updater, row.full, row.patchFile, row.updaterFile};
        const RunRoad road = DecideRoad(facts, questions, L"N:", row.edition);
        std::vector<std::wstring> files;
        for (const auto& file : road.files) files.push_back(file.path.substr(3));
        EXPECT_EQ(road.patch, row.patchKept);
        EXPECT_EQ(files, row.files);
        EXPECT_EQ(asked, row.asked);
        if (!row.said.empty()) {
            EXPECT_EQ(Described(road), row.said);
        }
    });
}

} // namespace
} // namespace orvh
