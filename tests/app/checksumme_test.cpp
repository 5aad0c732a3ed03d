// SPDX-License-Identifier: MIT
// End-to-end: the real checksumme.exe, driven with real mouse clicks and keystrokes.
#include "app/texts.h"
#include "tests/support/gui.h"
#include "tests/support/json.h"
#include "tests/support/mixed_file.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace gui;

const char RECORDS_WRONG[] = ":10010000214601360121470136007EFE09D2190100\r\n"
                             ":100110002146017E17C20001FF5F16002148011900\r\n"
                             ":00000001FF\r\n";
const char RECORDS_RIGHT[] = ":10010000214601360121470136007EFE09D2190140\r\n"
                             ":100110002146017E17C20001FF5F16002148011928\r\n"
                             ":00000001FF\r\n";

class Checksumme : public testing::Test {
  protected:
    void StartIdle() {
        ASSERT_TRUE(tool.Start());
        ASSERT_TRUE(tool.WaitForWindow()) << "window 0 did not come up";
        Activate(tool.Window());
    }
    void TypeInput(const std::string &text) {
        ASSERT_TRUE(ReplaceText(tool.Control(INPUT_FIELD), text))
            << "typed " << text << ", field shows " << tool.Text(INPUT_FIELD);
    }
    // The tool's message box with that title: its text and whether it shows an icon, then
    // closed the way a user does, with a click on its OK button.
    Box AnswerBox(const char *title) {
        HWND window = WaitForWindow("#32770", title, tool.ProcessId());
        if (!window) return Box{"<no box>", {}, false};
        Box box = ReadBox(window);
        Activate(window);
        ClickControl(GetDlgItem(window, IDOK));
        EXPECT_TRUE(WaitClosed(window));
        return box;
    }
    void Quit() {
        ClickControl(tool.Control(QUIT_BUTTON));
        EXPECT_EQ(tool.WaitForExit(), 0);
    }
    Tool tool;
};

// Title, client size and place of the window, every control at its place with its text and
// tab stop, the caret behind the input field's colon.
TEST_F(Checksumme, StartsWithTheInputReady) {
    StartIdle();
    HWND window = tool.Window();
    EXPECT_EQ(WindowText(window), texts::WINDOW_TITLE);
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(client.right, WINDOW_WIDTH);
    EXPECT_EQ(client.bottom, WINDOW_HEIGHT);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);

    for (const Placement &p : MAIN_CONTROLS) {
        SCOPED_TRACE(testing::Message() << "control " << p.number);
        HWND control = tool.Control(p.number);
        ASSERT_NE(control, nullptr);
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
        EXPECT_EQ(rect.left, p.x);
        EXPECT_EQ(rect.top, p.y);
        EXPECT_EQ(rect.right - rect.left, p.width);
        EXPECT_EQ(rect.bottom - rect.top, p.height);
        EXPECT_EQ(WindowText(control), p.text);
        bool tabStop = (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) != 0;
        EXPECT_EQ(tabStop, p.kind != KIND_LABEL);
    }
    DWORD selection = static_cast<DWORD>(SendMessageA(tool.Control(INPUT_FIELD), EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(selection), 1);
    EXPECT_EQ(HIWORD(selection), 1);
    EXPECT_EQ(tool.Focus(), tool.Control(INPUT_FIELD));
    Quit();
}

// Tab walks the tab stops in the order of the layout table and wraps; Shift+Tab walks back.
TEST_F(Checksumme, TabOrder) {
    StartIdle();
    std::vector<int32_t> stops;
    for (const Placement &p : MAIN_CONTROLS)
        if (p.kind != KIND_LABEL) stops.push_back(p.number);
    ASSERT_EQ(stops.front(), INPUT_FIELD);
    size_t count = stops.size();
    for (size_t step = 1; step <= 2 * count; ++step) {
        bool back = step > count;
        int32_t expected = stops[back ? (2 * count - step) % count : step % count];
        if (back)
            PressKey(VK_TAB, {VK_SHIFT});
        else
            PressKey(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return tool.Focus() == tool.Control(expected); }))
            << (back ? "Shift+Tab" : "Tab") << " should reach " << expected;
    }
    Quit();
}

// At 150 % (144 DPI, set for the tool's start) the client area is 525 x 270, and every control's
// place and size and the font's height are 1.5 times what they are at 96 DPI.
TEST_F(Checksumme, ScalesWithTheScreensDpi) {
    HKEY desktop = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &desktop, nullptr),
              ERROR_SUCCESS);
    auto setDpi = [&](DWORD dpi) {
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dpi),
                       sizeof dpi);
    };
    setDpi(144);
    bool started = tool.Start() && tool.WaitForWindow();
    setDpi(96);
    RegCloseKey(desktop);
    ASSERT_TRUE(started);
    RECT client{};
    GetClientRect(tool.Window(), &client);
    EXPECT_EQ(client.right, 525);
    EXPECT_EQ(client.bottom, 270);
    auto scaled = [](int value) { return MulDiv(value, 144, 96); };
    for (const Placement &p : MAIN_CONTROLS) {
        SCOPED_TRACE(testing::Message() << "control " << p.number);
        RECT rect{};
        GetWindowRect(tool.Control(p.number), &rect);
        MapWindowPoints(nullptr, tool.Window(), reinterpret_cast<POINT *>(&rect), 2);
        EXPECT_EQ(rect.left, scaled(p.x));
        EXPECT_EQ(rect.top, scaled(p.y));
        EXPECT_EQ(rect.right - rect.left, scaled(p.width));
        EXPECT_EQ(rect.bottom - rect.top, scaled(p.height));
    }
    // The tool's font, read through a text field's formatting rectangle: one line of it.
    auto lineHeight = [](HWND field) {
        RECT format{};
        SendMessageA(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        return format.bottom - format.top;
    };
    LONG at144 = lineHeight(tool.Control(INPUT_FIELD));
    Quit();
    StartIdle();
    LONG at96 = lineHeight(tool.Control(INPUT_FIELD));
    EXPECT_NEAR(at144, at96 * 3 / 2, 1) << at96 << " at 96 DPI";
    Quit();
}

