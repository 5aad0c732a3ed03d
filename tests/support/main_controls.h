/*
 * The nine controls of the main window, built by the control library at their places in a
 * numbered window of the test process, and an event loop that runs until a condition holds.
 * MainControlsTest opens that window before each test, brings it to the foreground (real
 * input reaches only the foreground window) and closes it afterwards.
 */
#pragma once

#include "ui/windows.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>

namespace maincontrols {

constexpr int32_t WINDOW = 0;
constexpr uint32_t MAIN_WINDOW_OPTIONS = 0xC80001; // caption, system menu, centred on screen

enum Control : int32_t {
    INPUT_LABEL = 3,
    OUTPUT_LABEL = 5,
    INPUT_FIELD = 6,
    OUTPUT_FIELD = 7,
    COMPUTE = 8,
    PASTE = 9,
    QUIT = 10,
    COPY = 11,
    FILE_BUTTON = 12,
};

enum class Kind { LABEL, FIELD, BUTTON };

struct Placement {
    int32_t number;
    Kind kind;
    int x, y, width, height;
    const char *text;
};

// In the order the main window creates them, which is also the order of navigation.
extern const Placement LAYOUT[9];

intptr_t Create(const Placement &p, int32_t number); // the control library's result
HWND Handle(int32_t number);                         // the control's window, or null

// Runs the event loop until done(event) holds or timeoutMs has passed. A thread timer wakes
// WaitForEvent every few milliseconds, so that it never blocks past the deadline.
bool PumpUntil(const std::function<bool(EventCode)> &done, DWORD timeoutMs = 5000);
// The same for a state: true at once when it holds already.
bool PumpUntilState(const std::function<bool()> &holds, DWORD timeoutMs = 5000);

class MainControlsTest : public testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    // A click on an empty spot of the client area, then the event loop until the platform
    // agrees that the window is in front.
    void BringToFront();

    HWND window = nullptr; // window 0; closed after each test
};

} // namespace maincontrols
