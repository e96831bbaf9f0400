// Waiting for real processes: the exit code, the 0 results, the window messages handled
// during a polling wait, the processor time the wait costs, and the pause.
#include "standins.h"
#include "system/message_pump.h"
#include "system/process_wait_win32.h"
#include "system/unique_handles_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <thread>

namespace orvh {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The thread's message pump: every pending message dispatched; counts its passes.
class CountingPump final : public MessagePump {
public:
    void ProcessPendingMessages() override {
        ++passes;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    int passes = 0;
};

std::chrono::milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// --- A running child: the wait returns its exit code once it has ended ---

struct EndCase {
    const char* name;
    bool wait;
    std::uint32_t exitCode;
};

class WaitForRunningChild : public testing::TestWithParam<EndCase> {};

TEST_P(WaitForRunningChild, ReturnsItsExitCodeAfterItEnded) {
    const auto& c = GetParam();
    test::Sleeper child(1500ms, c.exitCode);
    CountingPump pump;

    const auto start = Clock::now();
    const std::int32_t result = AttendiProcesso(child.Id(), c.wait, pump);
    const auto waited = Since(start);

    EXPECT_EQ(result, static_cast<std::int32_t>(c.exitCode));
    EXPECT_TRUE(child.Ended());
    EXPECT_GE(waited, 1000ms);
    if (c.wait) EXPECT_EQ(pump.passes, 0) << "the blocking wait handles no messages";
    else EXPECT_GE(pump.passes, 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, WaitForRunningChild,
                         testing::Values(EndCase{"PollingZero", false, 0}, EndCase{"PollingSeven", false, 7},
                                         EndCase{"PollingNegative", false, 0xC0000005u},
                                         // A process may end with the code that means "still running".
                                         EndCase{"PollingStillActiveCode", false, 259},
                                         EndCase{"BlockingZero", true, 0}, EndCase{"BlockingSeven", true, 7},
                                         EndCase{"BlockingNegative", true, 0xC0000005u}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A polling wait sleeps: it costs no processor time and makes few pump passes ---

struct ProcessorTime {
    std::chrono::milliseconds thread;
    std::chrono::milliseconds process;
};

std::chrono::milliseconds ToMilliseconds(const FILETIME& kernel, const FILETIME& user) {
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10000);
}

ProcessorTime ProcessorTimeSoFar() {
    FILETIME created, ended, kernel, user;
    ProcessorTime time{};
    EXPECT_TRUE(::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user));
    time.thread = ToMilliseconds(kernel, user);
    EXPECT_TRUE(::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user));
    time.process = ToMilliseconds(kernel, user);
    return time;
}

// Without this, a clock that never moves would let a busy wait pass unnoticed.
TEST(ProcessorClock, CountsABusyThread) {
    // Spins until the clock shows half a second of work; on a loaded machine that takes
    // longer than half a second of wall time, hence the generous limit.
    const auto before = ProcessorTimeSoFar();
    const auto start = Clock::now();
    volatile std::uint64_t spins = 0;
    auto after = before;
    while (after.thread - before.thread < 500ms && Since(start) < 30000ms) {
        for (int i = 0; i < 1000000; ++i) spins = spins + 1;
        after = ProcessorTimeSoFar();
    }

    EXPECT_GE(after.thread - before.thread, 500ms);
    EXPECT_GE(after.process - before.process, 500ms);
}

TEST(PollingWait, CostsNoProcessorTimeOverTenSeconds) {
    test::Sleeper child(10000ms, 3);
    CountingPump pump;

    const auto before = ProcessorTimeSoFar();
    const auto start = Clock::now();
    const std::int32_t result = AttendiProcesso(child.Id(), false, pump);
    const auto waited = Since(start);
    const auto after = ProcessorTimeSoFar();

    const auto threadTime = after.thread - before.thread;
    const auto processTime = after.process - before.process;
    std::printf("polling wait of %lld ms: processor time %lld ms (thread), %lld ms (process), %d pump passes\n",
                static_cast<long long>(waited.count()), static_cast<long long>(threadTime.count()),
                static_cast<long long>(processTime.count()), pump.passes);
    EXPECT_EQ(result, 3);
    EXPECT_GE(waited, 9000ms);
    EXPECT_LT(threadTime, 1000ms);
    EXPECT_LT(processTime, 1000ms);
    EXPECT_LE(pump.passes, 20) << "no messages arrive, so the wait should wake only when the child ends";
}

// --- The thread's windows keep handling their messages during a polling wait ---

class MessageWindow {
public:
    MessageWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"OrvhProcessWaitTest";
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
    }
    ~MessageWindow() { ::DestroyWindow(window_); }
    HWND Handle() const { return window_; }

