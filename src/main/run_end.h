#pragma once
// How a run ended, told to whoever started it: one exit code (Windows Installer's own where the
// meaning is the same, so that a deployment system decides success, restart and retry from it
// alone) and one event in the Application log. The run and the program's entry fill a
// RunRecord as things happen; the end is decided from it once, by the first row of one table.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvh {

struct RunRecord {
    bool help = false;             // the usage message was asked for
    bool anotherLauncher = false;  // another launcher runs
    bool restartStarted = false;   // Windows accepted the launcher's restart, or an installer started one
    bool restartRequired = false;  // an installer returned 3010, or fonts were removed and restarts are not allowed
    bool installerBusy = false;    // Windows Installer stayed busy with another installation past the wait
    bool setStillBeingDelivered = false; // a file of the set was still being written into Nuovo
    bool noConfiguration = false;  // Nuovo holds no configuration file
    // With no configuration file in Nuovo: Corrente's, the last set delivered, announces no
    // version above the one installed (the update was completed by an earlier run).
    bool completedEarlier = false;
    bool notInstalled = false;       // the edition is not installed, or the upgrade code names none
    bool refused = false;            // the signature check refused the set
    bool installationPhase = false;  // the run went on to install, repair or patch
    bool installationFailed = false; // an installation, repair or patch failed
    bool failureShown = false;       // the failed update's message was shown
    // The final check: the installed version is at or above the highest version the set offered.
    std::optional<bool> reachedOffered = std::nullopt;
    std::optional<std::int32_t> errorReport = std::nullopt; // the error number that ended the run

    // What the event tells besides the outcome.
    std::wstring edition = L"";
    std::wstring versionBefore = L"";
    std::wstring versionAfter = L"";
};

enum class EventKind { Information, Warning, Error };

// One way a run can end. The rows of the table are in order of precedence.
struct RunEnd {
    std::uint32_t exitCode;
    std::uint32_t eventId; // one per exit code; its text is the message of the same id
    EventKind kind;
    std::wstring_view meaning; // for the journal
};

// The launcher's own exit codes, for ends Windows Installer has no code for.
inline constexpr std::uint32_t kExitNoConfiguration = 10202;
inline constexpr std::uint32_t kExitSetRefused = 10002;
inline constexpr std::uint32_t kExitErrorReport = 10900;

const RunEnd& DecideEnd(const RunRecord& record);

// The event's insertion strings: edition, version before, version after, exit code, journal.
std::vector<std::wstring> EventStrings(const RunRecord& record, const RunEnd& end, const std::wstring& journalPath);

// Reports the run's end: the journal's account and the event. Only the first report of a run
// counts, so that a run that must report before it is ended (a restart with no delay) is not
// reported twice.
class EndReporter {
public:
    virtual ~EndReporter() = default;
    virtual void Report(const RunRecord& record) = 0;
};

// Ends the program at once, without any clean-up, with the exit code of the run's end: used
// once Windows restarts (the launcher's forced restart requested, or an installer's own).
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    [[noreturn]] virtual void EndNow() = 0;
};

} // namespace orvh
