// SPDX-License-Identifier: MIT
#include "ui/numbered_windows.h"

#include "runtime/registry.h"
#include "runtime/strings.h"
#include "runtime/wide_text.h"
#include "ui/controls.h"
#include "ui/navigation.h"

#include <ole2.h>
#include <shellapi.h>

namespace {

struct WindowRecord {
    HWND handle; // owned; destroyed by DestroyNumberedWindow. Null marks a free entry.
    int32_t acceleratorCount;
    ACCEL *accelerators;     // owned, main heap
    HACCEL acceleratorTable; // owned
};

struct QueuedEvent {
    QueuedEvent *next; // the newer neighbour
    EventCode code;
    int32_t window;
};

// A control or drop event that waits to be handed out by a retrieval.
struct PendingEvent {
    int32_t waiting; // 1 until handed out
    int32_t window;
    int32_t control; // a control event's control and kind
    int32_t eventType;
};

struct EventState {
    int32_t control;   // of the control event handed out last
    int32_t window;    // of the current event (and of each message as it is handled)
    int32_t eventType; // of the control event handed out by the current retrieval, else -1
    PendingEvent pendingControl;
    PendingEvent pendingDrop;
    HDROP drop;        // owned: the files of the newest drop, until EndDrop or the next drop
    QueuedEvent *head; // oldest; main heap
    QueuedEvent *tail; // newest
};

ObjectRegistry *windows = nullptr;
EventState *events = nullptr;
HICON classIcon = nullptr;
HCURSOR classCursor = nullptr;

constexpr char CLASS_PREFIX[] = "WindowClass_";
constexpr int32_t CLASS_NAME_SIZE = sizeof CLASS_PREFIX - 1 + DECIMAL_TEXT_SIZE;

// "WindowClass_<number>", the number in decimal.
void ClassName(int32_t number, wchar_t (&name)[CLASS_NAME_SIZE]) {
    char digits[DECIMAL_TEXT_SIZE];
    FormatDecimal(number, digits);
    size_t at = 0;
    for (size_t i = 0; i + 1 < sizeof CLASS_PREFIX; ++i)
        name[at++] = static_cast<wchar_t>(CLASS_PREFIX[i]);
    for (const char *digit = digits; *digit; ++digit)
        name[at++] = static_cast<wchar_t>(*digit);
    name[at] = 0;
}

// The number of the numbered window that handle is or lies in, or -1.
int32_t WindowNumberOf(HWND handle) {
    for (HWND current = handle; current; current = GetParent(current)) {
        auto id = reinterpret_cast<intptr_t>(GetPropA(current, QV_WINDOW_ID));
        if (id != 0) return static_cast<int32_t>(id - 1);
    }
    return -1;
}

BOOL CALLBACK ForwardSysColorChange(HWND child, LPARAM) {
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT OnCommand(WPARAM wParam, LPARAM lParam, HWND handle) {
    HWND control = reinterpret_cast<HWND>(lParam);
    if (ForwardToControl(control, handle, WM_COMMAND, wParam, lParam) != NOT_HANDLED) return 0;
    if (control) {
        events->pendingControl =
            PendingEvent{1, events->window,
                         static_cast<int32_t>(GetWindowLongPtrA(control, GWLP_ID)), HIWORD(wParam)};
    } else if (HIWORD(wParam) != 0) {
        if (LOWORD(wParam) == CMD_FOCUS_NEXT) MoveFocus(0);
        if (LOWORD(wParam) == CMD_FOCUS_PREVIOUS) MoveFocus(1);
    }
    return 0;
}

// The class every numbered window gets; a class of that name left over from before is used.
void RegisterWindowClass(const wchar_t *className, HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = NumberedWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = classIcon;
    windowClass.hCursor = classCursor;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
}

struct OuterPlace {
    int x, y, width, height;
};

// The system's DPI: that of the primary monitor when the user logged on.
uint32_t SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : 96;
}

// A window's own DPI (GetDpiForWindow, Windows 10 1607 and later), or 0 where it cannot be had.
uint32_t OwnDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI *)(HWND);
    static DpiForWindow dpiForWindow = nullptr;
    static bool looked = false;
    if (!looked) {
        looked = true;
        dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    }
    return dpiForWindow && window ? dpiForWindow(window) : 0;
}

