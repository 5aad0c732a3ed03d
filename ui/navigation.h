// SPDX-License-Identifier: MIT
/*
 * Tab and Shift+Tab between the tab stops (enabled, visible, WS_TABSTOP) of the active window,
 * in the platform's order of its descendants, wrapping at both ends. A window inside an MDI
 * child moves within that child. Tab with no modifier in an editable rich edit control stays
 * with the control. The window library calls SelectAccelerators before it dispatches a message,
 * and MoveFocus for its two accelerator commands.
 */
#pragma once

#include <windows.h>

#include <cstdint>

HACCEL SelectAccelerators(HWND active);
void MoveFocus(int32_t direction); // 0 forward, 1 backward
