#pragma once
// The "\005SummaryInformation" stream of a transform: an OLE property set with one
// section (format id FMTID_SummaryInformation), its values 2-byte integers, 4-byte
// integers or strings in the code page given by property 1.
#include "bytes.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace orvh::msp {

// Property ids of the summary information the transforms use.
enum SummaryPropertyId : std::uint32_t {
    kCodepage = 1,
    kTitle = 2,
    kSubject = 3,
    kAuthor = 4,
    kTemplate = 7,
    kLastAuthor = 8,
    kRevisionNumber = 9,
    kPageCount = 14,
    kWordCount = 15,
    kCharacterCount = 16,
    kSecurity = 19,
};

struct SummaryProperty {
    std::uint32_t id;
    std::variant<std::int16_t, std::int32_t, std::string> value;  // strings already in the set's code page
};

// The stream's name; the installer does not compress it.
inline const std::wstring kSummaryStreamName = L"\005SummaryInformation";

Bytes SummaryInformationStream(const std::vector<SummaryProperty>& properties);

} // namespace orvh::msp
