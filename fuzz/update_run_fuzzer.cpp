// A run over the native tests' fakes in any situation: nothing in Nuovo is lost or changed unless
// the last installation succeeded or none was made, and the product starts at most once.
#include "fuzz_support.h"
#include "run_fakes.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvh;
    FuzzedDataProvider in(data, size);
    const wchar_t* versions[] = {L"", L"0001.0001.0000.0100", L"0001.0001.0000.0602", L"0001.0002.0000.0000", L"1..3"};
    test::RunFakes fakes;
    for (const auto* folder : {L"U:", L"U:\\Nuovo", L"U:\\Corrente", L"U:\\Vecchio", L"U:\\Setup"}) {
        if (in.ConsumeIntegralInRange(0, 7) != 0) fakes.fs.AddFolder(folder);
        for (const auto* name : {L"\\ORVHUpdate.cfg", L"\\ORVHUpdate.exe", L"\\Orvane Hub.msi", L"\\Orvane Desk.msi",
                                 L"\\ORVHPatch.msp", L"\\ORVDPatch.msp", L"\\Orvane Hub.exe"}) {
            if (in.ConsumeBool()) fakes.fs.AddFile(folder + std::wstring(name), in.ConsumeBytesAsString(1), in.ConsumeBool());
        }
    }
    for (const auto* key : {L"Orvane Hub.msi", L"ORVHPatch.msp", L"Orvane Desk.msi", L"ORVDPatch.msp", L"ORVHUpdate.exe",
                            L"Orvane Hub.zip", L"ORVHPatch.zip", L"Orvane Desk.zip", L"ORVDPatch.zip", L"ORVHUpdate.zip"}) {
        fakes.profile.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Versione", key, in.PickValueInArray(versions));
    }
    for (auto* version : {&fakes.installed, &fakes.fullInstalls, &fakes.patchInstalls}) *version = in.PickValueInArray(versions);
    fakes.sourceAvailable = in.ConsumeBool();
    const unsigned results[] = {0, 1603, 1618, 1641, 3010};
    fakes.installResults = {in.PickValueInArray(results), in.PickValueInArray(results)};
    fakes.patchResults = {in.PickValueInArray(results), in.PickValueInArray(results)};
    fakes.fontsAt = {in.PickValueInArray(versions)};
    const std::wstring codes[] = {std::wstring(kServerUpgradeCode), std::wstring(kClientUpgradeCode), L"{x}"};
    const RunSettings settings{in.ConsumeBool() ? L"Res" : L"", in.ConsumeIntegral<std::int32_t>(), L"U:\\Orvane Hub.exe",
                               in.ConsumeBool() ? L"U:" : L"X:", in.PickValueInArray(codes), in.ConsumeBool()};
    const auto before = fakes.fs.files;
    RunServices services = fakes.Services();
    RunRecord record;
    try {
        RunUpdate(settings, services, record);
    } catch (const test::RunFakes::Ended&) {
    } catch (const PlatformError&) {  // a refused file operation: the platform's error report
    }
    for (const auto& [path, file] : before) {
        const bool kept = fakes.fs.files.count(path) && fakes.fs.files[path].content == file.content;
        ORVH_FUZZ_CHECK(kept || !path.starts_with(L"u:\\nuovo\\") || fakes.lastResult.value_or(true));
    }
    ORVH_FUZZ_CHECK(fakes.Events(L"start ").size() <= 1);
    // Windows Installer's own success codes are successes, its busy code a retry, never a failure.
    const std::uint32_t exit = DecideEnd(record).exitCode;
    ORVH_FUZZ_CHECK(!record.installerBusy || exit == 1618 || exit == 1641 || exit == 3010);
    return 0;
}
