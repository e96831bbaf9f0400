#pragma once
// One delivery, end to end: an update folder laid out as the delivering side leaves it,
// fixture products installed, a product stand-in, and a run of the real OrvhUpdate.exe whose
// message boxes are read and answered and whose window is captured while shown.
#include "fixture_packages.h"
#include "message_box_reader.h"
#include "product_installs.h"
#include "standins.h"
#include "test_paths.h"
#include "window_capture.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace orvh::test {

struct ShownBox {
    MessageBoxContents contents;
    bool windowVisible = false; // whether the progress window was on screen when the box came
};

struct RunOutcome {
    bool ended = false;              // the launcher ended within the time-out
    std::vector<ShownBox> boxes;     // in the order shown; each answered with its first button
    std::optional<Image> lastWindow; // the progress window as last seen on screen
};

class UpdateScenario {
public:
    UpdateScenario();
    // Removes every installed product, the run's own installations included.
    ~UpdateScenario();

    // The update folder (the launcher makes its sub-folders) and the product.
    std::wstring UpdateFolder() const { return root_ / L"Upd"; }
    std::wstring Sub(const std::wstring& name) const { return UpdateFolder() + L"\\" + name; }
    const std::wstring& ProductPath() const { return product_; }
    const ScratchFolder& Root() const { return root_; }

    // Puts a file into Nuovo, making the folders as the delivering side would.
    void Deliver(const std::wstring& name, const std::wstring& sourcePath);
    void DeliverPackage(const std::wstring& name, const fixtures::FixturePackage& package);
    // Writes a version into Nuovo\ORVHUpdate.cfg's section "Versione".
    void Announce(const std::wstring& key, const std::wstring& version);
    // Installs from a copy of the package, which becomes the product's installation source.
    unsigned Install(const fixtures::FixturePackage& package);

    // Starts OrvhUpdate.exe (copied into `programFolder`, by default the scratch folder's
    // "Program") with the exact tail and follows it to its end.
    RunOutcome Run(const std::wstring& tail, std::chrono::milliseconds timeout = std::chrono::minutes(3),
                   const std::wstring& programFolder = {});

    // The tail the product uses: the update folder and the product, both quoted.
    std::wstring Tail() const;
    std::vector<StartRecord> ProductStarts(std::size_t expected = 1) const;

private:
    ScratchFolder root_;
    ProductInstalls installs_;
    std::wstring product_;
};

// The canonical version of the installed product of an edition, as Windows Installer
// reports it now ("" when not installed).
std::wstring InstalledVersion(std::wstring_view productName, std::wstring_view upgradeCode);

} // namespace orvh::test
