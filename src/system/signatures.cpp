#include "system/signatures.h"

#include <algorithm>

namespace orvh {
namespace {

constexpr std::uint32_t kSubjectFormUnknown = 0x800B0003; // TRUST_E_SUBJECT_FORM_UNKNOWN
constexpr std::uint32_t kProviderUnknown = 0x800B0001;    // TRUST_E_PROVIDER_UNKNOWN

bool SameText(const std::wstring& a, const std::wstring& b) {
    const auto folded = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    return std::ranges::equal(a, b, [&](wchar_t x, wchar_t y) { return folded(x) == folded(y); });
}

} // namespace

bool SamePublisher(const PublisherName& a, const PublisherName& b) {
    if ((a.organization + a.locality + a.state + a.country + a.commonName).empty()) return false;
    return SameText(a.organization, b.organization) && SameText(a.locality, b.locality) &&
           SameText(a.state, b.state) && SameText(a.country, b.country) && SameText(a.commonName, b.commonName);
}

SignatureState SignatureStateOf(std::uint32_t result, std::uint32_t lastError) {
    if (result == 0) return SignatureState::Valid;
    const bool noSignature = lastError == kTrustNoSignature || lastError == kSubjectFormUnknown ||
                             lastError == kProviderUnknown;
    return result == kTrustNoSignature && noSignature ? SignatureState::Unsigned : SignatureState::NotValid;
}

} // namespace orvh
