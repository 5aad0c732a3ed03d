// SPDX-License-Identifier: MIT
#include "ui/controls.h"

#include "runtime/registry.h"
#include "runtime/strings.h"
#include "runtime/wide_text.h"
#include "ui/numbered_windows.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstring>

namespace {

constexpr DWORD LABEL_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD TEXT_FIELD_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD BUTTON_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
constexpr DWORD COMMON_CONTROL_CLASSES =
    ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES;
static_assert(LABEL_STYLE == 0x50020000 && TEXT_FIELD_STYLE == 0x50030080 &&
              BUTTON_STYLE == 0x50030000 && COMMON_CONTROL_CLASSES == 0xB08);

struct ControlContext {
    HWND parent;  // borrowed: the window of the last OpenControlList
    HFONT font;   // stock object, never deleted: the font at the system's DPI
    HWND toolTip; // the one tooltip window; lives to the end of the process
};

ObjectRegistry *controls = nullptr;
ControlContext *context = nullptr;
WNDPROC editProcedure = nullptr; // the edit class's own procedure, saved at field creation

LRESULT LabelColorHandler(ControlRecord *, HWND, UINT, WPARAM, LPARAM);
LRESULT TextFieldColorHandler(ControlRecord *, HWND, UINT, WPARAM, LPARAM);
void ReleaseControlColors(ControlRecord *record) {
    if (record->backBrush) ReleaseBrush(record->backBrush);
    record->backBrush = nullptr;
}

const ControlKind LABEL_KIND = {KIND_LABEL, LabelColorHandler, ReleaseControlColors,
                                nullptr,    nullptr,           nullptr,
                                nullptr,    SetControlColor,   GetControlColor};
const ControlKind TEXT_FIELD_KIND = {
    KIND_TEXT_FIELD, TextFieldColorHandler, ReleaseControlColors, nullptr, nullptr, nullptr,
    nullptr,         SetControlColor,       GetControlColor};
const ControlKind BUTTON_KIND = {KIND_BUTTON, nullptr, nullptr, GetButtonState, SetButtonState,
                                 nullptr,     nullptr, nullptr, nullptr};

// Drawing objects shared by key (a brush by its colour, a font by its DPI): list nodes carry
// SharedObject records, newest first; each object is deleted when its last user lets it go.
struct SharedObject {
    uint32_t key;
    HGDIOBJ object; // owned; deleted when the count reaches 0
    int32_t count;
};

// The object under key, with one more user; null when the list holds none.
HGDIOBJ TakeShared(ListNode *list, uint32_t key) {
    for (ListNode *node = list; node; node = node->next) {
        auto *entry = static_cast<SharedObject *>(RecordOf(node));
        if (entry->key != key) continue;
        entry->count += 1;
        return entry->object;
    }
    return nullptr;
}

HGDIOBJ AddShared(ListNode **list, uint32_t key, HGDIOBJ object) {
    auto *entry = static_cast<SharedObject *>(AllocListNode(list, sizeof(SharedObject)));
    *entry = SharedObject{key, object, 1};
    return object;
}

// One user fewer for object; an object the list does not hold is left alone.
void LetGoShared(ListNode **list, HGDIOBJ object) {
    for (ListNode *node = *list; node; node = node->next) {
        auto *entry = static_cast<SharedObject *>(RecordOf(node));
        if (entry->object != object) continue;
        if (--entry->count == 0) {
            DeleteObject(object);
            FreeListNode(list, entry);
        }
        return;
    }
}

ListNode *brushes = nullptr; // by colour, under one lock
CRITICAL_SECTION brushLock;
ListNode *fonts = nullptr; // by DPI, for each DPI other than the system's; one thread, no lock

// The default GUI font at dpi, for one more control: the stock font at the system's DPI, else
// the cache's font made from it at that DPI. Every control at one DPI shares one font, which
// goes when the last of them lets it go (ReleaseFont), so no control ever holds a deleted font,
// whatever DPIs its window passes through and however many windows there are.
HFONT AcquireFont(uint32_t dpi) {
    uint32_t systemDpi = GetWindowDpi(nullptr);
    if (dpi == systemDpi) return context->font;
    if (HGDIOBJ shared = TakeShared(fonts, dpi)) return static_cast<HFONT>(shared);
    LOGFONTW face{};
    GetObjectW(context->font, sizeof face, &face);
    face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
    HFONT font = CreateFontIndirectW(&face);
    if (!font) return context->font; // drawn in the system DPI's font rather than none
    return static_cast<HFONT>(AddShared(&fonts, dpi, font));
}

// A font from AcquireFont that one control no longer uses; the stock font is never deleted.
void ReleaseFont(HFONT font) {
    LetGoShared(&fonts, font);
}

LRESULT ColorHandler(ControlRecord *record, WPARAM wParam, int systemColor) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    LRESULT result = NOT_HANDLED;
    if (record->frontColor != COLOR_DEFAULT) {
        SetTextColor(dc, record->frontColor);
        if (record->backColor == COLOR_DEFAULT) {
            SetBkColor(dc, GetSysColor(systemColor));
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(systemColor));
        }
    }
    if (record->backColor != COLOR_DEFAULT) {
        SetBkColor(dc, record->backColor);
        result = reinterpret_cast<LRESULT>(record->backBrush);
    }
    return result;
}

