// SPDX-License-Identifier: MIT
/*
 * Numbered top-level windows and the event queue.
 *
 * Every window opens under an object number with its own class "WindowClass_<number>", the
 * property QV_WindowID = number + 1 and a two-entry accelerator table (Tab, Shift+Tab). Its
 * width and height are the client size. NumberedWindowProc turns platform messages into events:
 * window events (moved 3, sized 5, redraw 15, close 16, activated 13104) go to a first-in
 * first-out queue in which a repeat of the newest entry is dropped; a control event (13100)
 * becomes the pending control event (a newer one replaces it), and a drop of files (563) the
 * pending drop. WaitForEvent hands out the oldest queued event; else a pending control event,
 * then a pending drop, each kept until it is handed out (so also one raised inside a message
 * box or the file dialog); else it takes one platform message and returns the control or drop
 * event that its dispatch raised, or the message's number. WM_QUIT, and a retrieval that
 * fails, return EVENT_QUIT undispatched.
 *
 * Escape pressed in a numbered window or one of its controls is not dispatched: it queues a
 * close event for that window, as the close box does. Escape in a message box or a dialog
 * closes just that (their own modal loops take it), and Escape in another program is no event.
 *
 * Sizes and places are given at 96 DPI (100 %) and scale with the window's DPI: the system's
 * when the window opens, the monitor's as it moves (WM_DPICHANGED, which also lays out its
 * controls anew through the control library).
 *
 * A close event never closes a window: the program decides. OpenNumberedWindow returns 0 on
 * failure (no class stays registered, the number names no window; a window that held it is
 * closed first). A generated number given as a fixed one is such a failure. A number that names
 * no window is ignored everywhere. One thread only.
 *
 * Windows, controls and navigation are one layer: the window procedure hands control messages
 * to the control library (ui/controls.h) and the event retrieval lets keyboard navigation
 * (ui/navigation.h) translate Tab and Shift+Tab, both by direct calls.
 */
#pragma once

#include <windows.h>

#include <cstdint>

using EventCode = int32_t;

constexpr EventCode EVENT_WINDOW_MOVED = 3;
constexpr EventCode EVENT_WINDOW_SIZED = 5;
constexpr EventCode EVENT_REDRAW = 15;
constexpr EventCode EVENT_CLOSE_WINDOW = 16;
constexpr EventCode EVENT_CONTROL = 13100;
constexpr EventCode EVENT_WINDOW_ACTIVATED = 13104;
constexpr EventCode EVENT_FILES_DROPPED = 563; // the number of WM_DROPFILES
constexpr EventCode EVENT_QUIT = 18;           // the number of WM_QUIT

constexpr UINT MSG_CONTROL_FOCUS = 13103;
constexpr int32_t EVENT_TYPE_FOCUS = 14000;
constexpr int32_t EVENT_TYPE_LOST_FOCUS = 14001;

constexpr LRESULT NOT_HANDLED = static_cast<LRESULT>(0xD0D0D0D1u);

constexpr uint32_t WINDOW_CAPTION = WS_CAPTION;     // a caption (title bar)
constexpr uint32_t WINDOW_SYSTEM_MENU = WS_SYSMENU; // the system menu and close box
constexpr uint32_t WINDOW_CENTER_SCREEN = 1;
constexpr uint32_t WINDOW_CENTER_PARENT = 2;
constexpr uint32_t WINDOW_INVISIBLE = 0x10000000;
constexpr int32_t POSITION_UNSET = -65535;

constexpr WORD CMD_FOCUS_NEXT = 1212;
constexpr WORD CMD_FOCUS_PREVIOUS = 1213;

constexpr char QV_WINDOW_ID[] = "QV_WindowID";
constexpr char QV_ID[] = "QV_ID";
constexpr char QV_DROP_ACCEPT[] = "QV_DropAccept";

void InitWindowLibrary();
void EndWindowLibrary();
HWND OpenNumberedWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                        const char *title, uint32_t options, HWND parent = nullptr);
void DestroyNumberedWindow(int32_t number);
HWND GetWindowHandle(int32_t number);
uint32_t GetWindowDpi(HWND window); // the DPI the window is drawn at; the system's before it is
int32_t ScaleToDpi(int32_t value, uint32_t dpi); // a length at 96 DPI, at dpi
HACCEL GetWindowAccelerators(HWND window);       // the table of a numbered window, or null
void QueueEvent(EventCode code, int32_t window);
EventCode WaitForEvent();
int32_t GetEventControl();
int32_t GetEventType();   // kind of the last control event; -1 at the start of every retrieval
int32_t GetEventWindow(); // window number of the current event, -1 when none

// Files dropped onto a window that accepts them: the retrieval that dispatches the drop returns
// EVENT_FILES_DROPPED, and the drop's files can be read until EndDrop or the next drop.
void AcceptDroppedFiles(int32_t number);
int32_t DroppedFileCount();                                // 0 when no drop is held
char *DroppedFileName(int32_t index, int32_t resultStart); // "" for an index out of range
void EndDrop();
LRESULT CALLBACK NumberedWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ForwardToControl(HWND control, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
