// A session nobody can see: no box waits for an answer, installations run without interface.
#include "rows.h"
#include "installer/session_installer.h"
#include "journal/journaled_services.h"
#include "run_fakes.h"
#include "system/restart.h"
#include "ui/session_dialogs.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;
constexpr auto kInteractive = SessionKind::Interactive;
constexpr auto kUnattended = SessionKind::Unattended;

TEST(Session, NobodySeesItOnAnInvisibleStationOrInSessionZero) {
    const std::wstring unattended = L": nobody can see this program's windows; no message box is shown, "
                                    L"installations and patches run at interface level 2";
    const std::tuple<SessionFacts, SessionKind, std::wstring> rows[] = {
        {{true, 1}, kInteractive, L"Session 1, window station visible"},
        {{false, 1}, kUnattended, L"Session 1, window station not visible" + unattended},
        {{true, 0}, kUnattended, L"Session 0, window station visible" + unattended},
        {{true, 2, false}, kUnattended, L"Session 2, window station visible, session disconnected" + unattended},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [facts, kind, note] = row;
        EXPECT_EQ(SessionKindOf(facts), kind);
        EXPECT_EQ(SessionNote(facts), note);
    });
}

struct FakeNotices final : UserNotices {
    std::vector<std::uint32_t> Send(std::wstring_view text, std::wstring_view title, MessageIcon) override {
        sent.push_back(std::wstring(title) + L" | " + std::wstring(text));
        return sessions;
    }
    std::vector<std::uint32_t> sessions;
    Log sent;
};

TEST(Session, ABoxIsShownOnlyWhereSomeoneCanAnswerIt) {
    const std::wstring box = L"journal Message box \"T\" (stop): \"Testo\"";
    // The session, those a notice reaches; whether the box was answered, what the screen, the
    // notices and the journal got.
    const std::tuple<SessionKind, std::vector<std::uint32_t>, bool, Log, Log, Log> rows[] = {
        {kInteractive, {1}, true, {L"message T | Testo | stop"}, {}, {box, L"journal Message box closed"}},
        {kUnattended, {1}, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session: sent to session 1 without waiting for an answer"}},
        {kUnattended, {3, 5}, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session: sent to session 3, 5 without waiting for an answer"}},
        {kUnattended, {}, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session, and no notice reached a user of an active session"}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [kind, reached, answered, onScreen, sent, journaled] = row;
        test::RunFakes screen, journal;
        FakeNotices notices;
        notices.sessions = reached;
        SessionDialogs session(kind, screen, notices, journal);
        EXPECT_EQ(JournaledDialogs(session, journal).ShowMessage(L"Testo", L"T", MessageIcon::CriticalStop), answered);
        EXPECT_EQ(screen.log, onScreen);
        EXPECT_EQ(notices.sent, sent);
        EXPECT_EQ(journal.log, journaled);
    });
}

TEST(Session, InstallationsAndTheRetryRunWithoutInterfaceWhereNobodySees) {
    const std::wstring install = L"install p.msi from C:\\C into C:\\S [] ui ";
    // The session, the interface level asked for; the call made, the journal.
    const std::tuple<SessionKind, int, std::wstring, Log> rows[] = {
        {kInteractive, kUiLevelBasicProgressOnly, install + L"99", {}},
        {kInteractive, kUiLevelDefault, L"patch C:\\p.msp into C:\\S beside C:\\C\\p.msi ui 1", {}},
        {kUnattended, kUiLevelBasicProgressOnly, install + L"2",
         {L"journal Nobody can see this session: interface level 2 instead of 99"}},
        {kUnattended, kUiLevelDefault, L"patch C:\\p.msp into C:\\S beside C:\\C\\p.msi ui 2",
         {L"journal Nobody can see this session: interface level 2 instead of 1"}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [kind, requested, call, journaled] = row;
        test::RunFakes inner, journal;
        SessionInstaller installer(kind, inner, journal);
        if (call.starts_with(L"patch")) {
            installer.ApplyPatchPackage(L"C:\\p.msp", L"C:\\S", L"C:\\C\\p.msi", requested, L"");
        } else {
            installer.InstallPackage(L"p.msi", L"C:\\C", L"C:\\S", Reinstall::None, requested, L"");
        }
        EXPECT_EQ(inner.log, Log{call});
        EXPECT_EQ(journal.log, journaled);
    });
}

// Each call as it is made; the service answers each request with the next code (0: accepted).
struct FakeShutdown final : ShutdownCalls {
    void EnableShutdownPrivilege() override {
        calls.push_back(L"privilege");
        if (privilegeRefused) throw PlatformError(1300, L"AdjustTokenPrivileges", L"refused");
    }
    void AskShutdownService(bool force) override {
        calls.push_back(force ? L"ask forced" : L"ask");
        const std::int32_t answer = answers.at(asked++);
        if (answer != 0) throw PlatformError(answer, L"InitiateSystemShutdownExW", L"refused");
    }
    void Pause(std::int32_t milliseconds) override { calls.push_back(L"pause " + std::to_wstring(milliseconds)); }
    bool privilegeRefused = false;
    std::vector<std::int32_t> answers;
    std::size_t asked = 0;
    Log calls;
};

TEST(Session, TheRestartReturnsOnlyWhenTheShutdownServiceAccepted) {
    // The service's answers (none: the privilege is refused); the error raised.
    const std::pair<std::vector<std::int32_t>, std::int32_t> rows[] = {
        {{0}, 0},
        {{1115}, 0}, // ERROR_SHUTDOWN_IN_PROGRESS: Windows restarts already
        {{21, 21, 0}, 0}, // ERROR_NOT_READY, asked again
        {std::vector<std::int32_t>(kNotReadyAttempts, 21), 21},
        {{5}, 5},
        {{}, 1300},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [answers, expected] = row;
        FakeShutdown shutdown;
        shutdown.answers = answers;
        shutdown.privilegeRefused = answers.empty();
        std::int32_t raised = 0;
        try {
            RequestRestart(true, shutdown, [&] { shutdown.calls.push_back(L"asking"); });
        } catch (const PlatformError& error) {
            raised = error.Number();
        }
        // The run's end is reported once the privilege is held, before the service is asked.
        Log calls{L"privilege"};
        if (!answers.empty()) calls.push_back(L"asking");
        for (std::size_t ask = 0; ask < answers.size(); ++ask) {
            if (ask > 0) calls.push_back(L"pause 500");
            calls.push_back(L"ask forced");
        }
        EXPECT_EQ(shutdown.calls, calls);
        EXPECT_EQ(raised, expected);
    });
}

} // namespace
} // namespace orvh
