// SPDX-License-Identifier: MIT
#include "tests/support/gui.h"

#include "tests/support/temp_files.h"

#include "ui/controls.h"

#include <commctrl.h>

#include <cstring>

namespace gui {

bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

// A thread timer wakes WaitForEvent every few milliseconds, so that it never blocks past the
// deadline; unlike a posted message, a timer tick never comes before input.
bool PumpUntil(const std::function<bool(EventCode)> &done, DWORD timeoutMs) {
    UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    DWORD start = GetTickCount();
    bool met = false;
    while (!met && GetTickCount() - start < timeoutMs)
        met = done(WaitForEvent());
    KillTimer(nullptr, timer);
    return met;
}

bool PumpUntilState(const std::function<bool()> &holds, DWORD timeoutMs) {
    return holds() || PumpUntil([&](EventCode) { return holds(); }, timeoutMs);
}

// Posted messages come in order: once a marker posted now comes back, everything before it has
// been handled. Paints that are due come first.
std::vector<EventCode> Drain() {
    constexpr UINT MARKER = WM_APP + 77;
    for (HWND window : TopWindows())
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) UpdateWindow(window);
    PostThreadMessageA(GetCurrentThreadId(), MARKER, 0, 0);
    std::vector<EventCode> events;
    PumpUntil([&](EventCode event) {
        if (event != WM_TIMER && event != static_cast<EventCode>(MARKER)) events.push_back(event);
        return event == static_cast<EventCode>(MARKER);
    });
    return events;
}

std::string WindowText(HWND window) {
    if (!window) return "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::vector<char> buffer(length + 2, 0);
    SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &length);
    return buffer.data();
}

std::string ClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

void SendInputs(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void SendMouse(DWORD flags, int x, int y) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (x * 65535 + width / 2) / (width - 1);
    input.mi.dy = (y * 65535 + height / 2) / (height - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

bool OpenClipboardSoon() {
    return WaitUntil([] { return OpenClipboard(nullptr) != 0; }, 5000);
}

} // namespace

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::vector<HWND> TopWindows() {
    std::vector<HWND> windows, visible;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (IsWindowVisible(window)) visible.push_back(window);
    return visible;
}

HWND WaitForWindow(const char *className, const char *title, DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindows()) {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if ((!processId || process == processId) &&
                    (!className || ClassName(window) == className) &&
                    (!title || WindowText(window) == title))
                    return (found = window) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool WaitClosed(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); });
}

// A window of the test thread comes to the front only while the thread handles its messages.
bool Activate(HWND window) {
    SetForegroundWindow(window);
    auto front = [&] { return GetForegroundWindow() == window; };
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        return PumpUntilState(front);
    return WaitUntil(front, 5000);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

POINT Centre(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The pointer is moved first and the button pressed only once the pointer is there: under Wine
// a press sent together with its move is now and then lost. Press and release still carry their
// point (a move the platform drops while the pointer is there): without it they land where the
// pointer is, and Wine moves it back when a window's thread replays an older X pointer event.
bool MoveTo(int x, int y) {
    SendMouse(MOUSEEVENTF_MOVE, x, y);
    return WaitUntil(
        [&] {
            POINT cursor{};
            GetCursorPos(&cursor);
            return cursor.x == x && cursor.y == y;
        },
        2000);
}

void ClickAt(int x, int y) {
    MoveTo(x, y);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, x, y);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, x, y);
}

void ClickWindow(HWND window) {
    POINT centre = Centre(window);
    ClickAt(centre.x, centre.y);
}

// A control of another thread: the pointer must be over it first, and a push button is let go
// only once it shows itself pushed. False when either did not happen in time.
bool ClickControl(HWND control) {
    POINT centre = Centre(control);
    if (!MoveTo(centre.x, centre.y) ||
        !WaitUntil([&] { return WindowFromPoint(centre) == control; }, 2000))
        return false;
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, centre.x, centre.y);
    bool pushed =
        lstrcmpiA(ClassName(control).c_str(), "Button") != 0 ||
        WaitUntil([&] { return (SendMessageA(control, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; },
                  2000);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, centre.x, centre.y);
    return pushed;
}

void PressKey(WORD key, std::initializer_list<WORD> modifiers) {
    auto input = [](WORD vk, DWORD flags) {
        return KeyInput(vk, static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), flags);
    };
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers)
        inputs.push_back(input(modifier, 0));
    inputs.push_back(input(key, 0));
    inputs.push_back(input(key, KEYEVENTF_KEYUP));
    for (auto modifier = std::rbegin(modifiers); modifier != std::rend(modifiers); ++modifier)
        inputs.push_back(input(*modifier, KEYEVENTF_KEYUP));
    SendInputs(inputs);
}