// WM_DPICHANGED: the window takes the place Windows suggests for the new DPI, and its controls
// are laid out anew.
void ChangeDpi(HWND handle, WPARAM wParam, LPARAM lParam) {
    const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
    if (suggested)
        SetWindowPos(handle, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    RescaleControls(handle, LOWORD(wParam));
}

// The window's outer rectangle for a client area of width x height: placed as given, by the
// platform (POSITION_UNSET), centred on the screen (cut to its size), or centred on the parent
// or the active window (kept on the screen's positive side).
OuterPlace PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height, DWORD style,
                       uint32_t options, HWND parent) {
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, style, FALSE);
    OuterPlace place{x, y, outer.right - outer.left, outer.bottom - outer.top};
    bool centred = (options & (WINDOW_CENTER_SCREEN | WINDOW_CENTER_PARENT)) != 0;
    if (!centred && (x == POSITION_UNSET || y == POSITION_UNSET)) place.x = place.y = CW_USEDEFAULT;
    if (options & WINDOW_CENTER_SCREEN) {
        int screenWidth = GetSystemMetrics(SM_CXSCREEN),
            screenHeight = GetSystemMetrics(SM_CYSCREEN);
        if (place.width > screenWidth) place.width = screenWidth;
        if (place.height > screenHeight) place.height = screenHeight;
        place.x = (screenWidth - place.width) / 2;
        place.y = (screenHeight - place.height) / 2;
    } else if (options & WINDOW_CENTER_PARENT) {
        HWND reference = parent ? parent : GetActiveWindow();
        RECT rect{};
        if (reference && GetWindowRect(reference, &rect)) {
            place.x = rect.left + (rect.right - rect.left - place.width) / 2;
            place.y = rect.top + (rect.bottom - rect.top - place.height) / 2;
            if (place.x < 0) place.x = 0;
            if (place.y < 0) place.y = 0;
        }
    }
    return place;
}

// The control event, else the drop, that waits; 0 when none does. Events raised inside modal
// loops (a message box, the file dialog) wait here until the retrieval after the loop, behind
// the window events that the loop queued.
EventCode HandOutPending() {
    PendingEvent *pending = events->pendingControl.waiting ? &events->pendingControl
                            : events->pendingDrop.waiting  ? &events->pendingDrop
                                                           : nullptr;
    if (!pending) return 0;
    pending->waiting = 0;
    events->window = pending->window;
    if (pending == &events->pendingDrop) return EVENT_FILES_DROPPED;
    events->control = pending->control;
    events->eventType = pending->eventType;
    return EVENT_CONTROL;
}

// Escape pressed in a numbered window or one of its controls asks to close that window, as its
// close box does, and goes no further. Escape in a message box or a dialog never comes here:
// their own modal loops take it and close them.
bool TakeEscape(const MSG &message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) return false;
    int32_t number = WindowNumberOf(message.hwnd);
    if (number == -1) return false;
    QueueEvent(EVENT_CLOSE_WINDOW, number);
    return true;
}

} // namespace

void InitWindowLibrary() {
    if (windows) return;
    windows = CreateObjectRegistry(sizeof(WindowRecord), 16, DestroyNumberedWindow);
    events = static_cast<EventState *>(AllocStateBlock(sizeof(EventState), nullptr));
    classIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    classCursor = LoadCursorA(nullptr, IDC_ARROW);
}

void EndWindowLibrary() {
    int32_t number = 0;
    BeginObjectWalk(windows);
    while (NextObject(windows, &number))
        DestroyNumberedWindow(number);
    EndDrop();
}

void AcceptDroppedFiles(int32_t number) {
    if (HWND handle = GetWindowHandle(number)) DragAcceptFiles(handle, TRUE);
}

int32_t DroppedFileCount() {
    return events->drop ? static_cast<int32_t>(DragQueryFileW(events->drop, 0xFFFFFFFF, nullptr, 0))
                        : 0;
}

// The name comes in UTF-16 and goes on as a UTF-8 path.
char *DroppedFileName(int32_t index, int32_t resultStart) {
    UINT length = 0;
    if (index >= 0 && index < DroppedFileCount())
        length = DragQueryFileW(events->drop, static_cast<UINT>(index), nullptr, 0);
    wchar_t *name =
        length ? static_cast<wchar_t *>(MainHeapAlloc((length + 1) * sizeof(wchar_t))) : nullptr;
    UINT got = name ? DragQueryFileW(events->drop, static_cast<UINT>(index), name, length + 1) : 0;
    if (got > length) got = length;
    char *result = Utf8FromWide(name, static_cast<int32_t>(got), resultStart);
    MainHeapFree(name);
    return result;
}

