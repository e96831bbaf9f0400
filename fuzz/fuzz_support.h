#pragma once
// Each byte the character of its value, so that seeds are plain text; a broken invariant aborts,
// so that libFuzzer keeps the input as a finding.
#include <cstdio>
#include <cstdlib>
#include <string>

#define ORVH_FUZZ_CHECK(condition) \
    if (!(condition)) std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #condition), std::abort()

inline std::wstring WideText(const std::uint8_t* data, std::size_t size) { return std::wstring(data, data + size); }
