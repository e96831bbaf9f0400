#include "set_rules/version_rules.h"

#include "installer/version.h"

namespace orvh {

std::wstring PatchVersionKept(const std::wstring& installed, const std::wstring& update, const std::wstring& patch) {
    if (VersionGreater(installed, patch) || VersionGreater(update, patch)) return L"";
    return patch;
}

bool PatchNewerThan(const std::wstring& version, const std::wstring& patch) { return VersionGreater(patch, version); }

} // namespace orvh
