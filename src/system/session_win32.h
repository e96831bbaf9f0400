#pragma once
// The process's session and window station, as Windows reports them.
#include "system/session.h"

namespace orvh {

// A station whose flags cannot be read counts as visible, a session that cannot be read as
// not session 0 and connected: the facts err towards the road of a person at the screen, as
// before.
SessionFacts CurrentSessionFacts();

} // namespace orvh
