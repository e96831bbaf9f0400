#pragma once
// Single-instance test by a named mutex held for the life of the process. The name is
// in the Global namespace, so a launcher started in another session of the same machine
// (a terminal-server session, say) counts as running too: both would update the same
// per-machine installation.
#include "system/single_instance.h"
#include "system/unique_handles_win32.h"

namespace orvh {

class NamedMutexInstanceGuard final : public InstanceGuard {
public:
    NamedMutexInstanceGuard();
    bool AnotherInstanceRunning() const override { return anotherRunning_; }

private:
    UniqueHandle mutex_;
    bool anotherRunning_ = false;
};

} // namespace orvh
