#include "system/restart.h"

#include "system/platform_error.h"

namespace orvh {
namespace {

constexpr std::int32_t kShutdownInProgress = 1115; // ERROR_SHUTDOWN_IN_PROGRESS
constexpr std::int32_t kNotReady = 21;             // ERROR_NOT_READY
constexpr std::int32_t kNotReadyPause = 500;

} // namespace

void RequestRestart(bool force, ShutdownCalls& calls, const std::function<void()>& asking) {
    calls.EnableShutdownPrivilege();
    asking();
    for (int attempt = 1;; ++attempt) {
        try {
            calls.AskShutdownService(force);
            return;
        } catch (const PlatformError& error) {
            if (error.Number() == kShutdownInProgress) return;
            if (error.Number() != kNotReady || attempt == kNotReadyAttempts) throw;
        }
        calls.Pause(kNotReadyPause);
    }
}

} // namespace orvh
