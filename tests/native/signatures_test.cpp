// A signature's state from what Windows answered, and when two signers are one publisher.
#include "system/signatures.h"
#include "rows.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

// Unsigned only as Windows' own example tells it; any other failure is a signature not valid.
TEST(Signatures, UnsignedOnlyForNoSignatureWithItsLastErrors) {
    constexpr auto kUnsigned = SignatureState::Unsigned, kNotValid = SignatureState::NotValid;
    const std::tuple<std::uint32_t, std::uint32_t, SignatureState> rows[] = {
        {0, 0, SignatureState::Valid},
        {0x800B0100, 0x800B0100, kUnsigned},
        {0x800B0100, 0x800B0003, kUnsigned},
        {0x800B0100, 0x800B0001, kUnsigned},
        {0x800B0100, 32, kNotValid}, // the file could not be read
        {0x800B0003, 0x800B0003, kNotValid},
        {0x80096010, 0x80096010, kNotValid},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [result, lastError, state] = row;
        EXPECT_EQ(SignatureStateOf(result, lastError), state);
    });
}

// The publisher is the subject's decoded O, L, S, C and CN, letters compared without case.
TEST(Signatures, OnePublisherIsTheSameDecodedNameAttributes) {
    const PublisherName orvane{L"Orvane S.p.A.", L"Milano", L"MI", L"IT", L"Orvane S.p.A."};
    const auto with = [&](std::wstring PublisherName::*attribute, std::wstring value) {
        PublisherName name = orvane;
        name.*attribute = std::move(value);
        return name;
    };
    const std::tuple<PublisherName, PublisherName, bool> rows[] = {
        {orvane, orvane, true},
        {orvane, with(&PublisherName::commonName, L"ORVANE s.P.a."), true},
        {orvane, with(&PublisherName::locality, L""), false},
        {orvane, with(&PublisherName::organization, L"Orvane S.r.l."), false},
        {PublisherName{}, PublisherName{}, false},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [a, b, same] = row;
        EXPECT_EQ(SamePublisher(a, b), same);
    });
}

} // namespace
} // namespace orvh
