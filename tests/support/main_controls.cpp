#include "tests/support/main_controls.h"

#include "tests/support/tool_driver.h"
#include "ui/controls.h"

#include <commctrl.h>

namespace maincontrols {

HWND Handle(int32_t number) {
    ControlRecord *record = LookupControl(number);
    return record ? record->handle : nullptr;
}

bool PumpUntil(const std::function<bool(EventCode)> &done, DWORD timeoutMs) {
    UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    DWORD start = GetTickCount();
    bool met = false;
    while (!met && GetTickCount() - start < timeoutMs)
        met = done(WaitForEvent());
    KillTimer(nullptr, timer);
    return met;
}

bool PumpUntilState(const std::function<bool()> &holds, DWORD timeoutMs) {
    return holds() || PumpUntil([&](EventCode) { return holds(); }, timeoutMs);
}

void MainControlsTest::SetUpTestSuite() {
    InitWindowLibrary();
    InitControlLibrary();
    InitCommonControls();
}

void MainControlsTest::SetUp() {
    const char *title = testing::UnitTest::GetInstance()->current_test_suite()->name();
    window = OpenNumberedWindow(MAIN_WINDOW, WINDOW_X, WINDOW_Y, WINDOW_WIDTH, WINDOW_HEIGHT, title,
                                MAIN_WINDOW_OPTIONS);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(OpenControlList(window), window);
    for (const Placement &p : MAIN_CONTROLS)
        ASSERT_NE(CreatePlacedControl(p, p.number), 0) << "control " << p.number;
    BringToFront();
}

void MainControlsTest::TearDown() {
    DestroyNumberedWindow(MAIN_WINDOW);
}

void MainControlsTest::BringToFront() {
    SetForegroundWindow(window);
    POINT spot{175, 165};
    ClientToScreen(window, &spot);
    driver::ClickAt(spot.x, spot.y);
    ASSERT_TRUE(PumpUntilState([&] {
        return GetForegroundWindow() == window && GetActiveWindow() == window;
    })) << "the test window did not come to the foreground";
}

} // namespace maincontrols