TEST_F(Checksumme, VersionRecordAndIcon) {
    std::string exe = WindowsPath(CHECKSUMME_EXE);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    char *text = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040704E4\\FileVersion",
                               reinterpret_cast<void **>(&text), &length));
    EXPECT_STREQ(text, "1.00");

    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    auto *dir = static_cast<const BYTE *>(LockResource(LoadResource(module, group)));
    EXPECT_EQ(dir[4], 1);     // one image
    EXPECT_EQ(dir[6], 32);    // 32 wide
    EXPECT_EQ(dir[7], 32);    // 32 high
    EXPECT_EQ(dir[6 + 6], 8); // 8 bits per pixel: 256 colours
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)),
              nullptr); // manifest
    FreeLibrary(module);
}

// Typed lines, with or without their checksum: the output field shows the completed record.
TEST_F(Checksumme, ComputesTypedRecords) {
    StartIdle();
    const std::pair<const char *, const char *> cases[] = {
        {":00000001FF", ":00000001FF"},
        {":00000001", ":00000001FF"},
        {":0000000100", ":00000001FF"},
        {":10010000214601360121470136007EFE09D21901",
         ":10010000214601360121470136007EFE09D2190140"},
        {":02000004ffff", ":02000004ffffFC"},
        {":", "00"},
    };
    for (auto [typed, expected] : cases) {
        TypeInput(typed);
        ClickControl(tool.Control(COMPUTE_BUTTON));
        EXPECT_TRUE(WaitUntil([&] { return tool.Text(OUTPUT_FIELD) == expected; }))
            << typed << " gave " << tool.Text(OUTPUT_FIELD);
    }
    // The input field takes Windows-1252 letters; an empty one gives the error box, and the
    // output stays.
    TypeInput("\xE4\xF6\xFC\xDF"); // äöüß
    TypeInput("");
    ClickControl(tool.Control(COMPUTE_BUTTON));
    EXPECT_EQ(AnswerBox(texts::ERROR_TITLE).text, texts::NO_INPUT);
    EXPECT_EQ(tool.Text(OUTPUT_FIELD), "00");
    Quit();
}

TEST_F(Checksumme, PasteAndCopyThroughTheClipboard) {
    StartIdle();
    // Copy with an empty output field: the error box, the clipboard keeps its text.
    ASSERT_TRUE(WriteClipboard("untouched"));
    ClickControl(tool.Control(COPY_BUTTON));
    EXPECT_EQ(AnswerBox(texts::ERROR_TITLE).text, texts::NO_OUTPUT);
    EXPECT_EQ(ReadClipboard(), "untouched");

    // A line copied from a file, with its line end, pasted and completed.
    ASSERT_TRUE(WriteClipboard(":0000000100\r\n"));
    Activate(tool.Window());
    ClickControl(tool.Control(PASTE_BUTTON));
    ASSERT_TRUE(WaitUntil([&] { return tool.Text(INPUT_FIELD) == ":0000000100\r\n"; }))
        << tool.Text(INPUT_FIELD);
    ClickControl(tool.Control(COMPUTE_BUTTON));
    ASSERT_TRUE(WaitUntil([&] { return tool.Text(OUTPUT_FIELD) == ":00000001FF"; }));
    ClickControl(tool.Control(COPY_BUTTON));
    EXPECT_TRUE(WaitUntil([] { return ReadClipboard() == ":00000001FF"; }));

    // What the user typed into the output field is what gets copied.
    ClickControl(tool.Control(OUTPUT_FIELD));
    PressKey(VK_END);
    TypeText("\xE4\xF6\xFC\xDF"); // äöüß
    ASSERT_TRUE(
        WaitUntil([&] { return tool.Text(OUTPUT_FIELD) == ":00000001FF\xE4\xF6\xFC\xDF"; }));
    ClickControl(tool.Control(COPY_BUTTON));
    EXPECT_TRUE(WaitUntil([] { return ReadClipboard() == ":00000001FF\xE4\xF6\xFC\xDF"; }));

    // Several lines come in whole; a clipboard without text empties the field.
    ASSERT_TRUE(WriteClipboard(":00000001FF\r\n:00000001FF\r\n"));
    ClickControl(tool.Control(PASTE_BUTTON));
    EXPECT_TRUE(
        WaitUntil([&] { return tool.Text(INPUT_FIELD) == ":00000001FF\r\n:00000001FF\r\n"; }));
    ASSERT_TRUE(ClearClipboard());
    ClickControl(tool.Control(PASTE_BUTTON));
    EXPECT_TRUE(WaitUntil([&] { return tool.Text(INPUT_FIELD).empty(); }));
    Quit();
}

TEST_F(Checksumme, PatchesAFileChosenInTheDialog) {
    std::string path = testfiles::Folder("checksumme dialog") + "records.hex";
    ASSERT_TRUE(testfiles::Write(path, RECORDS_WRONG));
    StartIdle();

    ClickControl(tool.Control(FILE_BUTTON));
    HWND dialog = WaitForWindow("#32770", texts::CHOOSE_FILE_TITLE, tool.ProcessId());
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    TypeText(path);
    PressKey(VK_RETURN);
    Box box = AnswerBox(texts::PATCHED);
    EXPECT_EQ(box.text, texts::PATCHED);
    EXPECT_FALSE(box.icon);
    EXPECT_EQ(testfiles::Read(path), RECORDS_RIGHT);

    // Cancelled: the error box with its icon, and nothing is created or changed.
    Activate(tool.Window());
    ClickControl(tool.Control(FILE_BUTTON));
    dialog = WaitForWindow("#32770", texts::CHOOSE_FILE_TITLE, tool.ProcessId());
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    ClickControl(GetDlgItem(dialog, IDCANCEL));
    box = AnswerBox(texts::PATCH_ERROR_TITLE);
    EXPECT_EQ(box.text, texts::NO_VALID_FILE);
    EXPECT_TRUE(box.icon);
    EXPECT_EQ(testfiles::Read(path), RECORDS_RIGHT);

    // A device's name: refused, and the box says why.
    Activate(tool.Window());
    ClickControl(tool.Control(FILE_BUTTON));
    dialog = WaitForWindow("#32770", texts::CHOOSE_FILE_TITLE, tool.ProcessId());
    ASSERT_NE(dialog, nullptr);
    Activate(dialog);
    TypeText(testfiles::Folder("checksumme dialog") + "nul.hex");
    PressKey(VK_RETURN);
    box = AnswerBox(texts::PATCH_ERROR_TITLE);
    EXPECT_EQ(box.text, texts::NOT_REGULAR_FILE);
    EXPECT_TRUE(box.icon);
    Quit();
    DeleteFileA(path.c_str());
}

