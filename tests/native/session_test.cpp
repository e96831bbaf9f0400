// A session nobody can see: no box waits for an answer, installations run without interface.
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
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [facts, kind, note] = rows[i];
        EXPECT_EQ(SessionKindOf(facts), kind) << "row " << i;
        EXPECT_EQ(SessionNote(facts), note) << "row " << i;
    }
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
    struct Row {
        SessionKind kind;
        std::vector<std::uint32_t> reached; // the sessions a notice reaches
        bool answered;
        Log screen, notices, journal;
    };
    const Row rows[] = {
        {kInteractive, {1}, true, {L"message T | Testo | stop"}, {}, {box, L"journal Message box closed"}},
        {kUnattended, {1}, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session: sent to session 1 without waiting for an answer"}},
        {kUnattended, {3, 5}, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session: sent to session 3, 5 without waiting for an answer"}},
        {kUnattended, {}, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session, and no notice reached a user of an active session"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::RunFakes screen, journal;
        FakeNotices notices;
        notices.sessions = rows[i].reached;
        SessionDialogs session(rows[i].kind, screen, notices, journal);
        EXPECT_EQ(JournaledDialogs(session, journal).ShowMessage(L"Testo", L"T", MessageIcon::CriticalStop),
                  rows[i].answered)
            << "row " << i;
        EXPECT_EQ(screen.log, rows[i].screen) << "row " << i;
        EXPECT_EQ(notices.sent, rows[i].notices) << "row " << i;
        EXPECT_EQ(journal.log, rows[i].journal) << "row " << i;
    }
}

TEST(Session, InstallationsAndTheRetryRunWithoutInterfaceWhereNobodySees) {
    const std::wstring install = L"install p.msi from C:\\C into C:\\S [] ui ";
    struct Row {
        SessionKind kind;
        int requested;
        std::wstring call;
        Log journal;
    };
    const Row rows[] = {
        {kInteractive, kUiLevelBasicProgressOnly, install + L"99", {}},
        {kInteractive, kUiLevelDefault, L"patch C:\\p.msp ui 1", {}},
        {kUnattended, kUiLevelBasicProgressOnly, install + L"2",
         {L"journal Nobody can see this session: interface level 2 instead of 99"}},
        {kUnattended, kUiLevelDefault, L"patch C:\\p.msp ui 2",
         {L"journal Nobody can see this session: interface level 2 instead of 1"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::RunFakes inner, journal;
        SessionInstaller installer(rows[i].kind, inner, journal);
        if (rows[i].call.starts_with(L"patch")) {
            installer.ApplyPatchPackage(L"C:\\p.msp", rows[i].requested);
        } else {
            installer.InstallPackage(L"p.msi", L"C:\\C", L"C:\\S", L"", rows[i].requested);
        }
        EXPECT_EQ(inner.log, Log{rows[i].call}) << "row " << i;
        EXPECT_EQ(journal.log, rows[i].journal) << "row " << i;
    }
}

// Each call as it is made; the one named in `refused` raises.
struct FakeShutdown final : ShutdownCalls {
    void EnableShutdownPrivilege() override { Call(L"privilege"); }
    void EndSession(bool force) override { Call(force ? L"exit windows forced" : L"exit windows"); }
    void AskShutdownService(bool force) override { Call(force ? L"initiate shutdown forced" : L"initiate shutdown"); }
    void Call(const std::wstring& call) {
        calls.push_back(call);
        if (call == refused) throw PlatformError(5, call, L"refused");
    }
    std::wstring refused;
    Log calls;
};

TEST(Session, TheRestartIsAskedOfTheServiceWhereNobodySeesAndReturnsOnlyWhenAccepted) {
    struct Row {
        SessionKind kind;
        std::wstring refused;
        Log calls;
    };
    const Row rows[] = {
        {kInteractive, L"", {L"privilege", L"exit windows forced"}},
        {kUnattended, L"", {L"privilege", L"initiate shutdown forced"}},
        {kUnattended, L"privilege", {L"privilege"}},
        {kInteractive, L"exit windows forced", {L"privilege", L"exit windows forced"}},
        {kUnattended, L"initiate shutdown forced", {L"privilege", L"initiate shutdown forced"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        FakeShutdown shutdown;
        shutdown.refused = rows[i].refused;
        bool accepted = true;
        try {
            RequestRestart(rows[i].kind, true, shutdown);
        } catch (const PlatformError& error) {
            accepted = false;
            EXPECT_EQ(error.Source(), rows[i].refused) << "row " << i;
        }
        EXPECT_EQ(shutdown.calls, rows[i].calls) << "row " << i;
        EXPECT_EQ(accepted, rows[i].refused.empty()) << "row " << i;
    }
}

} // namespace
} // namespace orvh
