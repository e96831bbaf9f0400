// Any command line and any number: the tail ends the line, help text keeps its length, switch
// values are text of the tail, start-up ends on help only, the id is the number rounded or 0.
#include "fuzz_support.h"
#include "run_fakes.h"

#include <cfenv>
#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvh;
    const std::wstring line = WideText(data, size), tail(CommandTail(line));
    ORVH_FUZZ_CHECK(line.ends_with(tail) && HelpText(tail).size() == tail.size());
    std::wstring upper = tail;
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    const CommandSwitches s = ReadSwitches(tail, upper);
    for (const auto& value : {s.clusterResource, s.productExecutable, s.updateFolderValue}) ORVH_FUZZ_CHECK(tail.find(value) != tail.npos);
    test::RunFakes fakes;
    ORVH_FUZZ_CHECK(StartUp(tail, upper, {fakes, fakes, fakes, fakes, fakes.conversions}).has_value() != IsHelpRequest(tail));
    double number = 0;
    std::memcpy(&number, data, std::min(size, sizeof number));
    std::fesetround(FE_UPWARD);
    const std::int32_t id = ProcessIdFromNumber(number);
    ORVH_FUZZ_CHECK(std::fegetround() == FE_UPWARD);
    std::fesetround(FE_TONEAREST);
    ORVH_FUZZ_CHECK(id == 0 || std::fabs(id - number) < 0.5 || (std::fabs(id - number) == 0.5 && id % 2 == 0));
    return 0;
}