// Files dropped onto the window from the desktop (by the XDND protocol, as a file manager drops
// them) are patched like a chosen one; one box says whether all of them could be. A folder
// cannot be patched, and a file that fails to be read is not patched completely.
TEST_F(Checksumme, PatchesFilesDroppedOntoTheWindow) {
    std::string folder = UnixScratch("drop");
    CreateDirectoryA(WindowsPath(folder).c_str(), nullptr);
    ASSERT_TRUE(testfiles::Write(WindowsPath(folder + "/wrong.hex"), RECORDS_WRONG));
    ASSERT_TRUE(testfiles::Write(WindowsPath(folder + "/right.eep"), RECORDS_RIGHT));
    StartIdle();
    auto drop = [&](const std::string &files) {
        auto xWindow =
            reinterpret_cast<intptr_t>(GetPropA(tool.Window(), "__wine_x11_whole_window"));
        POINT at = Centre(tool.Control(OUTPUT_FIELD));
        return RunUnixCommand("/usr/bin/python3 " CHECKSUMME_SOURCE_DIR
                              "/tests/support/xdnd_drop.py " +
                              std::to_string(xWindow) + " " + std::to_string(at.x) + " " +
                              std::to_string(at.y) + " " + files);
    };
    ASSERT_TRUE(drop(folder + "/wrong.hex " + folder + "/right.eep"));
    Box box = AnswerBox(texts::PATCHED);
    EXPECT_EQ(box.text, texts::PATCHED);
    EXPECT_FALSE(box.icon);
    EXPECT_EQ(testfiles::Read(WindowsPath(folder + "/wrong.hex")), RECORDS_RIGHT);
    EXPECT_EQ(testfiles::Read(WindowsPath(folder + "/right.eep")), RECORDS_RIGHT);

    ASSERT_TRUE(testfiles::Write(WindowsPath(folder + "/wrong.hex"), RECORDS_WRONG));
    ASSERT_TRUE(drop(folder + " " + folder + "/wrong.hex"));
    box = AnswerBox(texts::PATCH_ERROR_TITLE);
    EXPECT_EQ(box.text, texts::NO_VALID_FILE);
    EXPECT_TRUE(box.icon);
    EXPECT_EQ(testfiles::Read(WindowsPath(folder + "/wrong.hex")), RECORDS_RIGHT);

    // A file that cannot be read (every read of this one fails) is never reported as patched.
    ASSERT_TRUE(testfiles::Write(WindowsPath(folder + "/wrong.hex"), RECORDS_WRONG));
    ASSERT_TRUE(drop("/proc/self/mem " + folder + "/wrong.hex"));
    box = AnswerBox(texts::PATCH_ERROR_TITLE);
    EXPECT_EQ(box.text, texts::NOT_COMPLETE);
    EXPECT_TRUE(box.icon);
    EXPECT_EQ(testfiles::Read(WindowsPath(folder + "/wrong.hex")), RECORDS_RIGHT);

    // A file dropped while a message box is up (here: Copy with an empty output field) is
    // patched once the box is closed.
    ASSERT_TRUE(testfiles::Write(WindowsPath(folder + "/wrong.hex"), RECORDS_WRONG));
    ClickControl(tool.Control(COPY_BUTTON));
    ASSERT_NE(WaitForWindow("#32770", texts::ERROR_TITLE, tool.ProcessId()), nullptr);
    ASSERT_TRUE(drop(folder + "/wrong.hex"));
    EXPECT_EQ(AnswerBox(texts::ERROR_TITLE).text, texts::NO_OUTPUT);
    EXPECT_EQ(AnswerBox(texts::PATCHED).text, texts::PATCHED);
    EXPECT_EQ(testfiles::Read(WindowsPath(folder + "/wrong.hex")), RECORDS_RIGHT);
    Quit();
    for (const char *name : {"/wrong.hex", "/right.eep"})
        DeleteFileA(WindowsPath(folder + name).c_str());
    RemoveDirectoryA(WindowsPath(folder).c_str());
}

// Escape in another program does nothing to the tool, and in a message box or the file dialog
// it closes just that: the tool then still completes a record. Escape in its window ends it.
TEST_F(Checksumme, EndsOnEscapeInItsWindowOnly) {
    {
        ThreadWindow other{[] {
            return CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        }};
        ASSERT_TRUE(Activate(other.Handle()));
        PressKey(VK_ESCAPE); // in another program, before the tool starts
    }
    StartIdle();
    const char *titles[] = {"another program", texts::ERROR_TITLE, texts::CHOOSE_FILE_TITLE};
    const std::string completed[] = {":00000002FE", ":00000003FD", ":00000004FC"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(titles[i]);
        if (i > 0) { // the box of Compute with an empty input field; the file dialog
            TypeInput("");
            ClickControl(tool.Control(i == 1 ? COMPUTE_BUTTON : FILE_BUTTON));
            HWND box = WaitForWindow("#32770", titles[i], tool.ProcessId());
            ASSERT_TRUE(box && Activate(box));
            PressKey(VK_ESCAPE);
            EXPECT_TRUE(WaitClosed(box));
        }
        EXPECT_TRUE(i != 2 || AnswerBox(texts::PATCH_ERROR_TITLE).text == texts::NO_VALID_FILE);
        ASSERT_TRUE(Activate(tool.Window())) << "the tool ended";
        TypeInput(completed[i].substr(0, 9));
        ClickControl(tool.Control(COMPUTE_BUTTON));
        ASSERT_TRUE(WaitUntil([&] { return tool.Text(OUTPUT_FIELD) == completed[i]; }))
            << "the tool ended";
    }
    PressKey(VK_ESCAPE); // the focus on the Compute button
    EXPECT_EQ(tool.WaitForExit(), 0);
}

