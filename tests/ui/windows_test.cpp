// SPDX-License-Identifier: MIT
// Numbered windows and the event queue, with real windows under the test display.
#include "runtime/registry.h"
#include "tests/support/gui.h"
#include "tests/support/faulty_platform.h"
#include "ui/numbered_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using gui::Drain;

constexpr uint32_t MAIN_OPTIONS = 0xC80001; // caption, system menu, centred on the screen

class WindowsTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { InitWindowLibrary(); }
    void TearDown() override {
        EndWindowLibrary();
        Drain();
    }

    static bool Contains(const std::vector<EventCode> &events, EventCode code) {
        return std::find(events.begin(), events.end(), code) != events.end();
    }

    static RECT Rect(HWND handle) {
        RECT rect{};
        GetWindowRect(handle, &rect);
        return rect;
    }
};

TEST_F(WindowsTest, ClientSizeIsExactAndCentredOnTheScreen) {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        int32_t x, y, width, height;
    };
    for (Case c : {Case{100, 100, 350, 180}, Case{-5000, 7000, 350, 180}, Case{0, 0, 201, 99}}) {
        HWND handle = OpenNumberedWindow(0, c.x, c.y, c.width, c.height, "Fenster", MAIN_OPTIONS);
        ASSERT_NE(handle, nullptr);
        RECT client{};
        GetClientRect(handle, &client);
        EXPECT_EQ(client.right, c.width);
        EXPECT_EQ(client.bottom, c.height);
        RECT outer = Rect(handle);
        int width = outer.right - outer.left, height = outer.bottom - outer.top;
        EXPECT_NEAR(outer.left, (screenWidth - width) / 2, 1) << c.x;
        EXPECT_NEAR(outer.top, (screenHeight - height) / 2, 1) << c.y;
        EXPECT_TRUE(IsWindowVisible(handle));
        EXPECT_EQ(gui::WindowText(handle), "Fenster");
    }
}

TEST_F(WindowsTest, WindowLargerThanTheScreenIsCutAndPlacedAtZero) {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    HWND wide = OpenNumberedWindow(0, 100, 100, screenWidth + 500, 100, "", MAIN_OPTIONS);
    ASSERT_NE(wide, nullptr);
    RECT rect = Rect(wide);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right - rect.left, screenWidth);
    EXPECT_GT(rect.top, 0);

    HWND tall = OpenNumberedWindow(1, 100, 100, 100, screenHeight + 500, "", MAIN_OPTIONS);
    ASSERT_NE(tall, nullptr);
    rect = Rect(tall);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.bottom - rect.top, screenHeight);
    EXPECT_GT(rect.left, 0);
}

TEST_F(WindowsTest, CentringOnTheParentAndPlacementAsGiven) {
    HWND parent = OpenNumberedWindow(0, 0, 0, 600, 400, "", MAIN_OPTIONS);
    ASSERT_NE(parent, nullptr);
    HWND child =
        OpenNumberedWindow(1, 5, 5, 200, 100, "", WS_CAPTION | WINDOW_CENTER_PARENT, parent);
    ASSERT_NE(child, nullptr);
    RECT outer = Rect(parent), inner = Rect(child);
    EXPECT_NEAR((outer.left + outer.right) / 2, (inner.left + inner.right) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (inner.top + inner.bottom) / 2, 1);

    // Without centring the given position is the outer window's.
    HWND placed = OpenNumberedWindow(2, 40, 60, 200, 100, "", WS_CAPTION);
    ASSERT_NE(placed, nullptr);
    RECT rect = Rect(placed);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 60);

    // An invisible window is created and numbered but not shown.
    HWND hidden = OpenNumberedWindow(7, 40, 60, 200, 100, "", WINDOW_INVISIBLE);
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(GetWindowHandle(7), hidden);
}

