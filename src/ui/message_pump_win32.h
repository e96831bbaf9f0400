#pragma once
// The message pump of the program's thread: what is waiting is dispatched, nothing waits.
#include "system/message_pump.h"

namespace orvh {

class Win32MessagePump final : public MessagePump {
public:
    void ProcessPendingMessages() override;
};

} // namespace orvh
