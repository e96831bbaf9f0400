#pragma once
// Tells whether another instance of the launcher is already running.
namespace orvh {

class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    virtual bool AnotherInstanceRunning() const = 0;
};

} // namespace orvh
