/*
 * The nine controls of the main window, built by the control library at their places in a
 * numbered window of the test process, and an event loop that runs until a condition holds.
 * MainControlsTest opens that window before each test, brings it to the foreground (real
 * input reaches only the foreground window) and closes it afterwards.
 */
#pragma once

#include "app/main_layout.h"
#include "ui/numbered_windows.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>

namespace maincontrols {

using namespace layout;

HWND Handle(int32_t number); // the control's window, or null

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
