// Requesters: the filter, path and name rules called directly; message boxes and the file-open
// dialog opened for real in the test thread and answered from a second thread with real
// clicks and keys, as a user would.
#include "ui/requesters.h"

#include "app/texts.h"
#include "runtime/strings.h"
#include "tests/support/temp_files.h"
#include "tests/support/tool_driver.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

template <size_t N> std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// ---- The pure pieces ----

struct FilterCase {
    const char *filter;
    std::string expected; // with both closing zero bytes
};

TEST(ConvertFilter, TurnsBarsIntoZeroBytesAndEndsWithTwo) {
    const FilterCase cases[] = {
        {texts::FILE_FILTER, Bytes("Vorlax (.eep)\0*.eep\0Vorlax (*.hex)\0*.hex\0\0")},
        {"", Bytes("\0\0")},
        {nullptr, Bytes("\0\0")},
        {"Texte (*.txt)", Bytes("Texte (*.txt)\0\0")},
        {"a|b", Bytes("a\0b\0\0")},
        {"|", Bytes("\0\0\0")},
        {"a||b|", Bytes("a\0\0b\0\0\0")},
        {"a\xA6"
         "b|c",
         Bytes("a\xA6"
               "b\0c\0\0")}, // the broken bar of Windows-1252 is not a separator
    };
    for (const auto &c : cases) {
        size_t room = c.expected.size();
        std::vector<char> out(room + 8, '\x5A');
        ConvertFilter(c.filter, out.data());
        const char *shown = c.filter ? c.filter : "(missing)";
        EXPECT_EQ(std::string(out.data(), room), c.expected) << shown;
        EXPECT_EQ(std::string(out.data() + room, 8), std::string(8, '\x5A'))
            << shown << ": written beyond length + 2";
    }
}

struct SplitCase {
    const char *path;
    const char *folder;
    const char *name;
};

TEST(SplitDefaultPath, SplitsAtTheLastBackslashAfterTheFirstCharacter) {
    const SplitCase cases[] = {
        {"C:\\data\\a.hex", "C:\\data", "a.hex"},
        {"C:\\data\\", "C:\\data", ""},
        {"C:\\a.hex", "C:", "a.hex"},
        {"a.hex", "", "a.hex"},
        {"", "", ""},
        {"\\x", "", "\\x"}, // the only backslash is the first character: it stays in the name
        {"\\", "", "\\"},
        {"\\\\x", "\\", "x"},
        {"\\\\server\\share\\f.eep", "\\\\server\\share", "f.eep"},
        {"C:/data/a.hex", "", "C:/data/a.hex"}, // slashes do not split
        {"C:\\d\xE4t\xE4\\\xFC.eep", "C:\\d\xE4t\xE4", "\xFC.eep"},
    };
    for (const auto &c : cases) {
        int32_t folderLength = -1, nameOffset = -1;
        SplitDefaultPath(c.path, &folderLength, &nameOffset);
        std::string path = c.path;
        ASSERT_GE(folderLength, 0) << c.path;
        ASSERT_LE(static_cast<size_t>(nameOffset), path.size()) << c.path;
        EXPECT_EQ(path.substr(0, static_cast<size_t>(folderLength)), c.folder) << c.path;
        EXPECT_EQ(path.substr(static_cast<size_t>(nameOffset)), c.name) << c.path;
    }
}

TEST(IsValidFileName, RefusesEmptyNamesControlBytesAndReservedCharacters) {
    std::vector<std::pair<std::string, int32_t>> cases = {
        {"a.hex", 1},
        {" ", 1},
        {"Pr\xFC"
         "fung.eep",
         1}, // Windows-1252 letters are bytes above 127, not below 32
        {"\xE4\xF6\xFC\xDF\xC4", 1},
        {"\x80\xFF", 1},
        {"\x7F", 1},
        {"", 0},
        {"\x01", 0},
        {"a\x1F", 0},
        {"a\tb", 0},
        {"a\r\n", 0},
    };
    for (char reserved : std::string("\"\\/:*?<>|")) {
        cases.push_back({std::string(1, reserved), 0});
        cases.push_back({std::string("name") + reserved + ".eep", 0});
        cases.push_back({std::string("name.eep") + reserved, 0});
    }
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(IsValidFileName(name.c_str()), expected) << "\"" << name << "\"";
    EXPECT_EQ(IsValidFileName(nullptr), 0);
}