void EndDrop() {
    if (events->drop) DragFinish(events->drop);
    events->drop = nullptr;
}

HWND OpenNumberedWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                        const char *title, uint32_t options, HWND parent) {
    bool generated = number == AUTO_NUMBER;
    auto *record = static_cast<WindowRecord *>(AllocateObject(windows, number));
    if (!record) return nullptr; // a generated number given as a fixed one
    if (generated) number = AutoNumberOf(record);
    wchar_t className[CLASS_NAME_SIZE];
    ClassName(number, className);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClass(className, instance);

    if ((options & ~(WINDOW_CENTER_SCREEN | WINDOW_CENTER_PARENT | WINDOW_INVISIBLE)) == 0)
        options |= WS_CAPTION;
    bool show = (options & WINDOW_INVISIBLE) == 0;
    options &= ~WINDOW_INVISIBLE;
    DWORD style = options & ~(WINDOW_CENTER_SCREEN | WINDOW_CENTER_PARENT);
    uint32_t dpi = SystemDpi();
    OuterPlace place =
        PlaceWindow(x, y, ScaleToDpi(width, dpi), ScaleToDpi(height, dpi), style, options, parent);

    WideText wideTitle;
    HWND handle =
        CreateWindowExW(0, className, wideTitle.FromWindows1252(title), style, place.x, place.y,
                        place.width, place.height, parent, nullptr, instance, nullptr);
    if (!handle) {
        UnregisterClassW(className, instance);
        ReleaseObject(windows, number);
        return nullptr;
    }
    // A window whose monitor is not at the system's DPI is sized for its own, as its controls
    // will be.
    if (uint32_t own = GetWindowDpi(handle); own != dpi) {
        place = PlaceWindow(x, y, ScaleToDpi(width, own), ScaleToDpi(height, own), style, options,
                            parent);
        UINT keep = SWP_NOZORDER | SWP_NOACTIVATE | (place.x == CW_USEDEFAULT ? SWP_NOMOVE : 0);
        SetWindowPos(handle, nullptr, place.x, place.y, place.width, place.height, keep);
    }
    record->handle = handle; // nothing has allocated in the registry since AllocateObject
    SetPropA(handle, QV_WINDOW_ID, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));
    if (show) ShowWindow(handle, (options & WS_MAXIMIZE) ? SW_MAXIMIZE : SW_SHOWNORMAL);

    record = static_cast<WindowRecord *>(LookupObject(windows, number));
    if (!record) return nullptr; // closed while it was being shown
    record->acceleratorCount = 2;
    record->accelerators = static_cast<ACCEL *>(MainHeapAlloc(2 * sizeof(ACCEL)));
    record->accelerators[0] = ACCEL{FVIRTKEY | FNOINVERT, VK_TAB, CMD_FOCUS_NEXT};
    record->accelerators[1] = ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, CMD_FOCUS_PREVIOUS};
    record->acceleratorTable = CreateAcceleratorTableW(record->accelerators, 2);
    return generated ? reinterpret_cast<HWND>(static_cast<intptr_t>(number)) : handle;
}

void DestroyNumberedWindow(int32_t number) {
    auto *record = static_cast<WindowRecord *>(LookupObject(windows, number));
    if (!record) return;
    HWND handle = record->handle;
    if (HWND owner = GetWindow(handle, GW_OWNER)) SetActiveWindow(owner);
    RemovePropA(handle, QV_WINDOW_ID);
    if (RemovePropA(handle, QV_DROP_ACCEPT)) RevokeDragDrop(handle);
    DestroyWindow(handle);
    wchar_t className[CLASS_NAME_SIZE];
    ClassName(number, className);
    UnregisterClassW(className, GetModuleHandleA(nullptr));
    record = static_cast<WindowRecord *>(LookupObject(windows, number));
    if (!record) return;
    MainHeapFree(record->accelerators);
    if (record->acceleratorTable) DestroyAcceleratorTable(record->acceleratorTable);
    ReleaseObject(windows, number);
}

int32_t ScaleToDpi(int32_t value, uint32_t dpi) {
    return MulDiv(value, static_cast<int>(dpi), 96);
}

uint32_t GetWindowDpi(HWND window) {
    uint32_t dpi = OwnDpi(window);
    return dpi ? dpi : SystemDpi();
}

