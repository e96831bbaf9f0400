#pragma once
// The progress window `frmOrvhUpdate`: four step rows with their icons and labels, the
// arrow at the step in progress, a result icon on each finished step and the activity
// line. Constructing it creates and loads it (hidden, close button greyed, at the
// screen's top-left corner); destroying it restores the close button and unloads it.
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"
#include "ui/progress_layout.h"
#include "ui/progress_pictures_win32.h"
#include "ui/progress_view.h"
#include "ui/step_logic.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace orvh {

class ProgressWindow final : public ProgressView {
public:
    // Pictures and the window icon come from `pictures`, the program's own module by default.
    explicit ProgressWindow(HMODULE pictures = ::GetModuleHandleW(nullptr));
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void SetCaption(std::wstring_view caption) override;
    void SetLabel(WindowLabel label, std::wstring_view text) override;
    void StepSuccessivo() override;
    void SetInconStep(bool success) override;
    void Show() override;

    // Null once the window has gone.
    HWND Window() const noexcept { return window_.get(); }

private:
    struct Controls {
        HWND imgSfondo = nullptr;
        std::array<HWND, kStepCount> imgStep{};
        std::array<HWND, kStepCount> imgStepDone{};
        HWND imgOk = nullptr;
        HWND ImgFail = nullptr;
        HWND imgFreccia = nullptr;
        std::array<HWND, kLineCount> imgLinea{};
        HWND lblRicercaVersioni = nullptr;
        HWND lblOrvhMsi = nullptr;
        HWND lblOrvhMsp = nullptr;
        HWND lblAvvioOrvh = nullptr;
        HWND lblAttivita = nullptr;
    };

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    HWND CreateControl(int id, DWORD style, const TwipsRect& design);
    void Place(HWND control, const TwipsRect& design) const;
    void SizeClientArea() const;
    // Everything placed, sized, lettered and pictured again for a new DPI, the window in
    // the `suggested` rectangle.
    void Relayout(int dpi, const RECT& suggested);
    void ShowPictures(ProgressPictures pictures);
    void FitLabel(HWND control) const;
    void StretchLines(int clientWidth) const;
    HWND LabelControl(WindowLabel label) const;
    int Pixels(int twips) const { return TwipsToPixels(twips, dpi_); }

    HMODULE module_;  // where the pictures come from
    ProgressPictures pictures_;
    UniqueGdiObject font_;
    Controls controls_;
    std::vector<std::pair<HWND, TwipsRect>> designs_;  // each control at its design place
    std::optional<TwipsPoint> arrowAt_;
    StepLogic steps_;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    // Last, so that it goes first: its messages still find every other member.
    UniqueWindow window_;
};

} // namespace orvh
