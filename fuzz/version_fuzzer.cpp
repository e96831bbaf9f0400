// Two version texts, one per line: each raises only the conversion errors, keeps its canonical
// form when formatted again and shows one display form through it; no order holds both ways.
#include "fakes.h"
#include "fuzz_support.h"
#include "installer/version.h"
#include "system/platform_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvh;
    const std::wstring text = WideText(data, size), a = text.substr(0, text.find(L'\n')), b = text.substr(a.size());
    const test::FakeConversions numbers;
    for (const auto& version : {a, b}) {
        try {
            const std::wstring canonical = FormatVersion(version, true, numbers);
            ORVH_FUZZ_CHECK(FormatVersion(canonical, true, numbers) == canonical);
            ORVH_FUZZ_CHECK(FormatVersion(canonical, false, numbers) == FormatVersion(version, false, numbers));
        } catch (const PlatformError& e) {
            ORVH_FUZZ_CHECK(e.Number() == 13 || e.Number() == 6);
        }
    }
    ORVH_FUZZ_CHECK(!(VersionGreater(a, b) && VersionGreater(b, a)));
    return 0;
}