LRESULT LabelColorHandler(ControlRecord *record, HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_CTLCOLORSTATIC) return NOT_HANDLED;
    return ColorHandler(record, wParam, COLOR_BTNFACE);
}

LRESULT TextFieldColorHandler(ControlRecord *record, HWND, UINT message, WPARAM wParam, LPARAM) {
    bool handled = message == WM_CTLCOLOREDIT ||
                   (message == WM_CTLCOLORSTATIC && IsWindowEnabled(record->handle));
    if (!handled) return NOT_HANDLED;
    return ColorHandler(record, wParam, COLOR_BTNHIGHLIGHT);
}

LRESULT CALLBACK ControlProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    auto number = static_cast<int32_t>(GetWindowLongPtrA(handle, GWLP_ID));
    ControlRecord *record = number == -1 ? nullptr : LookupControl(number);
    if (!record || record->handle != handle) return DefWindowProcW(handle, message, wParam, lParam);
    LRESULT result = CallWindowProcW(record->previousProcedure, handle, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        record = LookupControl(number);
        if (record && record->kind->destroyHook) record->kind->destroyHook(record);
        if (record) ReleaseFont(record->font);
        RemovePropA(handle, QV_ID);
        if (RemovePropA(handle, QV_DROP_ACCEPT)) RevokeDragDrop(handle);
        SetWindowLongPtrA(handle, GWLP_ID, -1);
        ReleaseObject(controls, number);
    }
    return result;
}

LRESULT CALLBACK TextFieldProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        LPARAM type = message == WM_SETFOCUS ? EVENT_TYPE_FOCUS : EVENT_TYPE_LOST_FOCUS;
        PostMessageA(FindNumberedWindow(handle), MSG_CONTROL_FOCUS,
                     static_cast<WPARAM>(GetWindowLongPtrA(handle, GWLP_ID)), type);
    }
    return CallWindowProcW(editProcedure, handle, message, wParam, lParam);
}

LRESULT CALLBACK ToolTipProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle, GWLP_USERDATA));
    return CallWindowProcW(previous, handle, message, wParam, lParam);
}

intptr_t RegisterControl(int32_t number, ControlRecord *record, HWND handle,
                         const ControlKind *kind) {
    bool generated = number == AUTO_NUMBER;
    if (generated) number = AutoNumberOf(record);
    record->handle = handle;
    record->kind = kind;
    record->previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    SetWindowLongPtrA(handle, GWLP_ID, number);
    SetPropA(handle, QV_ID, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number)));
    record->font = AcquireFont(GetWindowDpi(context->parent));
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(record->font), 1);
    return generated ? number : reinterpret_cast<intptr_t>(handle);
}