TEST_F(Checksumme, EndsOnTheCloseBox) {
    StartIdle();
    // The caption's close box, found by asking the window what lies under each point of its
    // caption row, and clicked with the mouse.
    RECT rect{};
    GetWindowRect(tool.Window(), &rect);
    int row = rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int column = rect.right - 1;
    while (column > rect.left &&
           SendMessageA(tool.Window(), WM_NCHITTEST, 0, MAKELPARAM(column, row)) != HTCLOSE)
        --column;
    ASSERT_GT(column, rect.left) << "no close box in the caption";
    ClickAt(column - 3, row);
    EXPECT_EQ(tool.WaitForExit(), 0);
}

// ---- The command line: files patched or checked, with a report for scripts ----

// Right records that fill 64 KiB to the last byte; the last one, with the checksum given, has no
// line end, which patching adds when it corrects that checksum.
std::string FillsTheDisk(const char *last = "00") {
    std::string file = "; x\r\n";
    for (int n = 0; n < 1456; ++n)
        file += ":10010000214601360121470136007EFE09D2190140\r\n";
    return file + ":00000001" + last;
}

enum Kind {
    MIXED_CRLF,
    MIXED_LF_MARK,
    RIGHT,
    MISSING,
    LOCKED,     // held open by another program that shares nothing
    HELD,       // held open for writing by another program, as an editor does
    READ_ONLY,  // the read-only attribute
    LONG_PATH,  // deep in folders, over MAX_PATH
    UNREADABLE, // every read fails
    DISK_FULL,  // the last byte of a full disk
    DEVICE,     // a name that reaches a device, not a file
};

// Names of devices, in the forms Windows takes them.
const char *const DEVICES[] = {"NUL", "nul.hex",  "\\\\.\\NUL", "COM1",
                               "aux", "Con .txt", "LPT9.eep"};

std::string Before(Kind kind) {
    switch (kind) {
    case MIXED_LF_MARK: return mixed::File("\n", true);
    case RIGHT: return RECORDS_RIGHT;
    case MISSING: return "<missing>";
    case DISK_FULL: return FillsTheDisk();
    default: return mixed::File("\r\n", false);
    }
}

bool Changes(Kind kind) {
    return kind == MIXED_CRLF || kind == MIXED_LF_MARK || kind == LONG_PATH || kind == DISK_FULL;
}

std::string After(Kind kind, bool checking) {
    if (checking || !Changes(kind)) return Before(kind);
    if (kind == DISK_FULL) return FillsTheDisk("FF"); // corrected, with no room for its line end
    return kind == MIXED_LF_MARK ? mixed::File("\n", true, "40") : mixed::File("\r\n", false, "40");
}

// The report lines of one file, written out as a reader expects them.
std::string Report(Kind kind, const std::string &p, bool checking) {
    const char *refused = kind == MISSING ? "not found"
                          : kind == LOCKED || (kind == HELD && !checking)
                              ? "in use by another program"
                          : kind == READ_ONLY && !checking ? "read-only"
                                                           : nullptr;
    if (kind == DEVICE) refused = "not a regular file";
    if (refused) return p + ": cannot be opened (" + refused + ")\r\n";
    if (kind == UNREADABLE)
        return p + ": could not be read completely, stopped after line 0 (Not ready)\r\n";
    if (kind == DISK_FULL)
        return p + "(1458): checksum 00 corrected to FF\r\n" + p +
               ": could not be written completely, stopped after line 1457 (disk full)\r\n";
    if (kind == RIGHT)
        return checking ? p + ": 3 records, 0 wrong, 0 lines not well-formed records\r\n"
                        : p + ": 3 records, 0 corrected, 0 lines left unchanged\r\n";
    return mixed::Report(p, checking);
}

// A tmpfs of 64 KiB, mounted where root may; "" where not.
const std::string SMALL_DISK = UnixScratch("full");
std::string MountSmallDisk() {
    const std::string &unixPath = SMALL_DISK;
    RunUnixCommand("umount " + unixPath + " 2>/dev/null; mkdir -p " + unixPath +
                   " && mount -t tmpfs -o size=64k tmpfs " + unixPath + " && : > " + unixPath +
                   "/.mounted");
    return testfiles::Exists(WindowsPath(unixPath + "/.mounted")) ? WindowsPath(unixPath) : "";
}

