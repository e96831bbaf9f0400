#pragma once
// What the run sees of the progress window: its caption and labels, the two step
// operations, and showing it. Loading is creating the window; unloading is destroying it.
#include <memory>
#include <string_view>

namespace orvh {

enum class WindowLabel { RicercaVersioni, OrvhMsi, OrvhMsp, AvvioOrvh, Attivita };

class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void SetCaption(std::wstring_view caption) = 0;
    virtual void SetLabel(WindowLabel label, std::wstring_view text) = 0;
    // Moves the arrow to the next step.
    virtual void StepSuccessivo() = 0;
    // Marks the step in progress with the success or the failure picture.
    virtual void SetInconStep(bool success) = 0;
    virtual void Show() = 0;
};

// Creates ("loads") the progress window, hidden; destroying it unloads it.
class ProgressWindowLoader {
public:
    virtual ~ProgressWindowLoader() = default;
    virtual std::unique_ptr<ProgressView> Load() = 0;
};

} // namespace orvh