intptr_t CreateControl(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                       const char *text, const ControlKind *kind, const wchar_t *className,
                       DWORD style, DWORD extendedStyle) {
    if (number < 0 && number != AUTO_NUMBER) return 0; // a generated number cannot be taken
    WideText wideText;
    uint32_t dpi = GetWindowDpi(context->parent);
    HWND handle = CreateWindowExW(extendedStyle, className, wideText.FromWindows1252(text), style,
                                  ScaleToDpi(x, dpi), ScaleToDpi(y, dpi), ScaleToDpi(width, dpi),
                                  ScaleToDpi(height, dpi), context->parent,
                                  reinterpret_cast<HMENU>(-1), GetModuleHandleA(nullptr), nullptr);
    if (!handle) return 0;
    auto *record = static_cast<ControlRecord *>(AllocateObject(controls, number));
    record->place = RECT{x, y, x + width, y + height};
    if (kind == &TEXT_FIELD_KIND)
        editProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextFieldProc)));
    if (kind != &BUTTON_KIND) record->frontColor = record->backColor = COLOR_DEFAULT;
    return RegisterControl(number, record, handle, kind);
}

} // namespace

intptr_t InitControlLibrary() {
    if (controls) return 0;
    InitializeCriticalSection(&brushLock);
    controls = CreateObjectRegistry(sizeof(ControlRecord), 50, FreeControl);
    context = static_cast<ControlContext *>(AllocStateBlock(sizeof(ControlContext), nullptr));
    context->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), COMMON_CONTROL_CLASSES};
    return InitCommonControlsEx(&classes);
}

HWND OpenControlList(HWND window) {
    context->parent = window;
    return window;
}

intptr_t CreateLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char *text, uint32_t flags) {
    DWORD extended = (flags & LABEL_BORDER) ? WS_EX_CLIENTEDGE : 0;
    return CreateControl(number, x, y, width, height, text, &LABEL_KIND, L"Static",
                         flags | LABEL_STYLE, extended);
}

intptr_t CreateTextField(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                         const char *text, uint32_t flags) {
    DWORD extended = (flags & TEXT_FIELD_BORDERLESS) ? 0 : WS_EX_CLIENTEDGE;
    return CreateControl(number, x, y, width, height, text, &TEXT_FIELD_KIND, L"Edit",
                         flags | TEXT_FIELD_STYLE, extended);
}

intptr_t CreateButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                      const char *text, uint32_t flags) {
    return CreateControl(number, x, y, width, height, text, &BUTTON_KIND, L"Button",
                         flags | BUTTON_STYLE, 0);
}

ControlRecord *LookupControl(int32_t number) {
    return controls ? static_cast<ControlRecord *>(LookupObject(controls, number)) : nullptr;
}

void FreeControl(int32_t number) {
    if (ControlRecord *record = LookupControl(number)) DestroyWindow(record->handle);
}

