#pragma once
// A copy's last step, putting the complete copy in place of its destination, refused for a
// moment: a virus scanner, an indexer or a backup agent that opened one of the two files a
// moment ago lets go within a few seconds. Access denied (5: a file open with delete sharing
// cannot be replaced) and sharing violation (32) are tried again for a bounded time; any other
// error, or the time spent, ends the attempts. A destination another program holds open
// without delete sharing is refused before the copy, so it never gets here.
#include "common/journal.h"

#include <functional>
#include <string>

namespace orvh {

inline constexpr int kReplaceAttempts = 20;
inline constexpr int kReplacePauseMs = 250;  // 20 attempts, about 5 seconds

// Makes `attempt` (it returns 0 or the platform's error number) until it succeeds, fails with
// another error, or kReplaceAttempts have failed; calls `pause` with kReplacePauseMs between
// two attempts. The journal has the first refusal and the outcome after it. Returns the last
// result.
unsigned long ReplaceRetrying(const std::function<unsigned long()>& attempt, const std::function<void(int)>& pause,
                              Journal& journal, const std::wstring& destination);

} // namespace orvh
