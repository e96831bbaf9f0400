#pragma once
// One pass of the platform's message pump for the program's thread: pending messages are
// dispatched, nothing waits.
namespace orvh {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    virtual void ProcessPendingMessages() = 0;
};

} // namespace orvh
