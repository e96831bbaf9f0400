#pragma once
// Ids of the program's string table (res/strings.txt).
#include <cstdint>

namespace orvh::text {

enum : std::int32_t {
    kHubName = 1,
    kHubTitle = 2,
    kDeskName = 3,
    kDeskTitle = 4,
    kStepSearchVersions = 101,
    kStepInstallUpdate = 102,
    kStepInstallPatch = 103,
    kStepStart = 104,
    kCurrentVersion = 105,
    kUpdateVersion = 106,
    kPatchVersion = 107,
    kNoUpdate = 108,
    kNoPatch = 109,
    kUsage = 200,
    kInstallPathNotFound = 201,
    kConfigurationNotFound = 202,
    kNoInstalledVersion = 203,
    kClosingHub = 300,
    kFindingCurrentVersion = 301,
    kFindingUpdateVersion = 302,
    kFindingPatchVersion = 303,
    kInstallingUpdate = 304,
    kInstallingPatch = 305,
    kStartingHub = 306,
    kUpdateCompleted = 307,
    kClosingDesk = 308,
    kStartingDesk = 309,
    kSecondInstance = 10000,
    kInstallationFailed = 10001,
    kSetRefused = 10002,
    kNotSigned = 10003,
    kOtherPublisher = 10004,
    kSignatureNotValid = 10005,
    kVersionsDisagree = 10006,
    kPassOnToSupplier = 10007,
};

} // namespace orvh::text
