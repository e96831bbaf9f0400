#pragma once
// Why a signed launcher refuses an update set, and the message that says it.
#include "common/string_ids.h"

#include <cstdint>

namespace orvh {

enum class Refusal { None, NotSigned, OtherPublisher, NotValid, VersionsDisagree };

// The string of the refusal's reason, shown after text::kSetRefused and the file's name.
constexpr std::int32_t ReasonTextOf(Refusal refusal) {
    switch (refusal) {
    case Refusal::NotSigned: return text::kNotSigned;
    case Refusal::OtherPublisher: return text::kOtherPublisher;
    case Refusal::VersionsDisagree: return text::kVersionsDisagree;
    case Refusal::NotValid:
    case Refusal::None: break;
    }
    return text::kSignatureNotValid;
}

} // namespace orvh