// ---- Real windows ----

// Waits while the test thread keeps its own windows answering.
bool PumpUntil(const std::function<bool()> &cond, DWORD timeoutMs = 10000) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (cond()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

const char *WindowClass() {
    static ATOM atom = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "RequestersTestWindow";
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        return RegisterClassA(&windowClass);
    }();
    return atom ? "RequestersTestWindow" : nullptr;
}

// A top-level popup window of the thread that creates it, shown without taking the foreground.
class TestWindow {
  public:
    TestWindow(const char *title, int x, bool visible, bool enabled) {
        DWORD style = WS_POPUP | WS_BORDER | (enabled ? 0 : WS_DISABLED);
        window_ = CreateWindowExA(0, WindowClass(), title, style, x, 20, 160, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        if (visible) ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    TestWindow(const TestWindow &) = delete;
    TestWindow &operator=(const TestWindow &) = delete;
    ~TestWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

  private:
    HWND window_; // owned; destroyed with this object
};

// A visible window that belongs to another thread of this process, with its own message loop.
class OtherThreadWindow {
  public:
    OtherThreadWindow() {
        thread_ = std::thread([this] {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue
            TestWindow window("other thread", 900, true, true);
            threadId_ = GetCurrentThreadId();
            window_ = window.Handle();
            while (GetMessageA(&message, nullptr, 0, 0) > 0)
                DispatchMessageA(&message);
        });
        driver::WaitUntil([this] { return window_.load() != nullptr; });
    }
    OtherThreadWindow(const OtherThreadWindow &) = delete;
    OtherThreadWindow &operator=(const OtherThreadWindow &) = delete;
    ~OtherThreadWindow() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND Handle() const { return window_; }

  private:
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<HWND> window_{nullptr};
};

bool MakeForeground(HWND window) {
    SetForegroundWindow(window);
    return PumpUntil([&] { return GetForegroundWindow() == window; }, 5000);
}

bool IsButton(HWND window) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, "Button") == 0;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0)
        reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

// The visible dialogs ("#32770") of one thread.
std::vector<HWND> DialogsOf(DWORD thread) {
    std::vector<HWND> dialogs;
    EnumThreadWindows(thread, CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

// A user in a second thread answers the dialog that the test thread opens. Whatever the user
// leaves open is cancelled afterwards, so a failed step never hangs the test thread.
template <typename Result>
Result WithUser(const std::function<Result()> &modal, const std::function<void()> &user) {
    DWORD testThread = GetCurrentThreadId();
    std::thread second([&] {
        user();
        driver::WaitUntil(
            [&] {
                for (HWND dialog : DialogsOf(testThread)) {
                    int button = IDCANCEL;
                    if (!GetDlgItem(dialog, IDCANCEL))
                        for (HWND child : Children(dialog))
                            if (IsButton(child) && IsWindowVisible(child))
                                button = GetDlgCtrlID(child);
                    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                }
                return DialogsOf(testThread).empty();
            },
            15000);
    });
    Result result = modal();
    second.join();
    return result;
}

HWND WaitForDialog(const char *title, DWORD timeoutMs = 15000) {
    HWND dialog = nullptr;
    driver::WaitUntil(
        [&] {
            return (dialog = FindWindowA("#32770", title)) != nullptr && IsWindowVisible(dialog);
        },
        timeoutMs);
    return dialog;
}

// Brings the dialog to the front, as the user's click on it would.
bool Activate(HWND dialog) {
    SetForegroundWindow(dialog);
    return driver::WaitUntil([&] { return GetForegroundWindow() == dialog; }, 5000);
}

bool WaitClosed(HWND dialog) {
    return driver::WaitUntil([&] { return !IsWindow(dialog); }, 10000);
}

HWND FocusOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
}

// ---- Message boxes ----

struct BoxView {
    std::string text;
    std::set<int> buttons; // the visible buttons' control ids
    bool icon = false;
};

BoxView ReadBox(HWND box) {
    BoxView view;
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child)) continue;
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        if (IsButton(child)) {
            view.buttons.insert(GetDlgCtrlID(child));
        } else if (lstrcmpiA(className, "Static") == 0) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                view.icon = view.icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
            else if (std::string text = driver::WindowText(child); !text.empty())
                view.text = text;
        }
    }
    return view;
}

