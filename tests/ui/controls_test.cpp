// SPDX-License-Identifier: MIT
// The control library in a real window: the nine controls of the main window built in the test,
// driven with real mouse input and keystrokes, and read back from the platform (window texts,
// the tooltip window, painted pixels).
#include "runtime/registry.h"
#include "runtime/strings.h"
#include "tests/support/gui.h"
#include "ui/controls.h"
#include "ui/numbered_windows.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <string>
#include <vector>

namespace {

using namespace gui;

using ControlEvent = std::pair<int32_t, int32_t>; // control, type

// Runs the event loop until the control event (control, type) comes; every control event on
// the way is added to seen.
bool PumpUntilControlEvent(int32_t control, int32_t type, std::vector<ControlEvent> &seen) {
    return PumpUntil([&](EventCode event) {
        if (event != EVENT_CONTROL) return false;
        seen.push_back({GetEventControl(), GetEventType()});
        return seen.back() == ControlEvent{control, type};
    });
}

std::string ControlText(int32_t number) {
    WorkspaceScope scope;
    return GetControlText(number, scope.Start());
}

// A pixel that text never covers: near the right end of the client area, in the top row of a
// label (the output field, which lies below, covers the output label's lowest rows) and in the
// middle of a field (whose text starts at the left).
COLORREF BackgroundPixel(HWND control, int32_t kind) {
    RECT client{};
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    int y = kind == KIND_LABEL ? 0 : client.bottom / 2;
    COLORREF pixel = GetPixel(dc, client.right - 6, y);
    ReleaseDC(control, dc);
    return pixel;
}

bool Reddish(COLORREF pixel) {
    int red = GetRValue(pixel), green = GetGValue(pixel), blue = GetBValue(pixel);
    return red - (green > blue ? green : blue) > 80;
}

// Whether the control's client area shows a clearly red pixel: text drawn in red, whatever
// smoothing the font gets.
bool ShowsRedText(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    bool found = false;
    for (int y = 0; y < client.bottom && !found; ++y)
        for (int x = 0; x < client.right && !found; ++x)
            found = Reddish(GetPixel(dc, x, y));
    ReleaseDC(control, dc);
    return found;
}

// The texts of the tooltip's tools that stand for control.
std::vector<std::string> ToolTexts(HWND toolTip, HWND control) {
    std::vector<std::string> texts;
    auto count = static_cast<UINT>(SendMessageA(toolTip, TTM_GETTOOLCOUNT, 0, 0));
    for (UINT i = 0; i < count; ++i) {
        char text[1100] = {};
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.lpszText = text;
        if (!SendMessageA(toolTip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool))) continue;
        if (tool.uId == reinterpret_cast<UINT_PTR>(control)) texts.push_back(text);
    }
    return texts;
}

class MainControls : public MainControlsTest {};

// Places, texts and tab stops are checked on the real tool's window (checksumme_test).
TEST_F(MainControls, EveryControlCarriesItsNumberAndTheDefaultFont) {
    auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    for (const Placement &p : MAIN_CONTROLS) {
        SCOPED_TRACE(testing::Message() << "control " << p.number);
        HWND control = Handle(p.number);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetParent(control), window);
        EXPECT_EQ(GetDlgItem(window, p.number), control);
        EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(control, QV_ID)), p.number);
        EXPECT_EQ(static_cast<WPARAM>(SendMessageA(control, WM_GETFONT, 0, 0)), font);
    }
}

// Each label's and button's text fits its control in the controls' font, as on Windows: with a
// stand-in for Windows' dialog fonts two button texts are cut and the first label wraps.
TEST_F(MainControls, EveryTextFitsItsControl) {
    HDC dc = GetDC(window);
    for (const Placement &p : MAIN_CONTROLS) {
        if (p.kind == KIND_TEXT_FIELD) continue;
        HGDIOBJ old = SelectObject(
            dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Handle(p.number), WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, p.text, static_cast<int>(std::strlen(p.text)), &size);
        SelectObject(dc, old);
        // A button draws its text inside its edges.
        int room = p.kind == KIND_BUTTON ? p.width - 2 * GetSystemMetrics(SM_CXEDGE) : p.width;
        EXPECT_LE(size.cx, room) << p.text;
    }
    ReleaseDC(window, dc);
}