// Every mode with one and several files; names in several scripts and a path longer than
// MAX_PATH; files that are missing, in use, held open for writing, read-only, unreadable or on a
// full disk; CR LF and LF files with and without a byte-order mark; right, wrong and malformed
// records; named files where no window can be opened; the switches alone: the exit code, the
// bytes on disk (and for files left alone, their modification time) and the report in UTF-8.
TEST(CommandLine, PatchesOrChecksEveryNamedFileAndReports) {
    struct Row {
        const char *name;
        std::string switches;
        std::vector<Kind> files;
        bool output; // the tool is given a standard output
        int exitCode;
        bool noDisplay = false;      // the tool cannot open its window
        std::string after = "";      // switches after the files
        const char *fault = nullptr; // the command line's fault, its argument put in at %1
    };
    const char *UNKNOWN =
        "checksumme: unknown option '%1'\r\nTry 'checksumme --help' for more information.\r\n";
    const Row rows[] = {
        {"one file: a line left as it was", "", {MIXED_CRLF}, true, 2},
        {"several, one missing: the highest code", "", {MIXED_LF_MARK, MISSING, RIGHT}, true, 2},
        {"names in three scripts", "", {MIXED_CRLF, MIXED_CRLF, MIXED_LF_MARK, RIGHT}, true, 2},
        {"a long path", "", {LONG_PATH}, true, 2},
        {"patched, all right", "", {RIGHT}, true, 0},
        {"in use", "", {LOCKED, MIXED_CRLF}, true, 2},
        {"held open for writing", "", {HELD, READ_ONLY}, true, 1},
        {"an unreadable one", "", {UNREADABLE, RIGHT}, true, 1},
        {"a full disk", "", {DISK_FULL}, true, 1},
        {"devices",
         "",
         {DEVICE, DEVICE, DEVICE, DEVICE, MIXED_CRLF, DEVICE, DEVICE, DEVICE},
         true,
         2},
        {"no standard output", "", {MIXED_LF_MARK, RIGHT}, false, 2},
        {"check", "/check", {MIXED_CRLF, RIGHT}, true, 2},
        {"check, all right", "/CHECK", {RIGHT}, true, 0},
        {"check, a finding and a missing one", "/Check", {MIXED_LF_MARK, MISSING}, true, 2},
        {"check, in use", "/check", {LOCKED}, true, 1},
        {"check, held open and read-only", "--check", {HELD, READ_ONLY, LONG_PATH}, true, 2},
        {"check, an unreadable one", "/check", {UNREADABLE}, true, 1},
        {"check, devices", "/check", {DEVICE, DEVICE, DEVICE, DEVICE, RIGHT}, true, 1},
        {"check, no standard output", "/check", {MIXED_CRLF}, false, 2},
        {"no window", "", {MIXED_CRLF, MISSING}, true, 2, true},
        {"usage", "/?", {}, true, 0},
        {"usage, spelled out", "--HELP", {}, true, 0},
        {"check of nothing", "/check", {}, true, 1},
        {"quiet: failures alone", "/Q", {MIXED_CRLF, MISSING}, true, 2},
        {"check, quiet", "-q /check", {MIXED_LF_MARK, RIGHT}, true, 2},
        {"version", "/Version", {}, true, 0},
        {"version, spelled out", "--version /check", {MIXED_CRLF}, true, 0},
        {"a switch after the files", "", {MIXED_CRLF, RIGHT}, true, 2, false, "/check"},
        {"an unknown switch", "", {MIXED_CRLF}, true, 1, false, "/chek", UNKNOWN},
        {"an unknown option", "--Chek", {MIXED_CRLF}, true, 1, false, "", UNKNOWN},
        {"an empty name", "/check \"\"", {RIGHT}, true, 1},
    };
    const char *NAMES[] = {"datei ä", "прошивка файл", "固件 主程序", "łódź 🔧"};
    std::string folder = testfiles::Folder("Prüf Ordner");
    folder.pop_back();
    std::string deep = folder;
    for (char letter : {'a', 'b', 'c'}) {
        deep += "\\" + std::string(100, letter);
        testfiles::MakeFolder(deep);
    }
    std::string smallDisk = MountSmallDisk();
    std::string outputPath = testfiles::Folder("checksumme output") + "report.txt";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        bool fullDisk = std::find(row.files.begin(), row.files.end(), DISK_FULL) != row.files.end();
        if (fullDisk && smallDisk.empty()) {
            std::printf("no small disk to fill (not root?): row \"%s\" skipped\n", row.name);
            continue;
        }
        auto given = [&](const char *name) {
            return (" " + row.switches + " ").find(std::string(" ") + name + " ") !=
                   std::string::npos;
        };
        bool checking = given("/check") || given("--check") || given("/CHECK") || given("/Check") ||
                        row.after == "/check";
        bool quiet = given("/Q") || given("-q"), version = given("/Version") || given("--version");
        std::string arguments = row.switches, expected;
        std::vector<std::string> paths;
        std::vector<int64_t> times;
        HANDLE holder = INVALID_HANDLE_VALUE;
        for (size_t i = 0; i < row.files.size(); ++i) {
            Kind kind = row.files[i];
            std::string path = folder + "\\" + NAMES[i % 4] + ".hex";
            if (kind == LONG_PATH) path = deep + "\\" + NAMES[i % 4] + ".hex";
            if (kind == UNREADABLE) path = "Z:\\proc\\self\\mem";
            if (kind == DISK_FULL) path = smallDisk + "\\voll.hex";
            if (kind == DEVICE) path = DEVICES[i % std::size(DEVICES)];
            if (kind == DEVICE && i % 2) path = folder + "\\" + path; // in a folder too
            if (kind != UNREADABLE && kind != DEVICE) {
                testfiles::Remove(path);
                if (kind != MISSING) {
                    ASSERT_TRUE(testfiles::Write(path, Before(kind))) << path;
                }
                if (kind == READ_ONLY) testfiles::SetReadOnly(path, true);
            }
            if (kind == LOCKED || kind == HELD)
                holder = CreateFileW(testfiles::Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                     kind == HELD ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
            paths.push_back(path);
            times.push_back(testfiles::WrittenAt(path));
            arguments += (arguments.empty() ? "\"" : " \"") + path + "\"";
            if (!quiet || kind == MISSING) expected += Report(kind, path, checking);
            // Quiet, what was found in a file still says why the call did not end in 0.
            if (quiet && kind != MISSING && kind != RIGHT)
                expected +=
                    path + (checking ? ": 1 checksum wrong, 1 line not a well-formed record\r\n"
                                     : ": 1 line left unchanged\r\n");
        }
        if (given("\"\"")) expected = ": cannot be opened (not found)\r\n" + expected;
        if (row.files.empty()) expected = texts::USAGE;
        if (version) expected = texts::VERSION;
        if (row.fault) {
            expected = row.fault;
            expected.replace(expected.find("%1"), 2, row.after.empty() ? row.switches : row.after);
        }
        if (!row.after.empty()) arguments += " " + row.after;
        testfiles::Remove(outputPath);
        Tool tool;
        char display[256] = {};
        GetEnvironmentVariableA("DISPLAY", display, sizeof display);
        if (row.noDisplay) SetEnvironmentVariableA("DISPLAY", nullptr);
        ASSERT_TRUE(tool.Start(arguments, row.output ? outputPath : ""));
        if (row.noDisplay) SetEnvironmentVariableA("DISPLAY", display);
        EXPECT_EQ(tool.WaitForExit(), row.exitCode);
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        EXPECT_EQ(testfiles::Read(outputPath), row.output ? expected : "<missing>");
        for (size_t i = 0; i < paths.size(); ++i) {
            Kind kind = row.files[i];
            if (kind == UNREADABLE || kind == DEVICE) continue;
            std::string after = row.fault ? Before(kind) : After(kind, checking);
            EXPECT_EQ(testfiles::Read(paths[i]), after) << paths[i];
            int64_t now = testfiles::WrittenAt(paths[i]);
            // (The test's own write handle on a held file may touch its time under Wine, and so
            // does a write that the full disk refuses.)
            if (after == Before(kind) && kind != LOCKED && kind != HELD && kind != DISK_FULL) {
                EXPECT_EQ(now, times[i]) << paths[i] << " was written";
            }
            testfiles::Remove(paths[i]);
        }
    }
    if (!smallDisk.empty()) RunUnixCommand("umount " + SMALL_DISK + " && rmdir " + SMALL_DISK);
    for (; deep.size() > folder.size(); deep.erase(deep.rfind('\\')))
        testfiles::Remove(deep);
}

