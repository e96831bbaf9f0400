// The bench driver, run under Wine by bench/run.sh:
//   orvh_bench.exe [RUNS]                   every figure, RUNS runs each (default 5; the CPU
//                                           share and the large update case: fewer)
//   orvh_bench.exe install-alone MSI MSP    the comparison's Windows Installer work alone
#include "figures.h"

#include "system/platform_error.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>

int wmain(int argc, wchar_t** argv) {
    using namespace orvh::bench;
    if (argc == 4 && std::wstring(argv[1]) == L"install-alone") return InstallAlone(argv[2], argv[3]);

    const int runs = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 5;
    try {
        MeasureStartOverhead(runs);
        MeasureWaitCpu(std::max(1, runs - 2));
        MeasureUpdateRuns(runs);
    } catch (const orvh::PlatformError& error) {
        std::printf("bench failed: %ls: %ls\n", error.Source().c_str(), error.Description().c_str());
        return 1;
    } catch (const std::runtime_error& error) {
        std::printf("bench failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
