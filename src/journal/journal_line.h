#pragma once
// How an event stands in the journal: one event, one line.
#include <string>
#include <string_view>

namespace orvh {

// The event with the line breaks of a message's text written as \r and \n.
std::wstring OneLine(std::wstring_view event);

} // namespace orvh
