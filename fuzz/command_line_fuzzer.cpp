// Any command line: the tail ends the line, help text keeps its length, switch values are
// text of the tail, start-up ends on help only.
#include "fuzz_support.h"
#include "run_fakes.h"


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvh;
    const std::wstring line = WideText(data, size), tail(CommandTail(line));
    ORVH_FUZZ_CHECK(line.ends_with(tail) && HelpText(tail).size() == tail.size());
    std::wstring upper = tail;
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    const CommandSwitches s = ReadSwitches(tail, upper);
    for (const auto& value : {s.clusterResource, s.productExecutable, s.updateFolderValue}) ORVH_FUZZ_CHECK(tail.find(value) != tail.npos);
    test::RunFakes fakes;
    RunRecord record;
    ORVH_FUZZ_CHECK(StartUp(tail, upper, {fakes, fakes, fakes, fakes, fakes.conversions}, record).has_value() !=
                    IsHelpRequest(tail));
    ORVH_FUZZ_CHECK(record.help == IsHelpRequest(tail));
    return 0;
}
