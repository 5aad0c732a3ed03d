// SPDX-License-Identifier: MIT
// Keyboard navigation in a real window: real Tab keystrokes (SendInput) move the focus among the
// nine controls of the main window, with the event loop of the window library translating them.
#include "tests/support/gui.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <initializer_list>
#include <vector>

namespace {

using namespace gui;

constexpr int32_t NO_CONTROL = 0; // the window itself has the focus
constexpr int32_t OUTSIDE = -2;   // the focus is not in the window

// Key releases taken from the thread's queue. A keystroke has been handled completely once the
// release of its last key has been taken and the wait that took it has returned.
int keyReleases = 0;

LRESULT CALLBACK CountKeyReleases(int code, WPARAM wParam, LPARAM lParam) {
    const auto *message = reinterpret_cast<const MSG *>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        (message->message == WM_KEYUP || message->message == WM_SYSKEYUP))
        ++keyReleases;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Presses key with the modifiers held, as real keyboard input, and runs the event loop until
// every key of the chord is up again and its release has been handled.
bool Keystroke(WORD key, std::initializer_list<WORD> modifiers = {}) {
    int expected = keyReleases + 1 + static_cast<int>(modifiers.size());
    PressKey(key, modifiers);
    return PumpUntilState([&] { return keyReleases >= expected; });
}

class Navigation : public MainControlsTest {
  protected:
    void SetUp() override {
        hook = SetWindowsHookExA(WH_GETMESSAGE, CountKeyReleases, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        MainControlsTest::SetUp();
    }

    void TearDown() override {
        MainControlsTest::TearDown();
        UnhookWindowsHookEx(hook);
    }

    // The number of the control that has the focus; NO_CONTROL for the window itself.
    int32_t Focused() const {
        HWND focus = GetFocus();
        if (focus == window) return NO_CONTROL;
        if (!focus || GetParent(focus) != window) return OUTSIDE;
        return GetDlgCtrlID(focus);
    }

    void FocusOn(HWND target) {
        SetFocus(target);
        ASSERT_TRUE(PumpUntilState([&] { return GetFocus() == target; }));
    }

    // From the start, each keystroke moves the focus to the next number of visits.
    void ExpectWalk(int32_t start, std::initializer_list<WORD> modifiers,
                    const std::vector<int32_t> &visits) {
        FocusOn(start == NO_CONTROL ? window : Handle(start));
        for (int32_t expected : visits) {
            ASSERT_TRUE(Keystroke(VK_TAB, modifiers)) << "the keystroke was not handled";
            ASSERT_EQ(Focused(), expected);
        }
    }

    HHOOK hook = nullptr;
};

struct Walk {
    const char *name;
    std::initializer_list<WORD> modifiers;
    std::vector<int32_t> visits;
};

// The full walk through the main window's tab stops is checked on the real tool
// (checksumme_test, TabOrder).
TEST_F(Navigation, DisabledAndHiddenControlsAreSkipped) {
    EnableWindow(Handle(FILE_BUTTON), FALSE);
    ShowWindow(Handle(OUTPUT_FIELD), SW_HIDE);
    const Walk walks[] = {
        {"Tab", {}, {PASTE_BUTTON, COMPUTE_BUTTON, COPY_BUTTON, QUIT_BUTTON, INPUT_FIELD}},
        {"Shift+Tab",
         {VK_SHIFT},
         {QUIT_BUTTON, COPY_BUTTON, COMPUTE_BUTTON, PASTE_BUTTON, INPUT_FIELD}},
    };
    for (const Walk &walk : walks) {
        SCOPED_TRACE(walk.name);
        ExpectWalk(INPUT_FIELD, walk.modifiers, walk.visits);
    }
}

TEST_F(Navigation, TabWithCtrlOrAltDoesNotNavigate) {
    const Walk walks[] = {
        {"Ctrl+Tab", {VK_CONTROL}, {INPUT_FIELD, INPUT_FIELD}},
        {"Alt+Tab", {VK_MENU}, {INPUT_FIELD, INPUT_FIELD}},
        {"Ctrl+Shift+Tab", {VK_CONTROL, VK_SHIFT}, {INPUT_FIELD}},
    };
    for (const Walk &walk : walks) {
        SCOPED_TRACE(walk.name);
        ExpectWalk(INPUT_FIELD, walk.modifiers, walk.visits);
        ExpectWalk(COMPUTE_BUTTON, walk.modifiers, {COMPUTE_BUTTON});
    }
}

TEST_F(Navigation, ASingleTabStopKeepsTheFocus) {
    for (int32_t number : {PASTE_BUTTON, FILE_BUTTON, COMPUTE_BUTTON, COPY_BUTTON, QUIT_BUTTON})
        EnableWindow(Handle(number), FALSE);
    ShowWindow(Handle(OUTPUT_FIELD), SW_HIDE);
    ExpectWalk(INPUT_FIELD, {}, {INPUT_FIELD, INPUT_FIELD});
    ExpectWalk(INPUT_FIELD, {VK_SHIFT}, {INPUT_FIELD, INPUT_FIELD});

    // With no tab stop left, the focus stays with the window.
    EnableWindow(Handle(INPUT_FIELD), FALSE);
    ExpectWalk(NO_CONTROL, {}, {NO_CONTROL});
    ExpectWalk(NO_CONTROL, {VK_SHIFT}, {NO_CONTROL});
}

TEST_F(Navigation, FocusOutsideTheTabStopsGoesToTheFirstOrLast) {
    // The window itself: Tab gives the first tab stop, Shift+Tab the last.
    ExpectWalk(NO_CONTROL, {}, {INPUT_FIELD});
    ExpectWalk(NO_CONTROL, {VK_SHIFT}, {QUIT_BUTTON});
    // A label in the window: Tab leaves the focus there, Shift+Tab gives the last tab stop.
    ExpectWalk(OUTPUT_LABEL, {}, {OUTPUT_LABEL, OUTPUT_LABEL});
    ExpectWalk(OUTPUT_LABEL, {VK_SHIFT}, {QUIT_BUTTON});
}

TEST_F(Navigation, TabStaysInAnEditableRichEditControl) {
    ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
    HWND rich = CreateWindowExA(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA, "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE, 10, 150, 150, 25,
                                window, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(rich, nullptr);
    FocusOn(rich);
    ASSERT_TRUE(Keystroke(VK_TAB));
    EXPECT_EQ(GetFocus(), rich);
    EXPECT_EQ(WindowText(rich), "\t") << "the Tab did not reach the control";
    // Shift+Tab leaves it, and a read-only one lets Tab through.
    ASSERT_TRUE(Keystroke(VK_TAB, {VK_SHIFT}));
    EXPECT_EQ(Focused(), QUIT_BUTTON);
    SendMessageA(rich, EM_SETREADONLY, TRUE, 0);
    FocusOn(rich);
    ASSERT_TRUE(Keystroke(VK_TAB));
    EXPECT_EQ(Focused(), INPUT_FIELD);
}

} // namespace
