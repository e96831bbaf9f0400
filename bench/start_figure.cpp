// Figure 3: the time from starting OrvhUpdate.exe with "/?" to its help box being on
// screen, beside the same for a trivial program that only shows a box (what starting any
// program and showing a box costs here). The two are taken alternately.
#include "figures.h"

#include "started_programs.h"
#include "message_boxes.h"
#include "paths.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

namespace orvh::bench {
namespace {

using namespace std::chrono_literals;

constexpr auto kBoxTimeout = 30s;

double MsUntilBox(const std::wstring& exe, const std::wstring& tail, const std::wstring& folder) {
    const auto start = std::chrono::steady_clock::now();
    const orvh::test::LaunchedProgram program(exe, tail, folder);
    for (;;) {
        if (const HWND box = orvh::test::WaitForMessageBox(program.ProcessId(), 0ms)) {
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
            orvh::test::PressButton(box, IDOK);
            if (!program.WaitForExit(10s)) throw std::runtime_error("the program did not end after its box");
            return elapsed.count();
        }
        if (std::chrono::steady_clock::now() - start > kBoxTimeout) throw std::runtime_error("no box appeared");
        std::this_thread::sleep_for(1ms);
    }
}

} // namespace

void MeasureStartOverhead(int runs) {
    std::printf("\n(3) from process start to its box on screen\n");
    const orvh::test::ScratchFolder folder;
    const std::wstring launcher = folder / L"OrvhUpdate.exe";
    const std::wstring trivial = orvh::test::TestProgramFolder() + L"\\bench_box.exe";
    if (!::CopyFileW(orvh::test::OrvhUpdateExe().c_str(), launcher.c_str(), FALSE)) throw std::runtime_error("copy failed");

    // One of each first, not counted: the first start of a program reads it from disk.
    MsUntilBox(trivial, L"", folder.Path());
    MsUntilBox(launcher, L"/?", folder.Path());
    Samples trivialMs, launcherMs;
    for (int run = 0; run < runs; ++run) {
        trivialMs.values.push_back(MsUntilBox(trivial, L"", folder.Path()));
        launcherMs.values.push_back(MsUntilBox(launcher, L"/?", folder.Path()));
    }
    PrintSamples("  trivial program's box", trivialMs, "ms");
    PrintSamples("  OrvhUpdate.exe \"/?\" help box", launcherMs, "ms");
    PrintFigure("start-overhead-ms", launcherMs.Median() - trivialMs.Median());
}

} // namespace orvh::bench