TEST_F(WindowsTest, NumberingClassPropertyAndAccelerators) {
    HWND handle = OpenNumberedWindow(2, 10, 10, 100, 50, "", MAIN_OPTIONS);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetWindowHandle(2), handle);
    char className[64] = {};
    GetClassNameA(handle, className, sizeof className);
    EXPECT_STREQ(className, "WindowClass_2");
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(handle, QV_WINDOW_ID)), 3);
    EXPECT_EQ(GetClassLongPtrA(handle, GCL_STYLE) & CS_DBLCLKS, static_cast<ULONG_PTR>(CS_DBLCLKS));

    ACCEL entries[4] = {};
    HACCEL table = GetWindowAccelerators(handle);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    EXPECT_EQ(entries[0].fVirt & ~0x80, FVIRTKEY | FNOINVERT);
    EXPECT_EQ(entries[0].key, VK_TAB);
    EXPECT_EQ(entries[0].cmd, CMD_FOCUS_NEXT);
    EXPECT_EQ(entries[1].fVirt & ~0x80, FVIRTKEY | FNOINVERT | FSHIFT);
    EXPECT_EQ(entries[1].key, VK_TAB);
    EXPECT_EQ(entries[1].cmd, CMD_FOCUS_PREVIOUS);

    // A generated number is handed back instead of the handle and names the window.
    auto generated = static_cast<int32_t>(reinterpret_cast<intptr_t>(
        OpenNumberedWindow(AUTO_NUMBER, 10, 10, 100, 50, "", MAIN_OPTIONS)));
    EXPECT_LT(generated, AUTO_NUMBER);
    HWND autoHandle = GetWindowHandle(generated);
    ASSERT_NE(autoHandle, nullptr);
    GetClassNameA(autoHandle, className, sizeof className);
    EXPECT_EQ(std::string(className), "WindowClass_" + std::to_string(generated));

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA info{};
    DestroyNumberedWindow(2);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(GetWindowHandle(2), nullptr);
    EXPECT_FALSE(GetClassInfoA(instance, "WindowClass_2", &info));
    DestroyNumberedWindow(2); // a number that names no window is ignored
    EndWindowLibrary();
    EXPECT_FALSE(IsWindow(autoHandle));
    EXPECT_EQ(GetWindowHandle(generated), nullptr);
}

TEST_F(WindowsTest, ReopeningANumberClosesTheOldWindowAndAFailedOpenLeavesNothing) {
    HWND first = OpenNumberedWindow(1, 10, 10, 100, 50, "", MAIN_OPTIONS);
    HWND second = OpenNumberedWindow(1, 10, 10, 100, 50, "", MAIN_OPTIONS);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(GetWindowHandle(1), second);

    // A parent handle that names no window makes the platform refuse the window.
    HWND bogusParent = second;
    DestroyWindow(bogusParent); // the number still names the record; the handle is dead
    EXPECT_EQ(OpenNumberedWindow(1, 10, 10, 100, 50, "", WS_CHILD, bogusParent), nullptr);
    EXPECT_EQ(GetWindowHandle(1), nullptr);
    WNDCLASSA info{};
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_1", &info));

    // The number is free again.
    HWND again = OpenNumberedWindow(1, 10, 10, 100, 50, "", MAIN_OPTIONS);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetWindowHandle(1), again);
}

// A generated number cannot be taken as a fixed one: the opening fails, and the window of that
// number is closed as on every reuse of a number. Other negative numbers open nothing either.
TEST_F(WindowsTest, GeneratedNumberGivenAsAFixedOneOpensNothing) {
    auto generated = static_cast<int32_t>(reinterpret_cast<intptr_t>(
        OpenNumberedWindow(AUTO_NUMBER, 10, 10, 100, 50, "", MAIN_OPTIONS)));
    ASSERT_LT(generated, AUTO_NUMBER);
    HWND old = GetWindowHandle(generated);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(OpenNumberedWindow(generated, 10, 10, 100, 50, "", MAIN_OPTIONS), nullptr);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(GetWindowHandle(generated), nullptr);
    EXPECT_EQ(OpenNumberedWindow(-12345, 10, 10, 100, 50, "", MAIN_OPTIONS), nullptr);
    WNDCLASSA info{};
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_-12345", &info));
}

TEST_F(WindowsTest, FirstRetrievalAfterOpeningReturnsAWindowEventAtOnce) {
    // A posted message stands guard: were the queue empty, it would come back instead.
    ASSERT_NE(OpenNumberedWindow(0, 100, 100, 350, 180, "", MAIN_OPTIONS), nullptr);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 78, 0, 0);
    EventCode first = WaitForEvent();
    EXPECT_TRUE(first == EVENT_WINDOW_ACTIVATED || first == EVENT_REDRAW ||
                first == EVENT_WINDOW_SIZED || first == EVENT_WINDOW_MOVED)
        << first;
    EXPECT_EQ(GetEventWindow(), 0);

    std::vector<EventCode> rest = Drain();
    rest.insert(rest.begin(), first);
    std::string order;
    for (EventCode code : rest)
        order += std::to_string(code) + " ";
    RecordProperty("opening_order", order);
    EXPECT_TRUE(Contains(rest, EVENT_WINDOW_SIZED)) << order;
    EXPECT_TRUE(Contains(rest, EVENT_WINDOW_MOVED)) << order;
    EXPECT_TRUE(Contains(rest, EVENT_WINDOW_ACTIVATED)) << order;
}