namespace {

BOOL CALLBACK RescaleStep(HWND child, LPARAM dpi) {
    auto number = static_cast<int32_t>(GetWindowLongPtrA(child, GWLP_ID));
    ControlRecord *record = LookupControl(number);
    if (!record || record->handle != child) return TRUE;
    const RECT &p = record->place;
    auto scaled = [&](LONG value) { return ScaleToDpi(value, static_cast<uint32_t>(dpi)); };
    HFONT font = AcquireFont(static_cast<uint32_t>(dpi));
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
    ReleaseFont(record->font);
    record->font = font;
    SetWindowPos(child, nullptr, scaled(p.left), scaled(p.top), scaled(p.right - p.left),
                 scaled(p.bottom - p.top), SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

} // namespace

// Each control takes the font for the new DPI before it lets go of its old one.
void RescaleControls(HWND window, uint32_t dpi) {
    if (dpi == 0) return;
    EnumChildWindows(window, RescaleStep, static_cast<LPARAM>(dpi));
}

HWND FindNumberedWindow(HWND handle) {
    HWND current = handle;
    while (!GetPropA(current, QV_WINDOW_ID)) {
        HWND parent = GetParent(current);
        if (!parent) break;
        current = parent;
    }
    return current;
}

intptr_t SetToolTip(int32_t number, const char *text) {
    if (!context->toolTip) {
        context->toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                           nullptr, GetModuleHandleA(nullptr), nullptr);
        if (context->toolTip) {
            LONG_PTR previous = SetWindowLongPtrW(context->toolTip, GWLP_WNDPROC,
                                                  reinterpret_cast<LONG_PTR>(ToolTipProc));
            SetWindowLongPtrA(context->toolTip, GWLP_USERDATA, previous);
        }
    }
    ControlRecord *record = LookupControl(number);
    if (!record || !context->toolTip) return 0;
    WideText wideText;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(record->handle);
    tool.uId = reinterpret_cast<UINT_PTR>(record->handle);
    tool.lpszText = const_cast<wchar_t *>(wideText.FromWindows1252(text)); // copied by the tool
    SendMessageW(context->toolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return SendMessageW(context->toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND ToolTipWindow() {
    return context ? context->toolTip : nullptr;
}

HWND SetControlFocus(int32_t number) {
    if (number == -1) return SetFocus(nullptr);
    ControlRecord *record = LookupControl(number);
    return record ? SetFocus(record->handle) : nullptr;
}

int32_t PlaceCaretAtEnd(int32_t number) {
    ControlRecord *record = LookupControl(number);
    if (!record) return 0;
    SendMessageW(record->handle, EM_SETSEL, 0x0FFFFFFF, 0x0FFFFFFF); // both ends beyond the text
    return 1;
}

int32_t SetControlText(int32_t number, const char *text) {
    ControlRecord *record = LookupControl(number);
    if (!record) return 0;
    if (!text) text = "";
    if (record->kind->setText) return record->kind->setText(record, text);
    WideText wideText;
    return SetWindowTextW(record->handle, wideText.FromWindows1252(text)) ? 1 : 0;
}

// Exactly the text read, also when the platform's first length was larger; a character that
// Windows-1252 lacks becomes "?".
char *GetControlText(int32_t number, int32_t resultStart) {
    ControlRecord *record = LookupControl(number);
    if (record && record->kind->getText) return record->kind->getText(record, resultStart);
    int32_t length = record ? GetWindowTextLengthW(record->handle) : 0;
    if (length <= 0) return Windows1252FromWide(nullptr, 0, resultStart);
    auto *text =
        static_cast<wchar_t *>(MainHeapAlloc((static_cast<size_t>(length) + 1) * sizeof(wchar_t)));
    int32_t got = GetWindowTextW(record->handle, text, length + 1);
    if (got < 0 || got > length) got = 0;
    char *result = Windows1252FromWide(text, got, resultStart);
    MainHeapFree(text);
    return result;
}

void SetControlColor(ControlRecord *record, int32_t type, COLORREF color) {
    if (type == COLOR_TYPE_FRONT) record->frontColor = color;
    if (type == COLOR_TYPE_BACK) {
        if (record->backBrush) ReleaseBrush(record->backBrush);
        record->backBrush = color == COLOR_DEFAULT ? nullptr : AcquireBrush(color);
        record->backColor = color;
    }
    RedrawWindow(record->handle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
}

COLORREF GetControlColor(ControlRecord *record, int32_t type) {
    if (type == COLOR_TYPE_FRONT) return record->frontColor;
    if (type == COLOR_TYPE_BACK) return record->backColor;
    return COLOR_DEFAULT;
}

int32_t GetButtonState(ControlRecord *record) {
    return static_cast<int32_t>(SendMessageA(record->handle, BM_GETCHECK, 0, 0) & 1);
}

void SetButtonState(ControlRecord *record, int32_t state) {
    SendMessageA(record->handle, BM_SETCHECK, state ? 1 : 0, 0);
}

HBRUSH AcquireBrush(COLORREF color) {
    EnterCriticalSection(&brushLock);
    auto brush = static_cast<HBRUSH>(TakeShared(brushes, color));
    if (!brush) brush = static_cast<HBRUSH>(AddShared(&brushes, color, CreateSolidBrush(color)));
    LeaveCriticalSection(&brushLock);
    return brush;
}

void ReleaseBrush(HBRUSH brush) {
    EnterCriticalSection(&brushLock);
    LetGoShared(&brushes, brush);
    LeaveCriticalSection(&brushLock);
}
