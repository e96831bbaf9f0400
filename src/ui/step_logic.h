#pragma once
// The progress window's steps: the step counter, where the arrow stands and which row a
// result picture goes to. Positions are in twips; the window converts them to pixels.
#include <cstdint>
#include <optional>

namespace orvh {

struct TwipsPoint {
    int left;
    int top;

    bool operator==(const TwipsPoint&) const = default;
};

// What one StepSuccessivo does to the arrow; an empty member leaves that property as it was.
struct ArrowChange {
    std::optional<TwipsPoint> position;
    std::optional<bool> visible;

    bool operator==(const ArrowChange&) const = default;
};

enum class StepPicture { Ok, Fail };

// The result picture for the row of a step.
struct StepMark {
    int row;
    StepPicture picture;

    bool operator==(const StepMark&) const = default;
};

class StepLogic {
public:
    // Begins the next step. The counter is a 16-bit signed integer: passing 32767 raises
    // error 6 "Overflow" and leaves it unchanged.
    ArrowChange StepSuccessivo();

    // The mark for the step in progress: nothing before the first step; error 340 (no
    // such element of the result-icon array) after the fourth.
    std::optional<StepMark> SetInconStep(bool success) const;

    std::int16_t Counter() const noexcept { return counter_; }

private:
    std::int16_t counter_ = 0;
};

} // namespace orvh