// --set and --strict (tests/support/mixed_file.h), /Set in mixed case: the exit code, the report,
// the file's bytes, and its modification time where it stays as it was.
TEST(CommandLine, SetsBytesAndChecksTheStructure) {
    std::string path = testfiles::Folder("Prüf Ordner") + "seriennummer ä.hex";
    std::string hexOutput = testfiles::Folder("Prüf Ordner") + "ausgabe.hex";
    std::string outputPath = testfiles::Folder("checksumme output") + "report.txt";
    std::vector<mixed::EditRow> rows = mixed::EditRows();
    // The exe's own: /checksum=, /set= and /fill= are those switches whatever the value holds,
    // never a file.
    mixed::EditRow stored = *std::find_if(rows.begin(), rows.end(), [](const mixed::EditRow &row) {
        return std::strcmp(row.name, "checksum, stored little-endian") == 0;
    });
    const std::string image = stored.before,
                      help = "\r\nTry 'checksumme --help' for more information.\r\n";
    stored.name = "/checksum=, a value with \":\"";
    stored.options = {"/checksum=crc32:0-15@16"};
    rows.push_back(stored);
    // clang-format off
    rows.push_back({"/set=, a value with \".\"", {"/SET=0x10=AA."}, image, image, 1, "",
                    "checksumme: /set 0x10=AA.: not ADDRESS=BYTES, ADDRESS=TYPE:NUMBER or ADDRESS=str:TEXT (ADDRESS up to 0xFFFFFFFF, 1 to 255 bytes)" + help});
    rows.push_back({"/fill=, a value with \"/\"", {"/checksum", "crc32:0-15@16", "/Fill=0x1/2"}, image, image, 1, "",
                    "checksumme: /fill 0x1/2: not a byte; write two hexadecimal digits (FF), or 0x and one or two (0xFF)" + help});
    // clang-format on
    for (const mixed::EditRow &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(testfiles::Write(path, row.before));
        int64_t before = testfiles::MakeOld(path);
        // Every other row names the file first: switches after it mean the same.
        bool fileFirst = (&row - rows.data()) % 2 == 1;
        std::string arguments = fileFirst ? "\"" + path + "\"" : "";
        for (const std::string &option : row.options)
            arguments += (arguments.empty() ? "" : " ") +
                         (option.find('%') == std::string::npos
                              ? option
                              : "\"" + mixed::WithPath(option, path, hexOutput) + "\"");
        if (!fileFirst) arguments += " \"" + path + "\"";
        testfiles::Remove(outputPath);
        testfiles::Remove(hexOutput);
        if (fileFirst) {
            ASSERT_TRUE(testfiles::Write(hexOutput, "old"));
        }
        Tool tool;
        ASSERT_TRUE(tool.Start(arguments, outputPath));
        EXPECT_EQ(tool.WaitForExit(), row.exitCode);
        EXPECT_EQ(testfiles::Read(outputPath), mixed::WithPath(row.err + row.out, path, hexOutput));
        EXPECT_EQ(testfiles::Read(path), row.after);
        if (row.after == row.before) {
            EXPECT_EQ(testfiles::WrittenAt(path), before);
        }
        EXPECT_EQ(testfiles::Read(hexOutput), !row.output.empty() ? row.output
                                              : fileFirst         ? "old"
                                                                  : "<missing>");
        EXPECT_FALSE(testfiles::Exists(hexOutput.substr(0, hexOutput.rfind('\\') + 1) +
                                       ".checksumme-1.tmp"));
        // The same call with /json: the same bytes and exit code, and each file's object parsed
        // back with the call's exit code (none for a fault of the command line).
        ASSERT_TRUE(testfiles::Write(path, row.before));
        testfiles::Remove(hexOutput);
        Tool json;
        ASSERT_TRUE(json.Start("/json " + arguments, outputPath));
        EXPECT_EQ(json.WaitForExit(), row.exitCode);
        EXPECT_EQ(testfiles::Read(path), row.after);
        std::string report = testfiles::Read(outputPath);
        int64_t highest = json::HighestExit(report);
        EXPECT_NE(highest, -2) << report;
        if (highest < 0) {
            EXPECT_TRUE(report.find("Try 'checksumme --help'") != std::string::npos ||
                        report == texts::USAGE)
                << report;
        } else {
            EXPECT_EQ(highest, row.exitCode);
        }
    }
    testfiles::Remove(path);
}

