#include "tests/support/main_controls.h"

#include "tests/support/tool_driver.h"
#include "ui/controls.h"

#include <commctrl.h>

namespace maincontrols {

const Placement LAYOUT[9] = {
    {INPUT_LABEL, Kind::LABEL, 10, 10, 280, 20, "Intel Hex Line ohne Checksum (z.B. :00000001FF):"},
    {INPUT_FIELD, Kind::FIELD, 10, 30, 330, 20, ":"},
    {PASTE, Kind::BUTTON, 110, 55, 150, 25, "Von Zwischenablage einf\xFCgen"}, // einfügen
    {FILE_BUTTON, Kind::BUTTON, 262, 55, 80, 25, "Datei"},
    {OUTPUT_LABEL, Kind::LABEL, 10, 75, 100, 20, "Output-Line:"},
    {OUTPUT_FIELD, Kind::FIELD, 10, 90, 330, 20, ""},
    {COMPUTE, Kind::BUTTON, 10, 120, 120, 25, "Checksum berechnen"},
    {COPY, Kind::BUTTON, 130, 120, 150, 25, "In Zwischenablage speichern"},
    {QUIT, Kind::BUTTON, 280, 120, 60, 25, "Beenden"},
};

intptr_t Create(const Placement &p, int32_t number) {
    switch (p.kind) {
    case Kind::LABEL: return CreateLabel(number, p.x, p.y, p.width, p.height, p.text);
    case Kind::FIELD: return CreateTextField(number, p.x, p.y, p.width, p.height, p.text);
    case Kind::BUTTON: return CreateButton(number, p.x, p.y, p.width, p.height, p.text);
    }
    return 0;
}

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
    window = OpenNumberedWindow(WINDOW, 100, 100, 350, 180, title, MAIN_WINDOW_OPTIONS);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(OpenControlList(window), window);
    for (const Placement &p : LAYOUT)
        ASSERT_NE(Create(p, p.number), 0) << "control " << p.number;
    BringToFront();
}

void MainControlsTest::TearDown() {
    DestroyNumberedWindow(WINDOW);
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
