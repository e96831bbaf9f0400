#pragma once
// Waiting for another process to end, and pausing, on the Win32 API.
#include "system/message_pump.h"
#include "system/processes.h"

#include <cstdint>

namespace orvh {

// The exit code of the process once it has ended; at once, with OpenProcess's error, when it
// cannot be opened; 0 when a blocking wait fails. With `wait` true the thread blocks without
// handling window messages; with `wait` false `pump` handles them until the process has ended.
ProcessWait AttendiProcesso(std::int32_t processId, bool wait, MessagePump& pump);

void Pausa(std::int32_t milliseconds);

class Win32ProcessWaiter final : public ProcessWaiter {
public:
    explicit Win32ProcessWaiter(MessagePump& pump) : pump_(pump) {}
    ProcessWait AttendiProcesso(std::int32_t processId, bool wait) override;
    void Pausa(std::int32_t milliseconds) override;

private:
    MessagePump& pump_;
};

} // namespace orvh
