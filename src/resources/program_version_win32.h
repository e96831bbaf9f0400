#pragma once
// The running program's own version, from its version resource.
#include <string>

namespace orvh {

// "major.minor.revision" as plain decimal numbers (the third of the four file version
// numbers is not shown); empty when the program carries no version resource.
std::wstring ProgramVersionText();

} // namespace orvh
