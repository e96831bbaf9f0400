#pragma once
// The test-only resource module (tests/resources_module), built into bin/ beside the
// test programs, and what it holds.
#include "../resources_module/resources_module_ids.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvh::test {

std::wstring ResourcesModulePath();

// The data of RM_DATA under the type name CUSTOM and under the numbered type.
const std::vector<std::uint8_t>& CustomData();
const std::vector<std::uint8_t>& NumberedTypeData();
// RM_TEXT: text in code page 1252 with a line break, an e acute (0xE9) and a euro sign (0x80).
const std::vector<std::uint8_t>& TextData();

} // namespace orvh::test
