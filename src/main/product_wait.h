#pragma once
// The run's wait for the product: its process ends before anything is updated.
#include <cstdint>

namespace orvh {

class ProcessWaiter;
class ProgressView;
class StringTable;

// Waits until the process `processId` has ended (a short pause when the id is 0 or
// negative), then writes the next activity, moves to the first step and shows the window.
void WaitForProduct(std::int32_t processId, ProgressView& view, const StringTable& texts, ProcessWaiter& waiter);

} // namespace orvh
