// The platform checks of a restart that do not restart anything: the system family and the
// shutdown privilege of the process's token. The restart itself is watched from outside
// (tests/bench/restart_check.sh), since it ends every program of the system.
#include "system/restart_win32.h"
#include "system/unique_handles_win32.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace orvh {
namespace {

UniqueHandle OwnToken() {
    HANDLE token = nullptr;
    EXPECT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    return UniqueHandle(token);
}

LUID ShutdownPrivilege() {
    LUID luid{};
    EXPECT_TRUE(::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid));
    return luid;
}

// The attributes of the shutdown privilege in the process's token; none when the token
// does not hold it.
std::optional<DWORD> ShutdownPrivilegeAttributes() {
    const UniqueHandle token = OwnToken();
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (!::GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size)) return std::nullopt;
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    const LUID shutdown = ShutdownPrivilege();
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const auto& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart) {
            return entry.Attributes;
        }
    }
    return std::nullopt;
}

void SetShutdownPrivilege(DWORD attributes) {
    const UniqueHandle token = OwnToken();
    TOKEN_PRIVILEGES state{};
    state.PrivilegeCount = 1;
    state.Privileges[0].Luid = ShutdownPrivilege();
    state.Privileges[0].Attributes = attributes;
    ASSERT_TRUE(::AdjustTokenPrivileges(token.get(), FALSE, &state, 0, nullptr, nullptr));
}

TEST(IsWindowsNT, IsTrueOnTheNtFamily) { EXPECT_TRUE(IsWindowsNT()); }

TEST(EnableShutdownPrivilege, EnablesTheDisabledPrivilege) {
    ASSERT_TRUE(ShutdownPrivilegeAttributes().has_value()) << "the token holds no shutdown privilege";
    SetShutdownPrivilege(0);
    ASSERT_EQ(*ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED, 0u);

    EnableShutdownPrivilege();

    EXPECT_NE(*ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED, 0u);
}

} // namespace
} // namespace orvh
