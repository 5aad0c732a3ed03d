// End-to-end: the real checksumme.exe, driven with real mouse clicks and keystrokes.
#include "app/texts.h"
#include "tests/support/temp_files.h"
#include "tests/support/tool_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using driver::Tool;

namespace {

constexpr int INPUT_FIELD = 6, OUTPUT_FIELD = 7, COMPUTE = 8, PASTE = 9, QUIT = 10, COPY = 11,
              FILE_BUTTON = 12;

const char RECORDS_WRONG[] = ":10010000214601360121470136007EFE09D2190100\r\n"
                             ":100110002146017E17C20001FF5F16002148011900\r\n"
                             ":00000001FF\r\n";
const char RECORDS_RIGHT[] = ":10010000214601360121470136007EFE09D2190140\r\n"
                             ":100110002146017E17C20001FF5F16002148011928\r\n"
                             ":00000001FF\r\n";

// A message box of the tool: its title, its text, and whether it shows an icon.
struct Box {
    HWND window = nullptr;
    std::string text;
    bool hasIcon = false;
};

BOOL CALLBACK CollectBoxChild(HWND child, LPARAM param) {
    auto *box = reinterpret_cast<Box *>(param);
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) return TRUE;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        box->hasIcon =
            box->hasIcon || (IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0));
    } else {
        std::string text = driver::WindowText(child);
        if (!text.empty()) box->text = text;
    }
    return TRUE;
}

Box WaitForBox(const Tool &tool, const char *title) {
    Box box;
    box.window = driver::WaitForTopWindow("#32770", title, tool.ProcessId());
    if (box.window) EnumChildWindows(box.window, CollectBoxChild, reinterpret_cast<LPARAM>(&box));
    return box;
}

// Closes a message box the way a user does: a click on its OK button.
void ConfirmBox(const Box &box) {
    SetForegroundWindow(box.window);
    driver::ClickWindow(GetDlgItem(box.window, IDOK));
    driver::WaitUntil([&] { return !IsWindow(box.window); });
}

class Checksumme : public testing::Test {
  protected:
    void StartIdle(const std::string &arguments = "") {
        ASSERT_TRUE(tool.Start(arguments));
        ASSERT_TRUE(tool.WaitForWindow()) << "window 0 did not come up";
        tool.Activate();
    }
    // Replaces the input field's text the way a user does: select all, type.
    void TypeInput(const std::string &text) {
        tool.Click(INPUT_FIELD);
        ASSERT_TRUE(driver::WaitUntil([&] { return tool.Focus() == tool.Control(INPUT_FIELD); }));
        driver::PressKey(VK_HOME);
        driver::PressKey(VK_END, true);
        driver::PressKey(VK_DELETE);
        driver::TypeText(text);
        ASSERT_TRUE(driver::WaitUntil([&] { return tool.Text(INPUT_FIELD) == text; }))
            << "typed " << text << ", field shows " << tool.Text(INPUT_FIELD);
    }
    void Quit() {
        tool.Click(QUIT);
        EXPECT_EQ(tool.WaitForExit(), 0);
    }
    Tool tool;
};

TEST_F(Checksumme, StartsWithTheInputReady) {
    StartIdle();
    HWND window = tool.Window();
    EXPECT_EQ(driver::WindowText(window), texts::WINDOW_TITLE);
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(client.right - client.left, 350);
    EXPECT_EQ(client.bottom - client.top, 180);
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    const std::pair<int, const char *> controls[] = {
        {3, texts::INPUT_LABEL},    {6, texts::INPUT_START},  {9, texts::PASTE_BUTTON},
        {12, texts::FILE_BUTTON},   {5, texts::OUTPUT_LABEL}, {7, ""},
        {8, texts::COMPUTE_BUTTON}, {11, texts::COPY_BUTTON}, {10, texts::QUIT_BUTTON}};
    for (auto [number, text] : controls) {
        ASSERT_NE(tool.Control(number), nullptr) << number;
        EXPECT_EQ(tool.Text(number), text) << number;
    }
    DWORD selection = static_cast<DWORD>(SendMessageA(tool.Control(INPUT_FIELD), EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(selection), 1);
    EXPECT_EQ(HIWORD(selection), 1);
    EXPECT_EQ(tool.Focus(), tool.Control(INPUT_FIELD));
    Quit();
}

TEST_F(Checksumme, VersionRecordAndIcon) {
    std::string exe = driver::ExePath();
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
        tool.Click(COMPUTE);
        EXPECT_TRUE(driver::WaitUntil([&] { return tool.Text(OUTPUT_FIELD) == expected; }))
            << typed << " gave " << tool.Text(OUTPUT_FIELD);
    }
    // An empty input field: the error box, and the output stays.
    TypeInput("");
    tool.Click(COMPUTE);
    Box box = WaitForBox(tool, texts::ERROR_TITLE);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, texts::NO_INPUT);
    ConfirmBox(box);
    EXPECT_EQ(tool.Text(OUTPUT_FIELD), "00");
    Quit();
}

