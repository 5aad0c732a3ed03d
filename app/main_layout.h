// SPDX-License-Identifier: MIT
/*
 * The main window and its nine controls: numbers, kinds, places, texts and tooltips, in the
 * order the window creates them (which is also the order of Tab navigation). Places are pixels
 * in the client area; the window's width and height are its client size.
 *
 * CreatePlacedControl creates one control of the table under the given number in the control
 * list that is open (ui/controls.h) and returns what the control library returns: the control's
 * window handle for a fixed number, the generated number for AUTO_NUMBER, 0 on failure.
 */
#pragma once

#include "app/texts.h"
#include "ui/controls.h"
#include "ui/numbered_windows.h"

#include <cstdint>

namespace layout {

constexpr int32_t MAIN_WINDOW = 0;
// A caption with the system menu and close box, no sizing border, centred on the screen.
constexpr uint32_t MAIN_WINDOW_OPTIONS = WINDOW_CAPTION | WINDOW_SYSTEM_MENU | WINDOW_CENTER_SCREEN;
static_assert(MAIN_WINDOW_OPTIONS == 0xC80001);
constexpr int32_t WINDOW_X = 100, WINDOW_Y = 100, WINDOW_WIDTH = 350, WINDOW_HEIGHT = 180;

enum Control : int32_t {
    INPUT_LABEL = 3,
    OUTPUT_LABEL = 5,
    INPUT_FIELD = 6,
    OUTPUT_FIELD = 7,
    COMPUTE_BUTTON = 8,
    PASTE_BUTTON = 9,
    QUIT_BUTTON = 10,
    COPY_BUTTON = 11,
    FILE_BUTTON = 12,
};

struct Placement { // (numbers of 16 bits: a row of the table in 20 or 28 bytes, not 32 or 40)
    int16_t number;
    int16_t kind; // KIND_LABEL, KIND_TEXT_FIELD or KIND_BUTTON
    int16_t x, y, width, height;
    const char *text;
    const char *toolTip; // null: none
};

inline constexpr Placement MAIN_CONTROLS[] = {
    {INPUT_LABEL, KIND_LABEL, 10, 10, 280, 20, texts::INPUT_LABEL, nullptr},
    {INPUT_FIELD, KIND_TEXT_FIELD, 10, 30, 330, 20, texts::INPUT_START, texts::INPUT_TIP},
    {PASTE_BUTTON, KIND_BUTTON, 110, 55, 150, 25, texts::PASTE_BUTTON, texts::PASTE_TIP},
    {FILE_BUTTON, KIND_BUTTON, 262, 55, 80, 25, texts::FILE_BUTTON, texts::FILE_TIP},
    {OUTPUT_LABEL, KIND_LABEL, 10, 75, 100, 20, texts::OUTPUT_LABEL, nullptr},
    {OUTPUT_FIELD, KIND_TEXT_FIELD, 10, 90, 330, 20, "", texts::OUTPUT_TIP},
    {COMPUTE_BUTTON, KIND_BUTTON, 10, 120, 120, 25, texts::COMPUTE_BUTTON, texts::COMPUTE_TIP},
    {COPY_BUTTON, KIND_BUTTON, 130, 120, 150, 25, texts::COPY_BUTTON, texts::COPY_TIP},
    {QUIT_BUTTON, KIND_BUTTON, 280, 120, 60, 25, texts::QUIT_BUTTON, texts::QUIT_TIP},
};

// The input field's tooltip goes on once this control exists; every other tooltip right after
// its own control.
constexpr int32_t INPUT_TIP_AFTER = FILE_BUTTON;

intptr_t CreatePlacedControl(const Placement &placement, int32_t number);

} // namespace layout