enum class Answer { CLICK, ENTER, ESCAPE };

struct BoxCase {
    uint32_t flags;
    std::set<int> buttons;
    Answer answer;
    int button; // clicked, or the one the key should give
    bool icon;
};

TEST(ShowMessageBox, ShowsTitleTextAndButtonsAndReturnsTheAnswer) {
    const char *title = "Pr\xFC"
                        "fung"; // Prüfung
    const char *text = "Die Zeile enth\xE4lt\r\nkeine Pr\xFC"
                       "fsumme."; // enthält, Prüfsumme
    const BoxCase cases[] = {
        {MB_OK, {IDOK}, Answer::CLICK, IDOK, false},
        {MB_OK, {IDOK}, Answer::ENTER, IDOK, false},
        {MB_ICONHAND, {IDOK}, Answer::CLICK, IDOK, true},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, Answer::CLICK, IDCANCEL, false},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, Answer::ESCAPE, IDCANCEL, false},
        {MB_YESNO, {IDYES, IDNO}, Answer::CLICK, IDYES, false},
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, Answer::CLICK, IDNO, true},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, Answer::ESCAPE, IDCANCEL, false},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, Answer::CLICK, IDRETRY, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << ", answer " << c.button);
        BoxView seen;
        bool closed = false;
        int32_t result = WithUser<int32_t>(
            [&] { return ShowMessageBox(title, text, c.flags); },
            [&] {
                HWND box = WaitForDialog(title);
                if (!box || !Activate(box)) return;
                seen = ReadBox(box);
                if (c.answer == Answer::CLICK)
                    driver::ClickControl(GetDlgItem(box, c.button));
                else
                    driver::PressKey(c.answer == Answer::ENTER ? VK_RETURN : VK_ESCAPE);
                closed = WaitClosed(box);
            });
        EXPECT_TRUE(closed) << "the box did not close on the user's answer";
        EXPECT_EQ(result, c.button);
        EXPECT_EQ(seen.text, text);
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.icon, c.icon);
    }
}

TEST(ShowMessageBox, TwoArgumentFormShowsAPlainOkBox) {
    BoxView seen;
    int32_t result = WithUser<int32_t>([] { return ShowMessageBox("Hinweis", "Fertig."); },
                                       [&] {
                                           HWND box = WaitForDialog("Hinweis");
                                           if (!box || !Activate(box)) return;
                                           seen = ReadBox(box);
                                           driver::PressKey(VK_RETURN);
                                           WaitClosed(box);
                                       });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.text, "Fertig.");
    EXPECT_EQ(seen.buttons, std::set<int>{IDOK});
    EXPECT_FALSE(seen.icon);
}

// What the user thread sees of the test thread's windows while a requester is open.
struct WindowStates {
    HWND owner = nullptr;
    bool front = false, other = false, disabled = false, hidden = false, otherThread = false;
};

// The windows around one requester: the front one (made foreground unless another process's
// window is in front), another visible one, one disabled before, one hidden, and one of
// another thread.
class Surroundings : public testing::Test {
  protected:
    WindowStates Read(HWND requester) const {
        WindowStates states;
        states.owner = GetWindow(requester, GW_OWNER);
        states.front = IsWindowEnabled(front.Handle());
        states.other = IsWindowEnabled(other.Handle());
        states.disabled = IsWindowEnabled(disabled.Handle());
        states.hidden = IsWindowEnabled(hidden.Handle());
        states.otherThread = IsWindowEnabled(otherThread.Handle());
        return states;
    }
    void ExpectRestored() const {
        EXPECT_TRUE(IsWindowEnabled(front.Handle()));
        EXPECT_TRUE(IsWindowEnabled(other.Handle()));
        EXPECT_FALSE(IsWindowEnabled(disabled.Handle())) << "was disabled before, stays so";
        EXPECT_TRUE(IsWindowEnabled(hidden.Handle()));
        EXPECT_TRUE(IsWindowEnabled(otherThread.Handle()));
    }