void TypeText(const std::string &text) {
    std::vector<INPUT> inputs;
    for (char c : text) {
        WCHAR wide = 0;
        MultiByteToWideChar(1252, 0, &c, 1, &wide, 1);
        inputs.push_back(KeyInput(0, wide, KEYEVENTF_UNICODE));
        inputs.push_back(KeyInput(0, wide, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    SendInputs(inputs);
}

bool ReplaceText(HWND field, const std::string &text) {
    ClickControl(field);
    if (!WaitUntil([&] { return FocusOf(field) == field; })) return false;
    PressKey(VK_HOME);
    PressKey(VK_END, {VK_SHIFT});
    PressKey(VK_DELETE);
    TypeText(text);
    return WaitUntil([&] { return WindowText(field) == text; });
}

std::string ReadClipboard() {
    if (!OpenClipboardSoon()) return "<not opened>";
    std::string text = "<none>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char *block = static_cast<const char *>(GlobalLock(data))) {
            size_t size = GlobalSize(data);
            text.assign(block, strnlen(block, size));
            if (text.size() == size) text += "<unterminated>";
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool WriteClipboard(const std::string &text) {
    if (!OpenClipboardSoon()) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool stored = false;
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        stored = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!stored) GlobalFree(block);
    }
    CloseClipboard();
    return stored;
}

bool ClearClipboard() {
    if (!OpenClipboardSoon()) return false;
    EmptyClipboard();
    CloseClipboard();
    return true;
}

ThreadWindow::ThreadWindow(const std::function<HWND()> &create,
                           const std::function<void(HWND)> &release) {
    thread_ = std::thread([this, create, release] {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue
        HWND window = create();
        window_ = window;
        threadId_ = GetCurrentThreadId();
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        if (release) release(window);
        DestroyWindow(window);
    });
    WaitUntil([this] { return threadId_.load() != 0; });
}

ThreadWindow::~ThreadWindow() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

Box ReadBox(HWND box) {
    Box view;
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child)) continue;
        std::string className = ClassName(child);
        if (lstrcmpiA(className.c_str(), "Button") == 0) {
            view.buttons.insert(GetDlgCtrlID(child));
        } else if (lstrcmpiA(className.c_str(), "Static") == 0) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                view.icon = view.icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
            else if (std::string text = WindowText(child); !text.empty())
                view.text = text;
        }
    }
    return view;
}

std::string WindowsPath(const std::string &unixPath) {
    std::string path = "Z:" + unixPath;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

bool StartProcess(const std::string &commandLine, PROCESS_INFORMATION &process, HANDLE output) {
    std::wstring buffer = testfiles::Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                          nullptr, &startup, &process) != 0;
}

std::string UnixScratch(const std::string &name) {
    char prefix[1024] = {};
    DWORD got = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    std::string base = got > 0 && got < sizeof prefix ? prefix : "/tmp";
    return base + "/checksumme_" + name + "_" + std::to_string(GetCurrentProcessId());
}

bool RunUnixCommand(const std::string &command, DWORD timeoutMs) {
    static int runs = 0;
    std::string done = UnixScratch("done") + "_" + std::to_string(++runs);
    PROCESS_INFORMATION process{};
    if (!StartProcess("/bin/sh -c \"" + command + "; : > " + done + "\"", process)) return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    bool finished = WaitUntil(
        [&] { return GetFileAttributesA(WindowsPath(done).c_str()) != INVALID_FILE_ATTRIBUTES; },
        timeoutMs);
    DeleteFileA(WindowsPath(done).c_str());
    return finished;
}

Tool::~Tool() {
    if (!process_.hProcess) return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

bool Tool::Start(const std::string &arguments, const std::string &outputPath) {
    std::string commandLine = "\"" + WindowsPath(CHECKSUMME_EXE) + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    HANDLE output = nullptr;
    if (!outputPath.empty()) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        output = CreateFileW(testfiles::Wide(outputPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                             &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (output == INVALID_HANDLE_VALUE) return false;
    }
    bool started = StartProcess(commandLine, process_, output);
    if (output) CloseHandle(output); // the tool holds its own copy
    return started;
}

// The window is complete once its last control (the quit button) stands and the focus has gone
// to the input field.
bool Tool::WaitForWindow() {
    window_ = gui::WaitForWindow("WindowClass_0", nullptr, process_.dwProcessId, 15000);
    return window_ &&
           WaitUntil([this] { return Control(QUIT_BUTTON) && Focus() == Control(INPUT_FIELD); });
}

int Tool::WaitForExit() {
    if (WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
}

bool Tool::Running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void MainControlsTest::SetUpTestSuite() {
    InitWindowLibrary();
    InitControlLibrary();
    InitCommonControls();
}

// Real input reaches only the foreground window: a click on an empty spot of the client area,
// then the event loop until the platform agrees that the window is in front.
void MainControlsTest::SetUp() {
    const char *title = testing::UnitTest::GetInstance()->current_test_suite()->name();
    window = OpenNumberedWindow(MAIN_WINDOW, WINDOW_X, WINDOW_Y, WINDOW_WIDTH, WINDOW_HEIGHT, title,
                                MAIN_WINDOW_OPTIONS);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(OpenControlList(window), window);
    for (const Placement &p : MAIN_CONTROLS)
        ASSERT_NE(CreatePlacedControl(p, p.number), 0) << "control " << p.number;
    SetForegroundWindow(window);
    POINT spot{175, 165};
    ClientToScreen(window, &spot);
    ClickAt(spot.x, spot.y);
    ASSERT_TRUE(PumpUntilState([&] {
        return GetForegroundWindow() == window && GetActiveWindow() == window;
    })) << "the test window did not come to the foreground";
}

HWND MainControlsTest::Handle(int32_t number) {
    ControlRecord *record = LookupControl(number);
    return record ? record->handle : nullptr;
}

} // namespace gui