// A move to a screen of another scale (WM_DPICHANGED): the window takes the place Windows
// suggests, its controls are placed and sized anew from their 96-DPI places, and their font
// grows with them; back at 96 DPI all is as it was. Every control's font stays a live one, also
// on the way back to a scale the window had before.
TEST_F(MainControls, AnotherScreensDpiLaysTheControlsOutAnew) {
    auto fontHeight = [](HWND control) {
        LOGFONTA face{};
        GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof face,
                   &face);
        return face.lfHeight;
    };
    LONG height96 = fontHeight(Handle(PASTE_BUTTON));
    for (UINT dpi : {144u, 96u, 144u}) {
        RECT suggested{40, 50, 40 + MulDiv(360, dpi, 96), 50 + MulDiv(210, dpi, 96)};
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT outer{};
        GetWindowRect(window, &outer);
        EXPECT_EQ(outer.right - outer.left, suggested.right - suggested.left);
        for (const Placement &p : MAIN_CONTROLS) {
            RECT rect{};
            GetWindowRect(Handle(p.number), &rect);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
            EXPECT_EQ(rect.left, MulDiv(p.x, dpi, 96)) << dpi << " " << p.number;
            EXPECT_EQ(rect.bottom - rect.top, MulDiv(p.height, dpi, 96)) << dpi << " " << p.number;
            EXPECT_NE(fontHeight(Handle(p.number)), 0) << dpi << " " << p.number << ": no font";
        }
        EXPECT_EQ(fontHeight(Handle(PASTE_BUTTON)), MulDiv(height96, dpi, 96)) << dpi;
    }
}

// Every button of the real tool answers its click (checksumme_test); here the labels stay silent.
TEST_F(MainControls, ClickOnAButtonRaisesItsControlEventAndLabelsStaySilent) {
    std::vector<ControlEvent> seen;
    for (int32_t button : {PASTE_BUTTON, QUIT_BUTTON}) {
        // The labels clicked first: their events, if they had any, would come before the button's.
        ClickWindow(Handle(INPUT_LABEL));
        ClickWindow(Handle(OUTPUT_LABEL));
        ClickWindow(Handle(button));
        EXPECT_TRUE(PumpUntilControlEvent(button, BN_CLICKED, seen))
            << "no click event of button " << button
            << "; events: " << testing::PrintToString(seen);
    }
    for (const ControlEvent &event : seen)
        EXPECT_TRUE(event.first != INPUT_LABEL && event.first != OUTPUT_LABEL) << event.first;
}

TEST_F(MainControls, TextFieldReportsGainedAndLostFocus) {
    std::vector<ControlEvent> seen;
    SetControlFocus(COMPUTE_BUTTON);
    Drain(); // the focus notices so far

    EXPECT_EQ(SetControlFocus(INPUT_FIELD), Handle(COMPUTE_BUTTON));
    EXPECT_TRUE(PumpUntilControlEvent(INPUT_FIELD, EVENT_TYPE_FOCUS, seen))
        << testing::PrintToString(seen);
    EXPECT_EQ(SetControlFocus(PASTE_BUTTON), Handle(INPUT_FIELD));
    EXPECT_TRUE(PumpUntilControlEvent(INPUT_FIELD, EVENT_TYPE_LOST_FOCUS, seen))
        << testing::PrintToString(seen);

    // The same with real clicks: into the output field, then on a button.
    seen.clear();
    ClickWindow(Handle(OUTPUT_FIELD));
    EXPECT_TRUE(PumpUntilControlEvent(OUTPUT_FIELD, EVENT_TYPE_FOCUS, seen))
        << testing::PrintToString(seen);
    ClickWindow(Handle(COMPUTE_BUTTON));
    EXPECT_TRUE(PumpUntilControlEvent(COMPUTE_BUTTON, BN_CLICKED, seen))
        << testing::PrintToString(seen);
    const ControlEvent lostFocus{OUTPUT_FIELD, EVENT_TYPE_LOST_FOCUS};
    bool lost = std::find(seen.begin(), seen.end(), lostFocus) != seen.end() ||
                PumpUntilControlEvent(OUTPUT_FIELD, EVENT_TYPE_LOST_FOCUS, seen);
    EXPECT_TRUE(lost) << testing::PrintToString(seen);
    EXPECT_EQ(GetFocus(), Handle(COMPUTE_BUTTON));

    // A number without a control leaves the focus alone; -1 takes it away.
    EXPECT_EQ(SetControlFocus(99), nullptr);
    EXPECT_EQ(GetFocus(), Handle(COMPUTE_BUTTON));
    EXPECT_EQ(SetControlFocus(-1), Handle(COMPUTE_BUTTON));
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(MainControls, NumberNamesTheNewestControlAndNoneAfterTheWindowCloses) {
    HWND oldButton = Handle(COMPUTE_BUTTON);
    auto newButton = reinterpret_cast<HWND>(CreateButton(COMPUTE_BUTTON, 10, 120, 120, 25, "Neu"));
    ASSERT_NE(newButton, nullptr);
    EXPECT_NE(newButton, oldButton);
    EXPECT_FALSE(IsWindow(oldButton));
    EXPECT_EQ(Handle(COMPUTE_BUTTON), newButton);
    EXPECT_EQ(GetDlgItem(window, COMPUTE_BUTTON), newButton);
    EXPECT_EQ(ControlText(COMPUTE_BUTTON), "Neu");
    std::vector<ControlEvent> seen;
    ClickWindow(newButton);
    EXPECT_TRUE(PumpUntilControlEvent(COMPUTE_BUTTON, BN_CLICKED, seen))
        << testing::PrintToString(seen);

    // Creations the platform refuses: a child window without a parent, or with a parent that
    // has gone. The numbers keep their controls.
    HWND gone = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    struct Refusal {
        const char *name;
        HWND parent;
    };
    for (const Refusal &refusal : {Refusal{"no parent", nullptr}, Refusal{"parent gone", gone}}) {
        SCOPED_TRACE(refusal.name);
        OpenControlList(refusal.parent);
        EXPECT_EQ(CreateButton(COMPUTE_BUTTON, 10, 120, 120, 25, "Falsch"), 0);
        EXPECT_EQ(CreateTextField(INPUT_FIELD, 10, 30, 330, 20, "Falsch"), 0);
        EXPECT_EQ(CreateLabel(INPUT_LABEL, 10, 10, 280, 20, "Falsch"), 0);
        EXPECT_EQ(CreateButton(AUTO_NUMBER, 10, 150, 60, 20, "Falsch"), 0);
        OpenControlList(window);
        EXPECT_EQ(Handle(COMPUTE_BUTTON), newButton);
        EXPECT_TRUE(IsWindow(newButton));
        EXPECT_EQ(ControlText(COMPUTE_BUTTON), "Neu");
        EXPECT_EQ(ControlText(INPUT_FIELD), ":");
        EXPECT_EQ(ControlText(INPUT_LABEL), MAIN_CONTROLS[0].text);
    }

    // A generated number names its control like a fixed one.
    intptr_t generated = CreateButton(AUTO_NUMBER, 10, 150, 60, 20, "Auto");
    EXPECT_LT(generated, 0);
    EXPECT_NE(generated, AUTO_NUMBER);
    auto autoNumber = static_cast<int32_t>(generated);
    HWND autoButton = Handle(autoNumber);
    ASSERT_NE(autoButton, nullptr);
    EXPECT_EQ(GetDlgCtrlID(autoButton), autoNumber);
    EXPECT_EQ(GetParent(autoButton), window);
    // Given as a fixed number, a generated one creates nothing, and its control stays.
    EXPECT_EQ(CreateLabel(autoNumber, 10, 150, 60, 20, "Falsch"), 0);
    EXPECT_EQ(CreateTextField(-12345, 10, 150, 60, 20, "Falsch"), 0);
    EXPECT_EQ(Handle(autoNumber), autoButton);
    EXPECT_EQ(ControlText(autoNumber), "Auto");

    DestroyNumberedWindow(MAIN_WINDOW);
    for (const Placement &p : MAIN_CONTROLS)
        EXPECT_EQ(LookupControl(p.number), nullptr) << "control " << p.number;
    EXPECT_EQ(LookupControl(autoNumber), nullptr);
    EXPECT_FALSE(IsWindow(newButton));
    EXPECT_EQ(SetControlText(INPUT_FIELD, "x"), 0);
    EXPECT_EQ(SetToolTip(COMPUTE_BUTTON, "x"), 0);
    EXPECT_EQ(SetControlFocus(COMPUTE_BUTTON), nullptr);
}

TEST_F(MainControls, ToolTipShowsTheLastTextWhenTheMouseRestsOnTheControl) {
    const std::string first = "Checksumme berechnen";
    const std::string second = "Pr\xFC" // Prüfsumme neu berechnen
                               "fsumme neu berechnen";
    EXPECT_NE(SetToolTip(COMPUTE_BUTTON, first.c_str()), 0);
    EXPECT_NE(SetToolTip(COMPUTE_BUTTON, second.c_str()), 0);
    EXPECT_NE(SetToolTip(QUIT_BUTTON, "Programm beenden"), 0);
    HWND toolTip = ToolTipWindow();
    ASSERT_NE(toolTip, nullptr);
    EXPECT_EQ(ToolTexts(toolTip, Handle(COMPUTE_BUTTON)), std::vector<std::string>{second});

    // The mouse comes from outside the button and rests on it.
    POINT outside{175, 165};
    ClientToScreen(window, &outside);
    MoveTo(outside.x, outside.y);
    POINT on = Centre(Handle(COMPUTE_BUTTON));
    MoveTo(on.x, on.y);
    ASSERT_TRUE(PumpUntilState([&] { return IsWindowVisible(toolTip) != 0; }))
        << "the tooltip did not appear";
    EXPECT_EQ(WindowText(toolTip), second);
    char text[1100] = {};
    TOOLINFOA current{};
    current.cbSize = TTTOOLINFOA_V1_SIZE;
    current.lpszText = text;
    ASSERT_NE(SendMessageA(toolTip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&current)), 0);
    EXPECT_EQ(current.uId, reinterpret_cast<UINT_PTR>(Handle(COMPUTE_BUTTON)));
    EXPECT_EQ(std::string(text), second);

    SendMessageA(toolTip, TTM_POP, 0, 0);
    MoveTo(outside.x, outside.y);
    // A number without a control gets no tool, and the tooltip window stays.
    EXPECT_EQ(SetToolTip(99, "nichts"), 0);
    EXPECT_EQ(ToolTipWindow(), toolTip);
    EXPECT_TRUE(IsWindow(toolTip));
}

// A brush lives while the cache holds it for some control: it is deleted at its last release.
bool Alive(HBRUSH brush) {
    return GetObjectType(brush) == static_cast<DWORD>(OBJ_BRUSH);
}

TEST(BrushCache, OneBrushPerColourDeletedAtTheLastRelease) {
    InitControlLibrary();
    const COLORREF colour = RGB(0x21, 0x43, 0x65);
    HBRUSH first = AcquireBrush(colour);
    HBRUSH second = AcquireBrush(colour);
    HBRUSH other = AcquireBrush(RGB(0x65, 0x43, 0x21));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first);
    EXPECT_NE(other, first);
    LOGBRUSH look{};
    ASSERT_EQ(GetObjectA(first, sizeof look, &look), static_cast<int>(sizeof look));
    EXPECT_EQ(look.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(look.lbColor, colour);

    ReleaseBrush(first); // one of two references
    EXPECT_TRUE(Alive(first));
    ReleaseBrush(first);
    EXPECT_FALSE(Alive(first)) << "the brush was not deleted";
    ReleaseBrush(first); // no longer cached: nothing happens
    EXPECT_TRUE(Alive(other));
    ReleaseBrush(other);
    EXPECT_FALSE(Alive(other));
}

TEST_F(MainControls, BackgroundBrushFollowsTheControlsThatUseIt) {
    const COLORREF colour = RGB(0x30, 0x90, 0x60);
    SetControlColor(LookupControl(INPUT_LABEL), COLOR_TYPE_BACK, colour);
    SetControlColor(LookupControl(OUTPUT_LABEL), COLOR_TYPE_BACK, colour);
    SetControlColor(LookupControl(OUTPUT_FIELD), COLOR_TYPE_BACK, colour);
    HBRUSH brush = LookupControl(INPUT_LABEL)->backBrush;
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(LookupControl(OUTPUT_LABEL)->backBrush, brush);
    EXPECT_EQ(LookupControl(OUTPUT_FIELD)->backBrush, brush);

    // Back to the platform's colour, replaced under its number, closed with the window.
    SetControlColor(LookupControl(OUTPUT_FIELD), COLOR_TYPE_BACK, COLOR_DEFAULT);
    EXPECT_EQ(LookupControl(OUTPUT_FIELD)->backBrush, nullptr);
    EXPECT_TRUE(Alive(brush));
    ASSERT_NE(CreatePlacedControl(MAIN_CONTROLS[0], INPUT_LABEL), 0);
    EXPECT_TRUE(Alive(brush)) << "the output label still uses it";
    DestroyNumberedWindow(MAIN_WINDOW);
    EXPECT_FALSE(Alive(brush)) << "the brush outlived its last control";
}

struct Paint {
    const char *name;
    int32_t control;
    COLORREF front;
    COLORREF back;
    enum { ENABLED, DISABLED, READ_ONLY } state;
    int expectedSystemColor; // -1: the back colour
};

const Paint PAINTS[] = {
    {"plain label", INPUT_LABEL, COLOR_DEFAULT, COLOR_DEFAULT, Paint::ENABLED, COLOR_BTNFACE},
    {"plain field", INPUT_FIELD, COLOR_DEFAULT, COLOR_DEFAULT, Paint::ENABLED, COLOR_WINDOW},
    {"label back", INPUT_LABEL, COLOR_DEFAULT, RGB(0x20, 0x80, 0x40), Paint::ENABLED, -1},
    {"field back", OUTPUT_FIELD, COLOR_DEFAULT, RGB(0x40, 0x20, 0x80), Paint::ENABLED, -1},
    {"label front", OUTPUT_LABEL, RGB(0xFF, 0, 0), COLOR_DEFAULT, Paint::ENABLED, COLOR_BTNFACE},
    {"field front", INPUT_FIELD, RGB(0xFF, 0, 0), COLOR_DEFAULT, Paint::ENABLED,
     COLOR_BTNHIGHLIGHT},
    {"label both", OUTPUT_LABEL, RGB(0xFF, 0, 0), RGB(0xF0, 0xF0, 0x20), Paint::ENABLED, -1},
    {"field both", OUTPUT_FIELD, RGB(0xFF, 0, 0), RGB(0x20, 0xF0, 0xF0), Paint::ENABLED, -1},
    {"read-only field", OUTPUT_FIELD, COLOR_DEFAULT, RGB(0x80, 0x40, 0x20), Paint::READ_ONLY, -1},
    {"disabled field", OUTPUT_FIELD, COLOR_DEFAULT, RGB(0x80, 0x40, 0x20), Paint::DISABLED,
     COLOR_BTNFACE},
};

TEST_F(MainControls, ColoursPaintLabelsAndFields) {
    SetControlText(OUTPUT_FIELD, "MMMM");
    for (const Paint &paint : PAINTS) {
        SCOPED_TRACE(paint.name);
        ControlRecord *record = LookupControl(paint.control);
        ASSERT_NE(record, nullptr);
        HWND control = record->handle;
        int32_t kind = record->kind->code == KIND_LABEL ? KIND_LABEL : KIND_TEXT_FIELD;
        EnableWindow(control, paint.state != Paint::DISABLED);
        if (kind == KIND_TEXT_FIELD)
            SendMessageA(control, EM_SETREADONLY, paint.state == Paint::READ_ONLY, 0);
        record->kind->setColor(record, COLOR_TYPE_FRONT, paint.front);
        record->kind->setColor(record, COLOR_TYPE_BACK, paint.back);
        EXPECT_EQ(record->kind->getColor(record, COLOR_TYPE_FRONT), paint.front);
        EXPECT_EQ(record->kind->getColor(record, COLOR_TYPE_BACK), paint.back);
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

        COLORREF expected =
            paint.expectedSystemColor == -1 ? paint.back : GetSysColor(paint.expectedSystemColor);
        EXPECT_EQ(BackgroundPixel(control, kind), expected);
        if (paint.front != COLOR_DEFAULT) {
            EXPECT_TRUE(ShowsRedText(control)) << "the text is not drawn in the front colour";
        }

        record->kind->setColor(record, COLOR_TYPE_FRONT, COLOR_DEFAULT);
        record->kind->setColor(record, COLOR_TYPE_BACK, COLOR_DEFAULT);
        EnableWindow(control, TRUE);
        if (kind == KIND_TEXT_FIELD) SendMessageA(control, EM_SETREADONLY, FALSE, 0);
    }
}

struct TextCase {
    const char *name;
    int32_t control;
    const char *text; // null: a missing text
    std::string expected;
};

TEST_F(MainControls, TextsKeepTheirWindows1252Bytes) {
    const std::string umlauts = "\xE4\xF6\xFC\xDF"; // äöüß
    std::string longText;
    while (longText.size() < 3000)
        longText += "Gr\xFC\xDF"
                    "e \xC4\xD6\xDC \x80 "; // Grüße ÄÖÜ €
    const TextCase cases[] = {
        {"field", INPUT_FIELD, umlauts.c_str(), umlauts},
        {"label", OUTPUT_LABEL,
         "\xC4nderung \xFC"
         "ber Stra\xDF"
         "e", // Änderung über Straße
         "\xC4nderung \xFC"
         "ber Stra\xDF"
         "e"},
        {"button", QUIT_BUTTON,
         "Schlie\xDF"
         "en",
         "Schlie\xDF"
         "en"}, // Schließen
        {"long field", OUTPUT_FIELD, longText.c_str(), longText},
        {"empty", INPUT_FIELD, "", ""},
        {"missing", OUTPUT_FIELD, nullptr, ""},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(SetControlText(c.control, c.text), 0);
        EXPECT_EQ(ControlText(c.control), c.expected);
        EXPECT_EQ(WindowText(Handle(c.control)), c.expected);
    }
    EXPECT_EQ(SetControlText(99, umlauts.c_str()), 0);
}

} // namespace
