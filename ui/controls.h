// SPDX-License-Identifier: MIT
/*
 * Child controls (labels, one-line text fields, push buttons) under object numbers, with one
 * shared tooltip window and reference-counted caches of background brushes and of fonts.
 *
 * Every control carries its number as window identifier and as the property QV_ID, uses the
 * default GUI font, and leaves the registry when its window is destroyed, however that happens.
 * Places and sizes are given at 96 DPI and scale with the parent window's DPI, and so does the
 * font; RescaleControls lays a window's controls out anew for a new DPI. Controls at one DPI
 * share one font, which is deleted once no control uses it.
 * Creation returns the control's window handle (or, for AUTO_NUMBER, the generated number) and
 * 0 when the platform refuses the window or the number is negative (a generated number cannot
 * be given as a fixed one); then a control that held the number stays. A text
 * field posts MSG_CONTROL_FOCUS (14000 gained, 14001 lost) to its numbered window. Operations
 * on a number that names no control return 0 and do nothing. Texts are Windows-1252 bytes; a
 * null text reads as "". One thread; only the brush cache takes a lock.
 */
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int32_t KIND_BUTTON = 1;
constexpr int32_t KIND_TEXT_FIELD = 2;
constexpr int32_t KIND_LABEL = 3;
constexpr COLORREF COLOR_DEFAULT = static_cast<COLORREF>(-1);
constexpr int32_t COLOR_TYPE_FRONT = 1;
constexpr int32_t COLOR_TYPE_BACK = 2;
constexpr uint32_t LABEL_BORDER = 0x20000;
constexpr uint32_t TEXT_FIELD_BORDERLESS = 0x20000;

struct ControlKind;

struct ControlRecord {
    HWND handle;               // the control; destroyed with it. Null marks a free entry.
    const ControlKind *kind;   // shared, static
    WNDPROC previousProcedure; // the procedure ControlProc hands messages on to
    COLORREF backColor;
    COLORREF frontColor;
    HBRUSH backBrush; // shared through the brush cache; null while backColor is COLOR_DEFAULT
    HFONT font;       // shared through the font cache (the stock font at the system's DPI)
    RECT place;       // at 96 DPI, in the parent's client area
};

struct ControlKind {
    int32_t code;
    LRESULT (*messageHandler)(ControlRecord *, HWND, UINT, WPARAM, LPARAM);
    void (*destroyHook)(ControlRecord *);
    int32_t (*getState)(ControlRecord *);
    void (*setState)(ControlRecord *, int32_t);
    char *(*getText)(ControlRecord *, int32_t resultStart);
    int32_t (*setText)(ControlRecord *, const char *);
    void (*setColor)(ControlRecord *, int32_t type, COLORREF color);
    COLORREF (*getColor)(ControlRecord *, int32_t type);
};

intptr_t InitControlLibrary();
HWND OpenControlList(HWND window);
intptr_t CreateLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char *text, uint32_t flags = 0);
intptr_t CreateTextField(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         const char *text, uint32_t flags = 0);
intptr_t CreateButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                      const char *text, uint32_t flags = 0);
ControlRecord *LookupControl(int32_t number);
void FreeControl(int32_t number);
HWND FindNumberedWindow(HWND handle);
void RescaleControls(HWND window, uint32_t dpi);
intptr_t SetToolTip(int32_t number, const char *text);
HWND ToolTipWindow();
HWND SetControlFocus(int32_t number);
// Puts a text field's caret behind its last character, with nothing selected; 0 when number
// names no control.
int32_t PlaceCaretAtEnd(int32_t number);
int32_t SetControlText(int32_t number, const char *text);
char *GetControlText(int32_t number, int32_t resultStart);

void SetControlColor(ControlRecord *record, int32_t type, COLORREF color);
COLORREF GetControlColor(ControlRecord *record, int32_t type);
int32_t GetButtonState(ControlRecord *record);
void SetButtonState(ControlRecord *record, int32_t state);
HBRUSH AcquireBrush(COLORREF color);
void ReleaseBrush(HBRUSH brush);