    static inline std::atomic<bool> waiting{false};
    static inline std::atomic<int> timerTicksWhileWaiting{0};
    static inline std::atomic<int> postedWhileWaiting{0};
    static inline std::atomic<int> sentWhileWaiting{0};

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        const bool during = waiting.load();
        switch (message) {
        case WM_TIMER:
            if (during) ++timerTicksWhileWaiting;
            return 0;
        case WM_APP:
            if (during) ++postedWhileWaiting;
            return 0;
        case WM_APP + 1:
            if (during) ++sentWhileWaiting;
            return 42;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
    }

    HWND window_ = nullptr;
};

TEST(PollingWait, HandlesTheThreadsWindowMessagesMeanwhile) {
    MessageWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    ASSERT_NE(::SetTimer(window.Handle(), 1, 100, nullptr), 0u);
    test::Sleeper child(3000ms, 0);

    std::atomic<LRESULT> answer{0};
    std::atomic<bool> answeredBeforeTheChildEnded{false};
    std::thread other([&] {
        std::this_thread::sleep_for(500ms);
        ::PostMessageW(window.Handle(), WM_APP, 0, 0);
        answer = ::SendMessageW(window.Handle(), WM_APP + 1, 0, 0);
        answeredBeforeTheChildEnded = !child.Ended();
    });

    CountingPump pump;
    MessageWindow::waiting = true;
    AttendiProcesso(child.Id(), false, pump);
    MessageWindow::waiting = false;
    other.join();
    ::KillTimer(window.Handle(), 1);

    EXPECT_GE(MessageWindow::timerTicksWhileWaiting.load(), 10) << "a 100 ms timer over a 3 s wait";
    EXPECT_EQ(MessageWindow::postedWhileWaiting.load(), 1);
    EXPECT_EQ(MessageWindow::sentWhileWaiting.load(), 1);
    EXPECT_EQ(answer.load(), 42);
    EXPECT_TRUE(answeredBeforeTheChildEnded.load());
}

// --- No process to wait for ---

struct NoProcessCase {
    const char* name;
    std::int32_t processId;
    bool wait;
};

class WaitForNoProcess : public testing::TestWithParam<NoProcessCase> {};

TEST_P(WaitForNoProcess, ReturnsZeroAtOnce) {
    CountingPump pump;
    const auto start = Clock::now();
    EXPECT_EQ(AttendiProcesso(GetParam().processId, GetParam().wait, pump), 0);
    EXPECT_LT(Since(start), 1000ms);
    EXPECT_EQ(pump.passes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, WaitForNoProcess,
    testing::Values(NoProcessCase{"ZeroPolling", 0, false}, NoProcessCase{"ZeroBlocking", 0, true},
                    NoProcessCase{"MinusOnePolling", -1, false}, NoProcessCase{"MinusOneBlocking", -1, true},
                    NoProcessCase{"MostNegativePolling", INT_MIN, false},
                    NoProcessCase{"UnusedPolling", 0x7FFFFFFC, false},
                    NoProcessCase{"UnusedBlocking", 0x7FFFFFFC, true}),
    [](const auto& info) { return std::string(info.param.name); });

// --- A process that has ended but can still be opened (a handle to it is held) ---

struct EndedCase {
    const char* name;
    bool wait;
};

class WaitForEndedProcess : public testing::TestWithParam<EndedCase> {};

TEST_P(WaitForEndedProcess, ReturnsItsExitCodeWithoutLooping) {
    test::Sleeper child(0ms, 42);
    ASSERT_TRUE(child.WaitForEnd(10000ms));
    CountingPump pump;

    const auto start = Clock::now();
    EXPECT_EQ(AttendiProcesso(child.Id(), GetParam().wait, pump), 42);
    EXPECT_LT(Since(start), 1000ms);
    EXPECT_EQ(pump.passes, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, WaitForEndedProcess,
                         testing::Values(EndedCase{"Polling", false}, EndedCase{"Blocking", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Pausa ---

struct PauseCase {
    const char* name;
    std::int32_t milliseconds;
    std::chrono::microseconds atLeast;
    std::chrono::microseconds below;
};

class PauseLength : public testing::TestWithParam<PauseCase> {};

TEST_P(PauseLength, SleepsAsLongAsAsked) {
    const auto& c = GetParam();
    const auto start = Clock::now();
    Pausa(c.milliseconds);
    const auto slept = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    EXPECT_GE(slept, c.atLeast);
    EXPECT_LT(slept, c.below);
}

// A negative length would otherwise become a sleep of some 49 days.
INSTANTIATE_TEST_SUITE_P(Lengths, PauseLength,
                         testing::Values(PauseCase{"Negative", -5, 0us, 500000us},
                                         PauseCase{"Zero", 0, 0us, 500000us},
                                         PauseCase{"Fifteen", 15, 14000us, 1000000us}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh
