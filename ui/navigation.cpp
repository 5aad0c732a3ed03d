// SPDX-License-Identifier: MIT
#include "ui/navigation.h"

#include "ui/numbered_windows.h"

#include <richedit.h>

#include <cstring>

namespace {

struct FocusWalk {
    HWND current; // the focus window inside the root, or null
    HWND last;    // the last tab stop passed by the backward walk
    int32_t takeNext;
    int32_t done;
};

bool KeyDown(int key) {
    return (GetKeyState(key) & 0x80) != 0;
}

bool IsTabStop(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) &&
           (GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP) != 0;
}

BOOL CALLBACK NextTabStopStep(HWND window, LPARAM param) {
    auto *walk = reinterpret_cast<FocusWalk *>(param);
    if (!IsTabStop(window)) return TRUE;
    if (walk->takeNext) {
        SetFocus(window);
        walk->takeNext = 0;
        return FALSE;
    }
    if (!walk->current) {
        SetFocus(window);
        return FALSE;
    }
    if (window == walk->current) walk->takeNext = 1;
    return TRUE;
}

BOOL CALLBACK PreviousTabStopStep(HWND window, LPARAM param) {
    auto *walk = reinterpret_cast<FocusWalk *>(param);
    if (!IsTabStop(window)) return TRUE;
    if (window == walk->current && walk->last) {
        SetFocus(walk->last);
        walk->done = 1;
        return FALSE;
    }
    walk->last = window;
    return TRUE;
}

} // namespace

HACCEL SelectAccelerators(HWND active) {
    if (KeyDown(VK_TAB) && !KeyDown(VK_CONTROL) && !KeyDown(VK_SHIFT) && !KeyDown(VK_MENU)) {
        HWND focus = GetFocus();
        char className[5] = {};
        if (focus) GetClassNameA(focus, className, sizeof className);
        if (std::strcmp(className, "Rich") == 0 &&
            (SendMessageA(focus, EM_GETOPTIONS, 0, 0) & ECO_READONLY) == 0)
            return nullptr;
    }
    if (!active || !GetPropA(active, QV_WINDOW_ID)) return nullptr;
    return GetWindowAccelerators(active);
}

void MoveFocus(int32_t direction) {
    HWND root = GetActiveWindow();
    HWND focus = GetFocus();
    FocusWalk walk{};
    if (!root) return;
    if (focus && IsChild(root, focus)) {
        walk.current = focus;
        for (HWND window = focus; window; window = GetParent(window)) {
            char className[50] = {};
            GetClassNameA(window, className, sizeof className);
            if (std::strcmp(className, "MDI_ChildClass") != 0) continue;
            root = window;
            if (window == focus) walk.current = nullptr;
        }
    }
    auto param = reinterpret_cast<LPARAM>(&walk);
    if (direction == 0) {
        EnumChildWindows(root, NextTabStopStep, param);
        if (walk.takeNext) EnumChildWindows(root, NextTabStopStep, param);
    } else {
        EnumChildWindows(root, PreviousTabStopStep, param);
        if (!walk.done && walk.last) SetFocus(walk.last);
    }
}