TEST_F(Checksumme, PasteAndCopyThroughTheClipboard) {
    StartIdle();
    // Copy with an empty output field: the error box, the clipboard keeps its text.
    ASSERT_TRUE(driver::WriteClipboard("untouched"));
    tool.Click(COPY);
    Box box = WaitForBox(tool, texts::ERROR_TITLE);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, texts::NO_OUTPUT);
    ConfirmBox(box);
    EXPECT_EQ(driver::ReadClipboard(), "untouched");

    // A line copied from a file, with its line end, pasted and completed.
    ASSERT_TRUE(driver::WriteClipboard(":0000000100\r\n"));
    tool.Activate();
    tool.Click(PASTE);
    ASSERT_TRUE(driver::WaitUntil([&] { return tool.Text(INPUT_FIELD) == ":0000000100\r\n"; }))
        << tool.Text(INPUT_FIELD);
    tool.Click(COMPUTE);
    ASSERT_TRUE(driver::WaitUntil([&] { return tool.Text(OUTPUT_FIELD) == ":00000001FF"; }));
    tool.Click(COPY);
    EXPECT_TRUE(driver::WaitUntil([] { return driver::ReadClipboard() == ":00000001FF"; }));

    // What the user typed into the output field is what gets copied.
    tool.Click(OUTPUT_FIELD);
    driver::PressKey(VK_END);
    driver::TypeText("\xE4\xF6\xFC\xDF"); // äöüß
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return tool.Text(OUTPUT_FIELD) == ":00000001FF\xE4\xF6\xFC\xDF"; }));
    tool.Click(COPY);
    EXPECT_TRUE(
        driver::WaitUntil([] { return driver::ReadClipboard() == ":00000001FF\xE4\xF6\xFC\xDF"; }));

    // Several lines come in whole; a clipboard without text empties the field.
    ASSERT_TRUE(driver::WriteClipboard(":00000001FF\r\n:00000001FF\r\n"));
    tool.Click(PASTE);
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return tool.Text(INPUT_FIELD) == ":00000001FF\r\n:00000001FF\r\n"; }));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    tool.Click(PASTE);
    EXPECT_TRUE(driver::WaitUntil([&] { return tool.Text(INPUT_FIELD).empty(); }));
    Quit();
}

TEST_F(Checksumme, PatchesAFileChosenInTheDialog) {
    std::string folder = testfiles::Folder("checksumme dialog");
    std::string path = folder + "\\records.hex";
    ASSERT_TRUE(testfiles::Write(path, RECORDS_WRONG));
    StartIdle();

    tool.Click(FILE_BUTTON);
    HWND dialog = driver::WaitForTopWindow("#32770", texts::CHOOSE_FILE_TITLE, tool.ProcessId());
    ASSERT_NE(dialog, nullptr);
    driver::WaitUntil([&] { return GetForegroundWindow() == dialog; }, 3000);
    driver::TypeText(path);
    driver::PressKey(VK_RETURN);
    Box box = WaitForBox(tool, texts::PATCHED);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, texts::PATCHED);
    EXPECT_FALSE(box.hasIcon);
    ConfirmBox(box);
    EXPECT_EQ(testfiles::Read(path), RECORDS_RIGHT);

    // Cancelled: the error box with its icon, and nothing is created or changed.
    tool.Activate();
    tool.Click(FILE_BUTTON);
    dialog = driver::WaitForTopWindow("#32770", texts::CHOOSE_FILE_TITLE, tool.ProcessId());
    ASSERT_NE(dialog, nullptr);
    SetForegroundWindow(dialog);
    driver::ClickWindow(GetDlgItem(dialog, IDCANCEL));
    box = WaitForBox(tool, texts::PATCH_ERROR_TITLE);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, texts::NO_VALID_FILE);
    EXPECT_TRUE(box.hasIcon);
    ConfirmBox(box);
    EXPECT_EQ(testfiles::Read(path), RECORDS_RIGHT);
    Quit();
    DeleteFileA(path.c_str());
}

TEST_F(Checksumme, EndsOnEscape) {
    StartIdle();
    driver::PressKey(VK_ESCAPE);
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
    driver::ClickAt(column - 3, row);
    EXPECT_EQ(tool.WaitForExit(), 0);
}

TEST_F(Checksumme, TabOrder) {
    StartIdle();
    const int order[] = {9, 12, 7, 8, 11, 10, 6};
    for (int number : order) {
        driver::PressKey(VK_TAB);
        EXPECT_TRUE(driver::WaitUntil([&] { return tool.Focus() == tool.Control(number); }))
            << "Tab should reach " << number;
    }
    for (int i = 5; i >= 0; --i) {
        driver::PressKey(VK_TAB, true);
        EXPECT_TRUE(driver::WaitUntil([&] { return tool.Focus() == tool.Control(order[i]); }))
            << "Shift+Tab should reach " << order[i];
    }
    Quit();
}

// A file named on the command line is patched and the tool ends by itself.
TEST(CommandLine, PatchesTheNamedFileAndEnds) {
    std::string folder = testfiles::Folder("Pr\xFC"
                                           "f Ordner"); // Prüf Ordner
    std::string path = folder + "\\daten \xE4.hex";     // daten ä.hex
    ASSERT_TRUE(testfiles::Write(path, RECORDS_WRONG));
    Tool tool;
    ASSERT_TRUE(tool.Start("\"" + path + "\""));
    EXPECT_EQ(tool.WaitForExit(10000), 0);
    EXPECT_EQ(testfiles::Read(path), RECORDS_RIGHT);
    DeleteFileA(path.c_str());
}

TEST(CommandLine, MissingFileCreatesNothingAndFails) {
    std::string path = testfiles::Folder("checksumme missing") + "\\nicht da.hex";
    DeleteFileA(path.c_str());
    Tool tool;
    ASSERT_TRUE(tool.Start("\"" + path + "\""));
    EXPECT_EQ(tool.WaitForExit(10000), 1);
    EXPECT_FALSE(testfiles::Exists(path));
}

// An empty quoted argument is no argument: the window stays for the user.
TEST(CommandLine, EmptyArgumentKeepsTheWindow) {
    Tool tool;
    ASSERT_TRUE(tool.Start("\"\""));
    ASSERT_TRUE(tool.WaitForWindow());
    EXPECT_TRUE(tool.Running());
    PostMessageA(tool.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(tool.WaitForExit(), 0);
}

} // namespace