    TestWindow front{"front", 20, true, true};
    TestWindow other{"other", 200, true, true};
    TestWindow disabled{"disabled", 380, true, false};
    TestWindow hidden{"hidden", 560, false, true};
    OtherThreadWindow otherThread;
};

using MessageBoxSurroundings = Surroundings;

TEST_F(MessageBoxSurroundings, OwnForegroundWindowOwnsTheBoxTheOthersAreDisabled) {
    ASSERT_TRUE(MakeForeground(front.Handle()));
    WindowStates seen;
    int32_t result = WithUser<int32_t>([] { return ShowMessageBox("Besitzer", "eigener"); },
                                       [&] {
                                           HWND box = WaitForDialog("Besitzer");
                                           if (!box) return;
                                           seen = Read(box);
                                           if (!Activate(box)) return;
                                           driver::ClickControl(GetDlgItem(box, IDOK));
                                           WaitClosed(box);
                                       });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.owner, front.Handle());
    EXPECT_FALSE(seen.other);
    EXPECT_FALSE(seen.disabled);
    EXPECT_TRUE(seen.hidden) << "a hidden window is left alone";
    EXPECT_TRUE(seen.otherThread) << "another thread's window is left alone";
    ExpectRestored();
}

TEST_F(MessageBoxSurroundings, ForeignForegroundWindowGivesNoOwnerAndAllOwnWindowsAreDisabled) {
    // The tool quits when it finds Escape pressed since the last query, and the boxes of the
    // tests before pressed it: that press is taken here.
    GetAsyncKeyState(VK_ESCAPE);
    driver::Tool tool;
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.WaitForWindow());
    tool.Activate();
    ASSERT_EQ(GetForegroundWindow(), tool.Window());
    WindowStates seen;
    bool toolEnabled = false;
    int32_t result = WithUser<int32_t>([] { return ShowMessageBox("Fremd", "fremder"); },
                                       [&] {
                                           HWND box = WaitForDialog("Fremd");
                                           if (!box) return;
                                           seen = Read(box);
                                           toolEnabled = IsWindowEnabled(tool.Window());
                                           if (!Activate(box)) return;
                                           driver::PressKey(VK_RETURN);
                                           WaitClosed(box);
                                       });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_FALSE(seen.front);
    EXPECT_FALSE(seen.other);
    EXPECT_FALSE(seen.disabled);
    EXPECT_TRUE(seen.hidden);
    EXPECT_TRUE(seen.otherThread);
    EXPECT_TRUE(toolEnabled) << "another process's window is left alone";
    ExpectRestored();
}

// ---- The file-open dialog ----

std::string Choose(const char *defaultPath, int32_t patternIndex = 0) {
    WorkspaceScope scope;
    char *result = ChooseFileToOpen(texts::CHOOSE_FILE_TITLE, defaultPath, texts::FILE_FILTER,
                                    patternIndex, scope.Start());
    std::string path = result;
    EXPECT_EQ(WorkspacePosition(), scope.Start() + static_cast<int32_t>(path.size()))
        << "the unused part of the reservation is given back";
    return path;
}

// The file name field: an edit control, in some dialog layouts inside a combo box.
HWND NameField(HWND dialog) {
    if (HWND edit = GetDlgItem(dialog, edt1)) return edit;
    HWND combo = GetDlgItem(dialog, cmb13);
    if (!combo) return nullptr;
    for (HWND child : Children(combo)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Edit") == 0) return child;
    }
    return nullptr;
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string item(static_cast<size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, 0);
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(item.c_str());
    }
    return items;
}

