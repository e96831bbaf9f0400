// Greying and restoring the close button of a real window: the Close item of its system
// menu, its identifier and grey state, and the errors of calls in the wrong state.
#include "system/platform_error.h"
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"
#include "ui/close_button_win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace orvh {
namespace {

constexpr UINT kSubstitute = 0xFFFFFFF6; // -10
constexpr std::int32_t kObjectError = -2147221504;

struct MenuItem {
    UINT id;
    UINT state;
};

// The system-menu item carrying `id`, read position by position as a user of the menu sees it.
std::optional<MenuItem> FindItem(HWND window, UINT id) {
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STATE;
        if (::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) && item.wID == id) {
            return MenuItem{item.wID, item.fState};
        }
    }
    return std::nullopt;
}

const wchar_t* PlainWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"OrvhCloseButtonTest";
        return ::RegisterClassExW(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    return L"OrvhCloseButtonTest";
}

UniqueWindow PlainWindow() {
    UniqueWindow window(::CreateWindowExW(0, PlainWindowClass(), L"Close button", WS_OVERLAPPEDWINDOW, 10, 10, 300,
                                          200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    EXPECT_TRUE(window);
    return window;
}

void ExpectError(const std::function<void()>& call, const std::wstring& text) {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Number(), kObjectError);
        EXPECT_EQ(e.Source(), L"modCloseBtn::EnableCloseButton");
        EXPECT_EQ(e.Description(), L"modCloseBtn::EnableCloseButton" + text);
    }
}

TEST(CloseButtonTest, DisablingGreysTheCloseItemUnderItsSubstituteAndEnablingRestoresIt) {
    const UniqueWindow window = PlainWindow();
    const auto initial = FindItem(window.get(), SC_CLOSE);
    ASSERT_TRUE(initial.has_value());
    EXPECT_EQ(initial->state & MFS_GRAYED, 0u);

    EnableCloseButton(window.get(), false);
    const auto disabled = FindItem(window.get(), kSubstitute);
    ASSERT_TRUE(disabled.has_value());
    EXPECT_EQ(disabled->state & MFS_GRAYED, static_cast<UINT>(MFS_GRAYED));
    EXPECT_FALSE(FindItem(window.get(), SC_CLOSE).has_value());

    EnableCloseButton(window.get(), true);
    const auto enabled = FindItem(window.get(), SC_CLOSE);
    ASSERT_TRUE(enabled.has_value());
    EXPECT_EQ(enabled->state & MFS_GRAYED, 0u);
    EXPECT_FALSE(FindItem(window.get(), kSubstitute).has_value());
}

TEST(CloseButtonTest, WorksOnAnySystemMenuItem) {
    const UniqueWindow window = PlainWindow();
    const UINT substitute = static_cast<UINT>(-11);
    EnableSystemMenuItem(window.get(), SC_MOVE, substitute, false, L"EnableMoveItem");
    const auto disabled = FindItem(window.get(), substitute);
    ASSERT_TRUE(disabled.has_value());
    EXPECT_EQ(disabled->state & MFS_GRAYED, static_cast<UINT>(MFS_GRAYED));
    EXPECT_TRUE(FindItem(window.get(), SC_CLOSE).has_value());
    EnableSystemMenuItem(window.get(), SC_MOVE, substitute, true, L"EnableMoveItem");
    EXPECT_TRUE(FindItem(window.get(), SC_MOVE).has_value());
}

TEST(CloseButtonTest, CallsInTheWrongStateFailAndChangeNothing) {
    struct Case {
        const char* name;
        std::optional<bool> earlier; // a call that succeeds first
        bool failing;
        UINT id; // the identifier the Close item keeps
    };
    const Case cases[] = {
        {"disable twice", false, false, kSubstitute},
        {"enable never disabled", std::nullopt, true, SC_CLOSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const UniqueWindow window = PlainWindow();
        if (c.earlier) EnableCloseButton(window.get(), *c.earlier);
        const auto before = FindItem(window.get(), c.id);
        ASSERT_TRUE(before.has_value());
        ExpectError([&] { EnableCloseButton(window.get(), c.failing); }, L"() - Menu Item Not Found");
        const auto after = FindItem(window.get(), c.id);
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(after->state, before->state);
    }
}

TEST(CloseButtonTest, HandleThatIsNoWindowFails) {
    HWND gone = nullptr;
    {
        const UniqueWindow window = PlainWindow();
        gone = window.get();
    }
    ASSERT_FALSE(::IsWindow(gone));
    for (const bool enable : {false, true}) {
        ExpectError([&] { EnableCloseButton(gone, enable); }, L"() - Invalid Window Handle");
        ExpectError([&] { EnableCloseButton(nullptr, enable); }, L"() - Invalid Window Handle");
    }
}

} // namespace
} // namespace orvh
