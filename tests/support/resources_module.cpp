#include "resources_module.h"

#include "test_paths.h"

namespace orvh::test {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

} // namespace

std::wstring ResourcesModulePath() { return TestProgramFolder() + L"\\resources_module.dll"; }

const std::vector<std::uint8_t>& CustomData() {
    static const auto bytes = Bytes(std::string_view("Orvh\x00\x01\x02\xfe\xff custom data", 21));
    return bytes;
}

const std::vector<std::uint8_t>& NumberedTypeData() {
    static const auto bytes = Bytes("numbered type \x10\x20");
    return bytes;
}

const std::vector<std::uint8_t>& TextData() {
    static const auto bytes = Bytes("Versione 1.2\r\nPerch\xe9 costa 5 \x80");
    return bytes;
}

} // namespace orvh::test