// The names the dialog's file list shows.
std::set<std::string> Listed(HWND dialog) {
    std::set<std::string> names;
    for (HWND child : Children(dialog)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpA(className, WC_LISTVIEWA) != 0) continue;
        int count = static_cast<int>(SendMessageA(child, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char name[MAX_PATH] = {};
            LVITEMA item{};
            item.iSubItem = 0;
            item.pszText = name;
            item.cchTextMax = sizeof name;
            SendMessageA(child, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            names.insert(name);
        }
    }
    return names;
}

// Replaces the name field's text with real keys: a click into it, select all, type.
bool TypeName(HWND dialog, DWORD dialogThread, const std::string &text) {
    HWND field = NameField(dialog);
    if (!field) return false;
    driver::ClickControl(field);
    if (!driver::WaitUntil([&] { return FocusOf(dialogThread) == field; })) return false;
    driver::PressKey(VK_HOME);
    driver::PressKey(VK_END, true);
    driver::PressKey(VK_DELETE);
    driver::TypeText(text);
    return driver::WaitUntil([&] { return driver::WindowText(field) == text; });
}

class FileDialog : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = testfiles::Folder("requesters_dialog");
        testfiles::Write(folder_ + "\\a.eep", ":00000001FF\r\n");
        testfiles::Write(folder_ + "\\b.hex", ":00000001FF\r\n");
        testfiles::Write(folder_ + "\\c.txt", "text\r\n");
    }
    static std::string folder_;
    DWORD thread_ = GetCurrentThreadId();
};
std::string FileDialog::folder_;

struct ListingCase {
    int32_t patternIndex;
    const char *selectedType;
    std::set<std::string> listed;
};

