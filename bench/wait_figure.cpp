// Figure 2: the CPU time the launcher uses while it waits for the product's process to
// end (a sleeper of 10 s), as a share of the wall time of that wait. The launcher makes its
// progress window, still hidden, just before it begins to wait, and shows it when the wait
// is over: the wait is taken from a moment after the window exists to the sleeper's end.
// Beside it, the launcher's CPU before the wait against a trivial program's CPU up to its
// plain window being on screen (what starting any program and showing a window costs).
#include "figures.h"

#include "message_boxes.h"
#include "started_programs.h"
#include "paths.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orvh::bench {
namespace {

using namespace std::chrono_literals;

constexpr auto kWait = 10s;
// Lets the launcher finish writing the window's texts before the wait is measured.
constexpr auto kSettle = 200ms;
constexpr auto kWindowTimeout = 30s;

BOOL CALLBACK FindWindowOf(HWND window, LPARAM found) {
    auto* search = reinterpret_cast<std::pair<DWORD, bool>*>(found);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->first) search->second = true;
    return !search->second;
}

// Whether the process has any top-level window, hidden ones included.
bool HasWindow(DWORD processId) {
    std::pair<DWORD, bool> search{processId, false};
    ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// User and kernel time of the process so far, in milliseconds.
double CpuMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!::GetProcessTimes(process, &created, &ended, &kernel, &user)) throw std::runtime_error("GetProcessTimes failed");
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

struct WaitSample {
    double startCpuMs = 0;
    double waitMs = 0;
    double waitCpuMs = 0;
};

WaitSample OneWait() {
    const orvh::test::ScratchFolder folder;
    const std::wstring exe = folder / L"OrvhUpdate.exe";
    if (!::CopyFileW(orvh::test::OrvhUpdateExe().c_str(), exe.c_str(), FALSE)) throw std::runtime_error("copy failed");

    const orvh::test::Sleeper product(kWait, 0);
    const orvh::test::LaunchedProgram program(
        exe, L"/PathAggiornamento=\"" + (folder / L"Upd") + L"\" /AttendiProcesso=" + std::to_wstring(product.ProcessId()));
    while (!HasWindow(program.ProcessId())) {
        if (product.WaitForExit(0ms) || program.WaitForExit(0ms)) throw std::runtime_error("the launcher made no window before the wait");
        std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(kSettle);
    if (!orvh::test::VisibleTopLevelWindows(program.ProcessId()).empty()) {
        throw std::runtime_error("the launcher showed its window before the process ended");
    }
    WaitSample sample;
    const auto waitStart = std::chrono::steady_clock::now();
    sample.startCpuMs = CpuMs(program.Process());
    if (!product.WaitForExit(kWait * 2)) throw std::runtime_error("the sleeper did not end");
    const std::chrono::duration<double, std::milli> waited = std::chrono::steady_clock::now() - waitStart;
    sample.waitCpuMs = CpuMs(program.Process()) - sample.startCpuMs;
    sample.waitMs = waited.count();
    return sample;
}

// The CPU of the trivial windowed program at the moment its window is on screen.
double TrivialWindowCpuMs() {
    const orvh::test::LaunchedProgram program(orvh::test::TestProgramFolder() + L"\\bench_window.exe", L"");
    const auto deadline = std::chrono::steady_clock::now() + kWindowTimeout;
    for (;;) {
        const std::vector<HWND> windows = orvh::test::VisibleTopLevelWindows(program.ProcessId());
        if (!windows.empty()) {
            const double cpuMs = CpuMs(program.Process());
            ::PostMessageW(windows.front(), WM_CLOSE, 0, 0);
            if (!program.WaitForExit(10s)) throw std::runtime_error("the trivial window did not close");
            return cpuMs;
        }
        if (program.WaitForExit(0ms)) throw std::runtime_error("the trivial program ended without a window");
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the trivial window did not appear");
        std::this_thread::sleep_for(1ms);
    }
}

} // namespace

void MeasureWaitCpu(int runs) {
    std::printf("\n(2) CPU of the launcher while it waits 10 s for a process (/AttendiProcesso=)\n");
    // One start first, not counted: the first start of a program reads it from disk.
    TrivialWindowCpuMs();
    Samples shares, launcherStart, trivialStart;
    for (int run = 0; run < runs; ++run) {
        const WaitSample sample = OneWait();
        shares.values.push_back(100.0 * sample.waitCpuMs / sample.waitMs);
        launcherStart.values.push_back(sample.startCpuMs);
        trivialStart.values.push_back(TrivialWindowCpuMs());
        std::printf("  run %d: start-up %.1f ms CPU (trivial windowed program: %.1f ms); then %.1f ms CPU over a wait "
                    "of %.0f ms\n", run + 1, sample.startCpuMs, trivialStart.values.back(), sample.waitCpuMs, sample.waitMs);
    }
    PrintSamples("  launcher's start-up CPU, before the wait", launcherStart, "ms");
    PrintSamples("  trivial program's CPU up to its window on screen", trivialStart, "ms");
    std::printf("  start-up CPU ratio, launcher / trivial windowed program: %.3f\n",
                launcherStart.Median() / trivialStart.Median());
    PrintSamples("  CPU share of the wait", shares, "%");
    PrintFigure("wait-cpu-share-percent", shares.Median());
}

} // namespace orvh::bench
