#include "installer/session_installer.h"

#include <string>

namespace orvh {

int InterfaceLevelFor(SessionKind kind, int requested) {
    return kind == SessionKind::Interactive ? requested : kUiLevelNone;
}

int SessionInstaller::Level(int requested) {
    const int level = InterfaceLevelFor(kind_, requested);
    if (level != requested) {
        journal_.Write(L"Nobody can see this session: interface level " + std::to_wstring(level) + L" instead of " +
                       std::to_wstring(requested));
    }
    return level;
}

} // namespace orvh
