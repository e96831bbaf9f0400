#pragma once
// The run's journal: one line per event, for whoever has to tell afterwards what a run
// found, decided and did. Writing it never fails and never stops the run.
#include <string_view>

namespace orvh {

class Journal {
public:
    virtual ~Journal() = default;
    // Adds one event, stamped with the time since the program started.
    virtual void Write(std::wstring_view event) = 0;
};

// A journal that keeps nothing, for services used outside the update run.
class NoJournal final : public Journal {
public:
    void Write(std::wstring_view) override {}
};

} // namespace orvh