HWND GetWindowHandle(int32_t number) {
    auto *record = static_cast<WindowRecord *>(LookupObject(windows, number));
    return record ? record->handle : nullptr;
}

HACCEL GetWindowAccelerators(HWND window) {
    auto id = reinterpret_cast<intptr_t>(GetPropA(window, QV_WINDOW_ID));
    if (!window || id == 0) return nullptr;
    auto *record = static_cast<WindowRecord *>(LookupObject(windows, static_cast<int32_t>(id - 1)));
    return record ? record->acceleratorTable : nullptr;
}

void QueueEvent(EventCode code, int32_t window) {
    if (events->tail && events->tail->code == code && events->tail->window == window) return;
    auto *entry = static_cast<QueuedEvent *>(MainHeapTryAlloc(sizeof(QueuedEvent)));
    if (!entry) return; // no room: the event is lost
    entry->code = code;
    entry->window = window;
    if (events->tail)
        events->tail->next = entry;
    else
        events->head = entry;
    events->tail = entry;
}

EventCode WaitForEvent() {
    events->eventType = -1;
    if (QueuedEvent *entry = events->head) {
        events->window = entry->window;
        events->head = entry->next;
        if (!events->head) events->tail = nullptr;
        EventCode code = entry->code;
        MainHeapFree(entry);
        return code;
    }
    if (EventCode pending = HandOutPending()) return pending;
    MSG message{};
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) return EVENT_QUIT;
    if (!TakeEscape(message)) {
        HWND active = GetActiveWindow();
        HACCEL table = SelectAccelerators(active);
        if (!table || !TranslateAcceleratorW(active, table, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (EventCode pending = HandOutPending()) return pending;
    return static_cast<EventCode>(message.message);
}

int32_t GetEventControl() {
    return events->control;
}
int32_t GetEventType() {
    return events->eventType;
}
int32_t GetEventWindow() {
    return events->window;
}

// A window is one of our controls only when its QV_ID property and its identifier agree.
LRESULT ForwardToControl(HWND control, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!control) return NOT_HANDLED;
    auto id = reinterpret_cast<intptr_t>(GetPropA(control, QV_ID));
    if (id != GetWindowLongPtrA(control, GWLP_ID)) return NOT_HANDLED;
    ControlRecord *record = LookupControl(static_cast<int32_t>(id));
    if (!record || !record->kind->messageHandler) return NOT_HANDLED;
    return record->kind->messageHandler(record, window, message, wParam, lParam);
}

LRESULT CALLBACK NumberedWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t number = WindowNumberOf(handle);
    events->window = number;
    LRESULT result = NOT_HANDLED;
    switch (message) {
    case WM_MOVE:
        if (number != -1) QueueEvent(EVENT_WINDOW_MOVED, number);
        result = 0;
        break;
    case WM_SIZE:
        if (number != -1 && wParam != SIZE_MINIMIZED) {
            QueueEvent(EVENT_WINDOW_SIZED, number);
            result = 0;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != 0) QueueEvent(EVENT_WINDOW_ACTIVATED, number);
        result = 1;
        break;
    case WM_CLOSE:
        if (number != -1) QueueEvent(EVENT_CLOSE_WINDOW, number);
        result = 0;
        break;
    case WM_ERASEBKGND: QueueEvent(EVENT_REDRAW, number); break;
    case WM_DPICHANGED:
        ChangeDpi(handle, wParam, lParam);
        result = 0;
        break;
    case WM_SYSCOLORCHANGE:
        if (GetWindowHandle(number)) EnumChildWindows(handle, ForwardSysColorChange, 0);
        break;
    case WM_NOTIFY:
        if (lParam)
            result = ForwardToControl(reinterpret_cast<NMHDR *>(lParam)->hwndFrom, handle, message,
                                      wParam, lParam);
        break;
    case WM_COMMAND: result = OnCommand(wParam, lParam, handle); break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        result = ForwardToControl(reinterpret_cast<HWND>(lParam), handle, message, wParam, lParam);
        break;
    case WM_DROPFILES:
        EndDrop();
        events->drop = reinterpret_cast<HDROP>(wParam);
        events->pendingDrop = PendingEvent{1, number, 0, 0};
        result = 0;
        break;
    case MSG_CONTROL_FOCUS:
        events->pendingControl =
            PendingEvent{1, number, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam)};
        result = 0;
        break;
    default: break;
    }
    return result == NOT_HANDLED ? DefWindowProcW(handle, message, wParam, lParam) : result;
}
