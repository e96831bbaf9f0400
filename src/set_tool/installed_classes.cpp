#include "set_tool/installed_classes.h"

#include "installer/version.h"
#include "set_rules/set_files.h"

#include <algorithm>

namespace orvh::set_tool {
namespace {

constexpr std::wstring_view kLowest = L"0000.0000.0000.0000";

// The canonical version right above `version`: its last group plus one.
std::wstring Next(const std::wstring& version) {
    const std::size_t at = version.rfind(L'.') + 1;
    std::wstring group = std::to_wstring(std::stoull(version.substr(at)) + 1);
    const std::size_t width = version.size() - at;
    if (group.size() < width) group.insert(0, width - group.size(), L'0');
    return version.substr(0, at) + group;
}

// Adds the versions strictly between `low` and `high` (either empty: unbounded), split where
// the server's installations turn to the archive keys.
void AddBetween(std::vector<InstalledClass>& classes, const std::wstring& low, bool lowIncluded, const std::wstring& high,
                Edition edition) {
    const std::wstring first(kServerFirstArchiveKeys), last(kServerLastFileNameKeys);
    const bool below = low.empty() || VersionGreater(last, low) || (lowIncluded && low == last);
    const bool above = high.empty() || VersionGreater(high, first);
    if (edition == Edition::Server && below && above) {
        AddBetween(classes, low, lowIncluded, first, edition);
        AddBetween(classes, first, true, high, edition);
        return;
    }
    std::wstring representative = lowIncluded ? low : low.empty() ? std::wstring(kLowest) : Next(low);
    if (!high.empty() && !VersionGreater(high, representative)) return;
    classes.push_back({representative, low, high, lowIncluded, false});
}

std::wstring Shown(const std::wstring& version, const LocaleConversions& numbers) {
    return FormatVersion(version, false, numbers);
}

} // namespace

std::vector<InstalledClass> InstalledClasses(std::vector<std::wstring> points, Edition edition) {
    std::ranges::sort(points, [](const auto& a, const auto& b) { return VersionGreater(b, a); });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    std::vector<InstalledClass> classes;
    std::wstring low;
    for (std::size_t i = 0; i < points.size(); ++i) {
        AddBetween(classes, low, false, points[i], edition);
        if (i + 1 < points.size()) classes.push_back({points[i], points[i], points[i], true, true});
        low = points[i];
    }
    AddBetween(classes, low, !points.empty(), L"", edition);
    return classes;
}

std::wstring InstallationsOf(const std::vector<InstalledClass>& classes, std::size_t first, std::size_t last,
                             const LocaleConversions& numbers) {
    const InstalledClass &from = classes[first], &to = classes[last];
    if (from.low.empty() && to.high.empty()) return L"all installations";
    if (from.low == to.high && from.lowIncluded && to.highIncluded) return L"installations at " + Shown(from.low, numbers);
    const std::wstring low = from.low.empty() ? L"" : (from.lowIncluded ? L"from " : L"above ") + Shown(from.low, numbers);
    if (to.high.empty()) return L"installations " + low + (from.lowIncluded ? L" on" : L"");
    const std::wstring high = (to.highIncluded ? L"up to " : L"below ") + Shown(to.high, numbers);
    return L"installations " + (low.empty() ? high : low + L" to " + high);
}

std::wstring InstallationsOf(const std::vector<InstalledClass>& classes, const std::vector<std::size_t>& indices,
                             const LocaleConversions& numbers) {
    std::wstring text;
    for (std::size_t at = 0; at < indices.size();) {
        std::size_t end = at;
        while (end + 1 < indices.size() && indices[end + 1] == indices[end] + 1) ++end;
        text += (text.empty() ? L"" : L" and ") + InstallationsOf(classes, indices[at], indices[end], numbers);
        at = end + 1;
    }
    return text;
}

} // namespace orvh::set_tool