// -o's new file on Windows: an OUT that another program holds open for a moment is waited for,
// one held longer is a failure that leaves it as it was, a read-only one is refused; a process
// ended at any moment leaves OUT as it was or whole, and nothing else in its folder.
TEST(CommandLine, OutputSurvivesHoldsAndEnds) {
    std::string folder = testfiles::Folder("checksumme ausgabe");
    // (The report of its own: a process it ends may hold it a moment longer.)
    std::string input = folder + "in.hex", output = folder + "out.hex",
                report = testfiles::Folder("checksumme ended") + "report.txt",
                arguments = "-q -o \"" + output + "\" \"" + input + "\"";
    const std::string before = mixed::File("\r\n", false),
                      patched = mixed::File("\r\n", false, "40");
    const std::vector<std::string> both{"in.hex", "out.hex"};
    // What the folder holds but the system's own: Wine's replacement moves the old file to an
    // "rf....tmp" of its own first, which a process ended right then leaves.
    auto names = [&folder] {
        std::vector<std::string> held;
        for (const std::string &name : testfiles::Names(folder))
            if (name.rfind("rf", 0) != 0 || name.find(".tmp") != name.size() - 4)
                held.push_back(name);
        return held;
    };
    for (const std::string &left : testfiles::Names(folder))
        testfiles::Remove(folder + left);
    ASSERT_TRUE(testfiles::Write(input, before));
    struct Row {
        const char *name;
        DWORD held; // ms
        bool readOnly;
        int exitCode; // (2: the file's malformed line)
        std::string after;
    } rows[] = {{"held for a moment", 400, false, 2, patched},
                {"held for longer", 4000, false, 1, "old"},
                {"read-only", 0, true, 1, "old"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(testfiles::Write(output, "old") &&
                    testfiles::SetReadOnly(output, row.readOnly));
        HANDLE held = row.held ? CreateFileW(testfiles::Wide(output).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                               : nullptr;
        Tool tool;
        ASSERT_TRUE(tool.Start(arguments, report));
        Sleep(row.held);
        if (held) CloseHandle(held);
        EXPECT_EQ(tool.WaitForExit(), row.exitCode);
        EXPECT_EQ(testfiles::Read(output), row.after);
        EXPECT_EQ(names(), both);
        testfiles::SetReadOnly(output, false);
    }
    // Ended at random moments of a call on a file of some megabytes, once its new file is there.
    std::string large, done;
    for (int k = 0; k < 100000; ++k)
        large += before, done += patched;
    ASSERT_TRUE(testfiles::Write(input, large));
    uint32_t seed = 43;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(testfiles::Write(output, "old"));
        {
            Tool tool; // its end ends the process
            ASSERT_TRUE(tool.Start(arguments, report));
            for (int wait = 0; wait < 2000 && names().size() < 3; ++wait)
                Sleep(1);
            seed = seed * 1103515245 + 12345;
            Sleep(seed >> 16 & 63);
        }
        // (Wine closes an ended process's files a moment after it ends, under load.)
        for (int wait = 0; wait < 100 && names() != both; ++wait)
            Sleep(100);
        std::string now = testfiles::Read(output);
        EXPECT_TRUE(now == "old" || now == done) << now.size();
        EXPECT_EQ(names(), both);
    }
    for (const std::string &path : {input, output, report})
        testfiles::Remove(path);
}

// Records added by the exe as the native program adds them: a file merged and the gaps padded,
// a binary's bytes merged at an address, bytes both hold refused or taken, and the result
// written as a binary.
TEST(CommandLine, MergesPadsAndWritesBinaries) {
    std::string folder = testfiles::Folder("checksumme zusammen");
    std::string boot = folder + "boot.hex", app = folder + "app.hex", clash = folder + "clash.hex",
                bin = folder + "app.bin", out = folder + "out.hex", raw = folder + "out.bin",
                report = testfiles::Folder("checksumme output") + "report.txt";
    const std::string first = ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                              ":10001000101112131415161718191A1B1C1D1E1F68\r\n",
                      end = ":00000001FF\r\n";
    ASSERT_TRUE(testfiles::Write(boot, first + end) &&
                testfiles::Write(app, ":10004000404142434445464748494A4B4C4D4E4F38\r\n" + end) &&
                testfiles::Write(clash, ":010010009956\r\n" + end) &&
                testfiles::Write(bin, "\x40\x41\x42\x43"));
    auto quoted = [](const std::string &path) { return "\"" + path + "\""; };
    struct Row {
        const char *name;
        std::string arguments;
        int exitCode;
        std::string output, said;
    } rows[] = {
        {"merged, the gaps padded", "/merge " + quoted(app) + " /pad 0x0-0x4F /q", 0,
         first +
             ":10002000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFE0\r\n"
             ":10003000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFD0\r\n"
             ":10004000404142434445464748494A4B4C4D4E4F38\r\n" +
             end,
         ""},
        {"a binary at an address", "/merge " + quoted(bin + "@0x40") + " /q", 0,
         first + ":0400400040414243B6\r\n" + end, ""},
        {"bytes both hold, refused", "/merge " + quoted(clash), 1, "<missing>",
         boot + ": 0x00000010 holds different bytes in line 2 and in " + clash +
             " line 1; choose with /overlap=ours or /overlap=theirs, nothing written\r\n"},
        {"bytes both hold, theirs", "/merge " + quoted(clash) + " /overlap=theirs /q", 0,
         ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
         ":10001000991112131415161718191A1B1C1D1E1FDF\r\n" +
             end,
         ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        testfiles::Remove(out);
        Tool tool;
        ASSERT_TRUE(tool.Start(row.arguments + " /o " + quoted(out) + " " + quoted(boot), report));
        EXPECT_EQ(tool.WaitForExit(), row.exitCode);
        EXPECT_EQ(testfiles::Read(out), row.output);
        EXPECT_EQ(testfiles::Read(report), row.said);
        EXPECT_EQ(testfiles::Read(boot), first + end);
    }
    // The first row's file as raw bytes, the gaps as /fill.
    testfiles::Write(out, first + ":10004000404142434445464748494A4B4C4D4E4F38\r\n" + end);
    Tool binary;
    ASSERT_TRUE(
        binary.Start("/binary=0x0-0x4F /fill=00 /q /o " + quoted(raw) + " " + quoted(out), report));
    EXPECT_EQ(binary.WaitForExit(), 0);
    std::string expected;
    for (int k = 0; k < 0x50; ++k)
        expected += static_cast<char>(k < 0x20 || k >= 0x40 ? k : 0);
    EXPECT_EQ(testfiles::Read(raw), expected);
    for (const std::string &left : testfiles::Names(folder))
        testfiles::Remove(folder + left);
}

// --strict on 400,001 records in the one order that once made the address ranges a chain: done
// in seconds (as a new process under Wine), not minutes, and without a stack overflow.
TEST(CommandLine, StrictCheckTakesRecordsInAnyOrder) {
    std::string path = testfiles::Folder("Prüf Ordner") + "scrambled.hex";
    std::string outputPath = testfiles::Folder("checksumme output") + "report.txt";
    ASSERT_TRUE(testfiles::Write(path, mixed::ScrambledLayout(200000)));
    testfiles::Remove(outputPath);
    Tool tool;
    ASSERT_TRUE(tool.Start("/strict \"" + path + "\"", outputPath)); // (its time: ./dev bench)
    EXPECT_EQ(tool.WaitForExit(), 0);
    EXPECT_EQ(testfiles::Read(outputPath), path + ": 400001 records, 0 wrong, 0 lines not "
                                                  "well-formed records, 0 structure findings\r\n");
    testfiles::Remove(path);
}

// With Windows set to another language (code page 1251), every text reads as it does on German
// Windows. (Wine takes the code page from the Unix locale a process starts with, so the tool is
// started from a shell.)
TEST(CommandLine, TextsReadRightOnARussianWindows) {
    ASSERT_TRUE(RunUnixCommand("(LC_ALL=ru_RU.UTF-8 wine " CHECKSUMME_EXE " >/dev/null 2>&1 &)"));
    HWND window = WaitForWindow("WindowClass_0", nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetDlgItem(window, QUIT_BUTTON) != nullptr; }));
    auto wideText = [](HWND control) {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), text.size())));
        return text;
    };
    auto german = [](const char *text) {
        std::wstring wide(std::strlen(text), L'\0');
        for (size_t i = 0; i < wide.size(); ++i) // Windows-1252 is Latin-1 above 0x9F
            wide[i] = static_cast<unsigned char>(text[i]);
        return wide;
    };
    EXPECT_TRUE(wideText(window) == german(texts::WINDOW_TITLE));
    for (const Placement &p : MAIN_CONTROLS) {
        if (p.kind != KIND_BUTTON) continue;
        std::wstring shown = wideText(GetDlgItem(window, p.number));
        EXPECT_TRUE(shown == german(p.text))
            << testfiles::Utf8(german(p.text)) << " reads " << testfiles::Utf8(shown);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitClosed(window));
    // Wine rewrites its font substitutes whenever a process starts in another code page: once a
    // process has started in the usual one again, the prefix gets back its dialog font
    // (tools/wine_fonts.sh).
    Tool usual;
    ASSERT_TRUE(usual.Start("/?"));
    EXPECT_EQ(usual.WaitForExit(), 0);
    HKEY substitutes = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", 0,
                            KEY_SET_VALUE, &substitutes),
              ERROR_SUCCESS);
    const char FACE[] = "MS Sans Serif";
    RegSetValueExA(substitutes, "MS Shell Dlg", 0, REG_SZ, reinterpret_cast<const BYTE *>(FACE),
                   sizeof FACE);
    RegCloseKey(substitutes);
}