TEST_F(FileDialog, OpensWithTitleAndFilterAndListsTheChosenPattern) {
    const ListingCase cases[] = {
        {0, "Vorlax (.eep)", {"a.eep"}},
        {1, "Vorlax (*.hex)", {"b.hex"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.selectedType);
        std::vector<std::string> types;
        std::string selected, name = "<none>";
        std::set<std::string> listed;
        bool closed = false;
        std::string path = folder_ + "\\";
        std::string result = WithUser<std::string>(
            [&] { return Choose(path.c_str(), c.patternIndex); },
            [&] {
                HWND dialog = WaitForDialog(texts::CHOOSE_FILE_TITLE);
                if (!dialog) return;
                HWND combo = GetDlgItem(dialog, cmb1);
                types = ComboItems(combo);
                LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
                if (index >= 0 && static_cast<size_t>(index) < types.size())
                    selected = types[static_cast<size_t>(index)];
                name = driver::WindowText(NameField(dialog));
                driver::WaitUntil([&] { return !(listed = Listed(dialog)).empty(); });
                if (!Activate(dialog)) return;
                driver::PressKey(VK_ESCAPE);
                closed = WaitClosed(dialog);
            });
        EXPECT_TRUE(closed);
        EXPECT_EQ(types, (std::vector<std::string>{"Vorlax (.eep)", "Vorlax (*.hex)"}));
        EXPECT_EQ(selected, c.selectedType);
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(name, "") << "a default path ending in a backslash gives no name";
        EXPECT_EQ(result, "");
    }
}

struct TypedCase {
    std::string defaultPath;
    std::string initialName; // what the name field shows when the dialog opens
    std::string typed;       // empty: Enter on the initial name
    std::string expected;
};

TEST_F(FileDialog, ReturnsThePathTheUserEnters) {
    const TypedCase cases[] = {
        {"", "", folder_ + "\\a.eep", folder_ + "\\a.eep"},
        {"", "", folder_ + "\\neu.eep", folder_ + "\\neu.eep"}, // does not exist yet
        {folder_ + "\\", "", "b.hex", folder_ + "\\b.hex"},     // in the default folder
        {folder_ + "\\x.hex", "x.hex", "", folder_ + "\\x.hex"},
        {folder_ + "\\a?.hex", "", "c.txt", folder_ + "\\c.txt"}, // invalid default name dropped
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("default \"" + c.defaultPath + "\", typed \"" + c.typed + "\"");
        std::string initialName = "<none>";
        bool typed = false, closed = false;
        std::string result =
            WithUser<std::string>([&] { return Choose(c.defaultPath.c_str()); },
                                  [&] {
                                      HWND dialog = WaitForDialog(texts::CHOOSE_FILE_TITLE);
                                      if (!dialog) return;
                                      initialName = driver::WindowText(NameField(dialog));
                                      if (!Activate(dialog)) return;
                                      typed = c.typed.empty() || TypeName(dialog, thread_, c.typed);
                                      if (!typed) return;
                                      driver::PressKey(VK_RETURN);
                                      closed = WaitClosed(dialog);
                                  });
        EXPECT_EQ(initialName, c.initialName);
        EXPECT_TRUE(typed);
        EXPECT_TRUE(closed);
        EXPECT_EQ(result, c.expected);
    }
}

TEST_F(FileDialog, CancelGivesEmptyPath) {
    for (bool click : {true, false}) {
        SCOPED_TRACE(click ? "Cancel clicked" : "Escape pressed");
        bool closed = false;
        std::string result =
            WithUser<std::string>([&] { return Choose(""); },
                                  [&] {
                                      HWND dialog = WaitForDialog(texts::CHOOSE_FILE_TITLE);
                                      if (!dialog || !Activate(dialog)) return;
                                      TypeName(dialog, thread_, "a.eep");
                                      if (click)
                                          driver::ClickControl(GetDlgItem(dialog, IDCANCEL));
                                      else
                                          driver::PressKey(VK_ESCAPE);
                                      closed = WaitClosed(dialog);
                                  });
        EXPECT_TRUE(closed);
        EXPECT_EQ(result, "");
    }
}

// The longest default path that fits opens the dialog with its name; one more character and
// there is no dialog at all.
TEST_F(FileDialog, DefaultPathOf260CharactersIsRefusedWithoutDialog) {
    std::string name(259 - folder_.size() - 1, 'n');
    std::string longest = folder_ + "\\" + name;
    ASSERT_EQ(longest.size(), 259u);
    std::string shown = "<none>";
    std::string result = WithUser<std::string>([&] { return Choose(longest.c_str()); },
                                               [&] {
                                                   HWND dialog =
                                                       WaitForDialog(texts::CHOOSE_FILE_TITLE);
                                                   if (!dialog) return;
                                                   shown = driver::WindowText(NameField(dialog));
                                                   if (!Activate(dialog)) return;
                                                   driver::PressKey(VK_ESCAPE);
                                                   WaitClosed(dialog);
                                               });
    EXPECT_EQ(shown, name);
    EXPECT_EQ(result, "");

    for (size_t length : {260, 261, 400}) {
        std::string tooLong = folder_ + "\\" + std::string(length - folder_.size() - 1, 'n');
        std::atomic<bool> returned{false};
        bool dialogSeen = false;
        result = WithUser<std::string>(
            [&] {
                std::string path = Choose(tooLong.c_str());
                returned = true;
                return path;
            },
            [&] {
                // Watches until the call returns; a dialog that shows up is noted (and then
                // cancelled by WithUser).
                driver::WaitUntil([&] {
                    dialogSeen = dialogSeen || !DialogsOf(thread_).empty();
                    return returned || dialogSeen;
                });
            });
        EXPECT_FALSE(dialogSeen) << length;
        EXPECT_EQ(result, "") << length;
    }
}

using FileDialogSurroundings = Surroundings;

TEST_F(FileDialogSurroundings, FileDialogIsOwnedByTheForegroundWindowAndDisablesTheOthers) {
    ASSERT_TRUE(MakeForeground(front.Handle()));
    WindowStates seen;
    std::string result =
        WithUser<std::string>([&] { return Choose(""); },
                              [&] {
                                  HWND dialog = WaitForDialog(texts::CHOOSE_FILE_TITLE);
                                  if (!dialog) return;
                                  seen = Read(dialog);
                                  if (!Activate(dialog)) return;
                                  driver::ClickControl(GetDlgItem(dialog, IDCANCEL));
                                  WaitClosed(dialog);
                              });
    EXPECT_EQ(result, "");
    EXPECT_EQ(seen.owner, front.Handle());
    EXPECT_FALSE(seen.other);
    EXPECT_FALSE(seen.disabled);
    EXPECT_TRUE(seen.hidden);
    EXPECT_TRUE(seen.otherThread);
    ExpectRestored();
}

} // namespace
