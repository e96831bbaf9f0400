#include "system/replace_retry.h"

namespace orvh {

unsigned long ReplaceRetrying(const std::function<unsigned long()>& attempt, const std::function<void(int)>& pause,
                              Journal& journal, const std::wstring& destination) {
    const std::wstring what = L"Replace \"" + destination + L"\": ";
    unsigned long result = attempt();
    int made = 1;
    if (result != 5 && result != 32) return result;
    journal.Write(what + L"error " + std::to_wstring(result) + L", tried again for up to " +
                  std::to_wstring(kReplaceAttempts * kReplacePauseMs / 1000) + L" s");
    while ((result == 5 || result == 32) && made < kReplaceAttempts) {
        pause(kReplacePauseMs);
        result = attempt();
        ++made;
    }
    journal.Write(what + (result == 0 ? L"done" : L"error " + std::to_wstring(result)) + L" at attempt " +
                  std::to_wstring(made));
    return result;
}

} // namespace orvh