// Without a display the window cannot open: the tool shows why if it can (here it cannot) and
// fails. (Started from a shell: a display taken from the tool's environment on Windows' side is
// still there on Wine's.)
TEST(CommandLine, FailsWhenTheWindowCannotOpen) {
    std::string code = UnixScratch("exit");
    ASSERT_TRUE(RunUnixCommand(
        "env -u DISPLAY wine " CHECKSUMME_EXE " >/dev/null 2>&1; echo $? >" + code, 30000));
    EXPECT_EQ(testfiles::Read(WindowsPath(code)), "1\n");
    DeleteFileA(WindowsPath(code).c_str());
}

// Started with its standard output closed, which Wine hands over as a handle that is none, the
// tool patches the file and has no report to fail on (2: the file's malformed line is left).
TEST(CommandLine, PatchesWithItsOutputClosed) {
    std::string path = testfiles::Folder("output closed") + "c.hex";
    ASSERT_TRUE(testfiles::Write(path, mixed::File("\r\n", false)));
    std::string code = UnixScratch("exit");
    ASSERT_TRUE(RunUnixCommand(
        "wine " CHECKSUMME_EXE " '" + path + "' >&- 2>/dev/null; echo $? >" + code, 30000));
    EXPECT_EQ(testfiles::Read(WindowsPath(code)), "2\n");
    EXPECT_EQ(testfiles::Read(path), mixed::File("\r\n", false, "40"));
    DeleteFileA(WindowsPath(code).c_str());
    testfiles::Remove(path);
}

// An empty quoted argument is no argument: the window stays for the user.
TEST(CommandLine, EmptyArgumentKeepsTheWindow) {
    Tool tool;
    ASSERT_TRUE(tool.Start("\"\""));
    ASSERT_TRUE(tool.WaitForWindow());
    EXPECT_TRUE(tool.Running());
    PostThreadMessageA(tool.ThreadId(), WM_QUIT, 0, 0); // which ends it, as any message loop
    EXPECT_EQ(tool.WaitForExit(), 0);
}

} // namespace
