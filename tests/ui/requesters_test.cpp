// SPDX-License-Identifier: MIT
// Requesters: the filter, path and name rules called directly; message boxes and the file-open
// dialog opened for real in the test thread and answered from a second thread with real
// clicks and keys, as a user would.
#include "ui/requesters.h"
#include "ui/dialog_texts.h"

#include "app/texts.h"
#include "runtime/strings.h"
#include "tests/support/gui.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_files.h"

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

// A popup window of the thread that creates it, shown without taking the foreground.
HWND Popup(const char *title, int x, bool visible, bool enabled) {
    HWND window = CreateWindowExA(0, "Static", title, WS_POPUP | WS_BORDER, x, 20, 160, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EnableWindow(window, enabled);
    if (visible) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// The visible dialogs ("#32770") of one thread.
std::vector<HWND> DialogsOf(DWORD thread) {
    std::vector<HWND> dialogs;
    for (HWND window : gui::TopWindows())
        if (GetWindowThreadProcessId(window, nullptr) == thread &&
            gui::ClassName(window) == "#32770")
            dialogs.push_back(window);
    return dialogs;
}

// A user in a second thread answers the dialog that the test thread opens. Whatever the user
// leaves open is cancelled afterwards, so a failed step never hangs the test thread.
template <typename Result>
Result WithUser(const std::function<Result()> &modal, const std::function<void()> &user) {
    DWORD testThread = GetCurrentThreadId();
    std::thread second([&] {
        user();
        gui::WaitUntil(
            [&] {
                for (HWND dialog : DialogsOf(testThread)) {
                    std::set<int> buttons = gui::ReadBox(dialog).buttons;
                    int button = GetDlgItem(dialog, IDCANCEL) || buttons.empty() ? IDCANCEL
                                                                                 : *buttons.begin();
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

// The requester with that title, once it is up and in front as after the user's click on it;
// null if it did not come.
HWND FrontDialog(const char *title) {
    HWND dialog = gui::WaitForWindow("#32770", title, GetCurrentProcessId(), 15000);
    return dialog && gui::Activate(dialog) ? dialog : nullptr;
}

// ---- Message boxes ----

enum class Answer { CLICK, ENTER, ESCAPE };

struct BoxCase {
    int32_t flags; // -1: the two-argument form
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
        {-1, {IDOK}, Answer::ENTER, IDOK, false},
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
        gui::Box seen;
        bool closed = false;
        int32_t result = WithUser<int32_t>(
            [&] {
                return c.flags < 0 ? ShowMessageBox(title, text)
                                   : ShowMessageBox(title, text, static_cast<uint32_t>(c.flags));
            },
            [&] {
                HWND box = FrontDialog(title);
                if (!box) return;
                seen = gui::ReadBox(box);
                if (c.answer == Answer::CLICK)
                    gui::ClickControl(GetDlgItem(box, c.button));
                else
                    gui::PressKey(c.answer == Answer::ENTER ? VK_RETURN : VK_ESCAPE);
                closed = gui::WaitClosed(box);
            });
        EXPECT_TRUE(closed) << "the box did not close on the user's answer";
        EXPECT_EQ(result, c.button);
        EXPECT_EQ(seen.text, text);
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.icon, c.icon);
    }
}

// The windows around one requester: the front one (made foreground unless another process's
// window is in front), another visible one, one disabled before, one hidden, and one of
// another thread. The user thread notes whether each is enabled while the requester is open.
class Surroundings : public testing::Test {
  protected:
    static void SetUpTestSuite() { InitWindowLibrary(); }
    ~Surroundings() override {
        for (HWND window : {front, other, disabled, hidden})
            DestroyWindow(window);
    }
    // What the user sees while the requester titled title is open (extra: one more window
    // whose state is noted); then a click on Cancel, or on OK where there is no Cancel.
    void AnswerAndRead(const char *title, HWND extra = nullptr) {
        HWND requester = FrontDialog(title);
        if (!requester) return;
        owner = GetWindow(requester, GW_OWNER);
        for (HWND window : {front, other, disabled, hidden, otherThread.Handle(), extra})
            if (window) enabled.push_back(IsWindowEnabled(window) != 0);
        HWND cancel = GetDlgItem(requester, IDCANCEL);
        gui::ClickControl(IsWindowVisible(cancel) ? cancel : GetDlgItem(requester, IDOK));
        gui::WaitClosed(requester);
    }
    void ExpectRestored() const {
        EXPECT_TRUE(IsWindowEnabled(front));
        EXPECT_TRUE(IsWindowEnabled(other));
        EXPECT_FALSE(IsWindowEnabled(disabled)) << "was disabled before, stays so";
        EXPECT_TRUE(IsWindowEnabled(hidden));
        EXPECT_TRUE(IsWindowEnabled(otherThread.Handle()));
    }

    HWND front = Popup("front", 20, true, true);
    HWND other = Popup("other", 200, true, true);
    HWND disabled = Popup("disabled", 380, true, false);
    HWND hidden = Popup("hidden", 560, false, true);
    gui::ThreadWindow otherThread{[] { return Popup("other thread", 900, true, true); }};
    HWND owner = nullptr;
    std::vector<bool> enabled; // front, other, disabled, hidden, other thread's, extra
};

using MessageBoxSurroundings = Surroundings;

// The owner is disabled while its box is open, as any owner of a modal window; a hidden window
// and another thread's are left alone.
TEST_F(MessageBoxSurroundings, OwnForegroundWindowOwnsTheBoxTheOthersAreDisabled) {
    ASSERT_TRUE(gui::Activate(front));
    int32_t result = WithUser<int32_t>([] { return ShowMessageBox("Besitzer", "eigener"); },
                                       [&] { AnswerAndRead("Besitzer"); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(owner, front);
    EXPECT_EQ(enabled, (std::vector<bool>{false, false, false, true, true}));
    ExpectRestored();
}

TEST_F(MessageBoxSurroundings, ForeignForegroundWindowGivesNoOwnerAndAllOwnWindowsAreDisabled) {
    gui::Tool tool;
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.WaitForWindow());
    ASSERT_TRUE(gui::Activate(tool.Window()));
    int32_t result = WithUser<int32_t>([] { return ShowMessageBox("Fremd", "fremder"); },
                                       [&] { AnswerAndRead("Fremd", tool.Window()); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(owner, nullptr);
    // The last one is the tool's: another process's window is left alone.
    EXPECT_EQ(enabled, (std::vector<bool>{false, false, false, true, true, true}));
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
    for (HWND child : gui::Children(combo))
        if (lstrcmpiA(gui::ClassName(child).c_str(), "Edit") == 0) return child;
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
    for (HWND child : gui::Children(dialog)) {
        if (gui::ClassName(child) != WC_LISTVIEWA) continue;
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

class FileDialog : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = testfiles::Folder("requesters_dialog");
        folder_.pop_back(); // without its closing backslash
        testfiles::Write(folder_ + "\\a.eep", ":00000001FF\r\n");
        testfiles::Write(folder_ + "\\b.hex", ":00000001FF\r\n");
        testfiles::Write(folder_ + "\\c.txt", "text\r\n");
    }
    // The dialog opened in the test thread, answered by user(dialog) once it is in front.
    static std::string ChooseWithUser(const std::string &defaultPath, int32_t patternIndex,
                                      const std::function<void(HWND)> &user) {
        return WithUser<std::string>([&] { return Choose(defaultPath.c_str(), patternIndex); },
                                     [&] {
                                         if (HWND dialog = FrontDialog(texts::CHOOSE_FILE_TITLE))
                                             user(dialog);
                                     });
    }
    static std::string folder_;
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
        std::string result = ChooseWithUser(folder_ + "\\", c.patternIndex, [&](HWND dialog) {
            HWND combo = GetDlgItem(dialog, cmb1);
            types = ComboItems(combo);
            LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
            if (index >= 0 && static_cast<size_t>(index) < types.size())
                selected = types[static_cast<size_t>(index)];
            name = gui::WindowText(NameField(dialog));
            gui::WaitUntil([&] { return !(listed = Listed(dialog)).empty(); });
            gui::PressKey(VK_ESCAPE);
            closed = gui::WaitClosed(dialog);
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
    std::string typed;       // empty: the initial name stays
    Answer answer;           // Enter, Escape, or a click on Cancel
    std::string expected;
};

// The typed or initial name with Enter gives its path; Escape or Cancel gives "", also after a
// name was typed.
TEST_F(FileDialog, ReturnsThePathTheUserEntersAndNothingWhenCancelled) {
    std::string longestName(259 - folder_.size() - 1, 'n'); // the longest default path that fits
    const TypedCase cases[] = {
        {"", "", folder_ + "\\a.eep", Answer::ENTER, folder_ + "\\a.eep"},
        {"", "", folder_ + "\\neu.eep", Answer::ENTER, folder_ + "\\neu.eep"}, // not there yet
        {folder_ + "\\", "", "b.hex", Answer::ENTER, folder_ + "\\b.hex"}, // in the default folder
        {folder_ + "\\x.hex", "x.hex", "", Answer::ENTER, folder_ + "\\x.hex"},
        {folder_ + "\\a?.hex", "", "c.txt", Answer::ENTER, folder_ + "\\c.txt"}, // invalid: dropped
        {"", "", "a.eep", Answer::CLICK, ""},
        {"", "", "a.eep", Answer::ESCAPE, ""},
        {folder_ + "\\" + longestName, longestName, "", Answer::ESCAPE, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("default \"" + c.defaultPath + "\", typed \"" + c.typed + "\"");
        std::string initialName = "<none>";
        bool typed = false, closed = false;
        std::string result = ChooseWithUser(c.defaultPath, 0, [&](HWND dialog) {
            initialName = gui::WindowText(NameField(dialog));
            typed = c.typed.empty() || gui::ReplaceText(NameField(dialog), c.typed);
            if (c.answer == Answer::CLICK)
                gui::ClickControl(GetDlgItem(dialog, IDCANCEL));
            else
                gui::PressKey(c.answer == Answer::ENTER ? VK_RETURN : VK_ESCAPE);
            closed = gui::WaitClosed(dialog);
        });
        EXPECT_EQ(initialName, c.initialName);
        EXPECT_TRUE(typed);
        EXPECT_TRUE(closed);
        EXPECT_EQ(result, c.expected);
    }
}

// One character more than the longest default path that fits, or no memory for the dialog's
// blocks, and there is no dialog at all.
TEST_F(FileDialog, DefaultPathOf260CharactersOrNoMemoryGivesNothingWithoutDialog) {
    DWORD testThread = GetCurrentThreadId();
    for (size_t length : {260, 261, 400, 0}) { // 0: a short path, but no memory
        std::string tooLong = length
                                  ? folder_ + "\\" + std::string(length - folder_.size() - 1, 'n')
                                  : folder_ + "\\a.eep";
        std::atomic<bool> returned{false};
        bool dialogSeen = false;
        std::string result = WithUser<std::string>(
            [&] {
                faults::Scope scope;
                if (length == 0) { // the dialog's path block of 32,768 UTF-16 units
                    faults::OnlyAllocationsOf(32768 * sizeof(wchar_t));
                    faults::Fail(faults::ALLOCATE, -1);
                }
                std::string path = Choose(tooLong.c_str());
                returned = true;
                return path;
            },
            [&] {
                // Watches until the call returns; a dialog that shows up is noted (and then
                // cancelled by WithUser).
                gui::WaitUntil([&] {
                    dialogSeen = dialogSeen || !DialogsOf(testThread).empty();
                    return returned || dialogSeen;
                });
            });
        EXPECT_FALSE(dialogSeen) << length;
        EXPECT_EQ(result, "") << length;
    }
}

using FileDialogSurroundings = Surroundings;

TEST_F(FileDialogSurroundings, FileDialogIsOwnedByTheForegroundWindowAndDisablesTheOthers) {
    ASSERT_TRUE(gui::Activate(front));
    std::string result = WithUser<std::string>([&] { return Choose(""); },
                                               [&] { AnswerAndRead(texts::CHOOSE_FILE_TITLE); });
    EXPECT_EQ(result, "");
    EXPECT_EQ(owner, front);
    EXPECT_EQ(enabled, (std::vector<bool>{false, false, false, true, true}));
    ExpectRestored();
}

} // namespace
