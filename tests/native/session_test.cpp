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
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [facts, kind, note] = row;
        EXPECT_EQ(SessionKindOf(facts), kind);
        EXPECT_EQ(SessionNote(facts), note);
    });
}

struct FakeConsole final : ConsoleNotices {
    std::optional<std::uint32_t> Send(std::wstring_view text, std::wstring_view title, MessageIcon) override {
        sent.push_back(std::wstring(title) + L" | " + std::wstring(text));
        return session;
    }
    std::optional<std::uint32_t> session;
    Log sent;
};

TEST(Session, ABoxIsShownOnlyWhereSomeoneCanAnswerIt) {
    const std::wstring box = L"journal Message box \"T\" (stop): \"Testo\"";
    struct Row {
        SessionKind kind;
        std::optional<std::uint32_t> console; // the session a notice reaches
        bool answered;
        Log screen, console_, journal;
    };
    const Row rows[] = {
        {kInteractive, 1, true, {L"message T | Testo | stop"}, {}, {box, L"journal Message box closed"}},
        {kUnattended, 1, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session: sent to console session 1 without waiting for an answer"}},
        {kUnattended, std::nullopt, false, {}, {L"T | Testo"},
         {box, L"journal Not shown, nobody can see this session, and no notice reached a user at the console"}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        test::RunFakes screen, journal;
        FakeConsole console;
        console.session = row.console;
        SessionDialogs session(row.kind, screen, console, journal);
        EXPECT_EQ(JournaledDialogs(session, journal).ShowMessage(L"Testo", L"T", MessageIcon::CriticalStop),
                  row.answered);
        EXPECT_EQ(screen.log, row.screen);
        EXPECT_EQ(console.sent, row.console_);
        EXPECT_EQ(journal.log, row.journal);
    });
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
    test::ForEachRow(rows, [&](const auto& row) {
        test::RunFakes inner, journal;
        SessionInstaller installer(row.kind, inner, journal);
        if (row.call.starts_with(L"patch")) {
            installer.ApplyPatchPackage(L"C:\\p.msp", row.requested);
        } else {
            installer.InstallPackage(L"p.msi", L"C:\\C", L"C:\\S", L"", row.requested);
        }
        EXPECT_EQ(inner.log, Log{row.call});
        EXPECT_EQ(journal.log, row.journal);
    });
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
    test::ForEachRow(rows, [&](const auto& row) {
        FakeShutdown shutdown;
        shutdown.refused = row.refused;
        bool accepted = true;
        try {
            RequestRestart(row.kind, true, shutdown);
        } catch (const PlatformError& error) {
            accepted = false;
            EXPECT_EQ(error.Source(), row.refused);
        }
        EXPECT_EQ(shutdown.calls, row.calls);
        EXPECT_EQ(accepted, row.refused.empty());
    });
}

} // namespace
} // namespace orvh
