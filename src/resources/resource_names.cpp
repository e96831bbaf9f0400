#include "resources/resource_names.h"

namespace orvh {
namespace {

constexpr std::size_t kLongestUrlModuleName = 256;

std::wstring_view TrimSpaces(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

} // namespace

std::optional<std::uint16_t> IntegerResourceId(std::int32_t id) {
    if (id < 1 || id > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(id);
}

std::wstring NumberedResourceName(std::int32_t id) { return L"#" + std::to_wstring(id); }

std::wstring ResourceUrl(std::wstring_view dllName, std::int16_t index, std::wstring_view resFormat) {
    if (dllName.empty() || dllName.size() > kLongestUrlModuleName) return {};
    std::wstring url = L"RES://";
    url.append(dllName).append(L"/").append(TrimSpaces(resFormat)).append(L"/");
    return url + std::to_wstring(static_cast<std::int32_t>(index));
}

} // namespace orvh