TEST_F(WindowsTest, CloseQueuesSixteenAndTheWindowStays) {
    HWND handle = OpenNumberedWindow(0, 100, 100, 350, 180, "", MAIN_OPTIONS);
    ASSERT_NE(handle, nullptr);
    Drain();

    // The close box and Alt+F4 reach the window as this system command.
    PostMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForEvent(), static_cast<EventCode>(WM_SYSCOMMAND));
    EXPECT_EQ(WaitForEvent(), EVENT_CLOSE_WINDOW);
    EXPECT_EQ(GetEventWindow(), 0);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_TRUE(IsWindowVisible(handle));

    // Closing by program queues nothing: the number is gone before the window.
    DestroyNumberedWindow(0);
    EXPECT_FALSE(Contains(Drain(), EVENT_CLOSE_WINDOW));
}

TEST_F(WindowsTest, MinimisingQueuesNoSizeEventAndRestoringDoes) {
    HWND handle = OpenNumberedWindow(0, 100, 100, 350, 180, "", WS_OVERLAPPEDWINDOW);
    ASSERT_NE(handle, nullptr);
    Drain();
    ShowWindow(handle, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(handle));
    EXPECT_FALSE(Contains(Drain(), EVENT_WINDOW_SIZED));
    ShowWindow(handle, SW_RESTORE);
    EXPECT_TRUE(Contains(Drain(), EVENT_WINDOW_SIZED));
    SetWindowPos(handle, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    std::vector<EventCode> resized = Drain();
    EXPECT_TRUE(Contains(resized, EVENT_WINDOW_SIZED));
    EXPECT_FALSE(Contains(resized, EVENT_WINDOW_MOVED));
}

TEST_F(WindowsTest, QueueDropsOnlyARepeatOfTheNewestEvent) {
    struct Case {
        std::vector<std::pair<EventCode, int32_t>> queued;
        std::vector<EventCode> expected;
    };
    const Case cases[] = {
        {{{5, 0}, {5, 0}}, {5}},
        {{{5, 0}, {3, 0}, {5, 0}}, {5, 3, 5}},
        {{{5, 0}, {5, 1}}, {5, 5}},
        {{{16, 0}, {16, 0}, {16, 0}, {3, 0}, {3, 0}}, {16, 3}},
    };
    for (const Case &c : cases) {
        for (auto [code, window] : c.queued)
            QueueEvent(code, window);
        EXPECT_EQ(Drain(), c.expected);
    }
    // An event that finds no room is lost; the queue goes on.
    {
        faults::Scope scope;
        faults::Fail(faults::ALLOCATE, 1); // the entry's
        QueueEvent(EVENT_WINDOW_MOVED, 4);
        EXPECT_TRUE(faults::Fired(faults::ALLOCATE));
    }
    QueueEvent(EVENT_REDRAW, 4);
    EXPECT_EQ(Drain(), std::vector<EventCode>{EVENT_REDRAW});
    // The queue hands out the window of each entry.
    QueueEvent(EVENT_WINDOW_SIZED, 4);
    QueueEvent(EVENT_WINDOW_SIZED, 9);
    EXPECT_EQ(WaitForEvent(), EVENT_WINDOW_SIZED);
    EXPECT_EQ(GetEventWindow(), 4);
    EXPECT_EQ(WaitForEvent(), EVENT_WINDOW_SIZED);
    EXPECT_EQ(GetEventWindow(), 9);
}

// A real click on a control reaches the window as the same notice (controls_test).
TEST_F(WindowsTest, ClickedButtonIsAControlEventAndOtherMessagesComeByNumber) {
    HWND handle = OpenNumberedWindow(0, 100, 100, 350, 180, "", MAIN_OPTIONS);
    ASSERT_NE(handle, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "Klick", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20,
                                  20, 120, 30, handle, reinterpret_cast<HMENU>(42),
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    Drain();
    PostMessageA(handle, WM_COMMAND, MAKEWPARAM(42, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(WaitForEvent(), EVENT_CONTROL);
    EXPECT_EQ(GetEventControl(), 42);
    EXPECT_EQ(GetEventType(), BN_CLICKED);

    // The control stays named through later window events; the type is reset every time.
    QueueEvent(EVENT_WINDOW_MOVED, 0);
    EXPECT_EQ(WaitForEvent(), EVENT_WINDOW_MOVED);
    EXPECT_EQ(GetEventControl(), 42);
    EXPECT_EQ(GetEventType(), -1);

    PostMessageA(handle, WM_APP + 5, 0, 0);
    EXPECT_EQ(WaitForEvent(), static_cast<EventCode>(WM_APP + 5));

    // A text field's focus notice becomes a control event with its type.
    PostMessageA(handle, MSG_CONTROL_FOCUS, 6, EVENT_TYPE_FOCUS);
    EXPECT_EQ(WaitForEvent(), EVENT_CONTROL);
    EXPECT_EQ(GetEventControl(), 6);
    EXPECT_EQ(GetEventType(), EVENT_TYPE_FOCUS);

    // A quit message comes back undispatched.
    PostQuitMessage(0);
    EXPECT_EQ(WaitForEvent(), EVENT_QUIT);
}

} // namespace
