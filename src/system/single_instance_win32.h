#pragma once
// Single-instance test by a named mutex held for the life of the process. The name is
// machine-wide, so a launcher started in another session of the same machine (a
// terminal-server session, say) counts as running too: both would update the same
// per-machine installation.
//
// Any user may create a name in the Global namespace first and so make every later launcher
// believe another one runs. A launcher running elevated (as an administrator, or as SYSTEM)
// therefore makes its mutex in a private namespace whose boundary holds the Administrators
// group, which only a process holding that group can create or open. A launcher that is not
// elevated keeps the Global name: it could not open that namespace. Where the system makes no
// private namespace (Wine has no boundary descriptors), an elevated launcher keeps the Global
// name too, rather than not run at all.
#include "system/single_instance.h"
#include "system/unique_handles_win32.h"

namespace orvh {

class NamedMutexInstanceGuard final : public InstanceGuard {
public:
    explicit NamedMutexInstanceGuard(bool elevated);
    bool AnotherInstanceRunning() const override { return anotherRunning_; }

private:
    // Held open for the process's life: a namespace goes with its last handle.
    UniquePrivateNamespace namespace_;
    UniqueHandle mutex_;
    bool anotherRunning_ = false;
};

} // namespace orvh
