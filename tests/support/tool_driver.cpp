#include "tests/support/tool_driver.h"

#include <vector>

namespace driver {

std::string WindowsPath(const std::string &unixPath) {
    std::string path = "Z:" + unixPath;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string ExePath() {
    return WindowsPath(CHECKSUMME_EXE);
}

bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

std::string WindowText(HWND window) {
    if (!window) return "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::vector<char> buffer(length + 2, 0);
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    return std::string(buffer.data());
}

namespace {

struct FindRequest {
    const char *className;
    const char *title;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindStep(HWND window, LPARAM param) {
    auto *request = reinterpret_cast<FindRequest *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (request->processId && pid != request->processId) return TRUE;
    if (!IsWindowVisible(window)) return TRUE;
    char className[256] = {};
    GetClassNameA(window, className, sizeof className);
    if (request->className && lstrcmpA(className, request->className) != 0) return TRUE;
    if (request->title && WindowText(window) != request->title) return TRUE;
    request->found = window;
    return FALSE;
}

void SendInputs(std::vector<INPUT> &inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

} // namespace

HWND FindTopWindow(const char *className, const char *title, DWORD processId) {
    FindRequest request{className, title, processId, nullptr};
    EnumWindows(FindStep, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

HWND WaitForTopWindow(const char *className, const char *title, DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(className, title, processId)) != nullptr; },
              timeoutMs);
    return found;
}

namespace {

INPUT MouseInput(DWORD flags, int x, int y) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (x * 65535 + width / 2) / (width - 1);
    input.mi.dy = (y * 65535 + height / 2) / (height - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

void SendMouse(DWORD flags, int x, int y) {
    INPUT input = MouseInput(flags, x, y);
    SendInput(1, &input, sizeof input);
}

} // namespace

// The pointer is moved first and the button pressed only once the pointer is there: under
// Wine a press sent together with its move is now and then lost.
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
    SendMouse(MOUSEEVENTF_LEFTDOWN, x, y);
    SendMouse(MOUSEEVENTF_LEFTUP, x, y);
}

bool ClickControl(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return false;
    int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
    bool there = MoveTo(x, y) && WaitUntil(
                                     [&] {
                                         return WindowFromPoint(POINT{x, y}) == window;
                                     },
                                     2000);
    if (!there) return false;
    SendMouse(MOUSEEVENTF_LEFTDOWN, x, y);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    bool pushed =
        lstrcmpiA(className, "Button") != 0 ||
        WaitUntil([&] { return (SendMessageA(window, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; },
                  2000);
    SendMouse(MOUSEEVENTF_LEFTUP, x, y);
    return pushed;
}

void ClickWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void PressKey(WORD vk, bool shift, bool ctrl) {
    std::vector<INPUT> inputs;
    if (ctrl) inputs.push_back(KeyInput(VK_CONTROL, 0, 0));
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, 0, 0));
    inputs.push_back(KeyInput(vk, 0, 0));
    inputs.push_back(KeyInput(vk, 0, KEYEVENTF_KEYUP));
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP));
    if (ctrl) inputs.push_back(KeyInput(VK_CONTROL, 0, KEYEVENTF_KEYUP));
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

std::string ReadClipboard() {
    std::string text;
    if (!WaitUntil([] { return OpenClipboard(nullptr) != 0; }, 5000)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char *bytes = static_cast<const char *>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool WriteClipboard(const std::string &text) {
    if (!WaitUntil([] { return OpenClipboard(nullptr) != 0; }, 5000)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool stored = false;
    if (block) {
        char *bytes = static_cast<char *>(GlobalLock(block));
        memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        stored = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!stored) GlobalFree(block);
    }
    CloseClipboard();
    return stored;
}

Tool::~Tool() {
    if (process_.hProcess) {
        if (Running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool Tool::Start(const std::string &arguments) {
    std::string commandLine = "\"" + ExePath() + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process_) != 0;
}

bool Tool::WaitForWindow(DWORD timeoutMs) {
    window_ = WaitForTopWindow("WindowClass_0", nullptr, process_.dwProcessId, timeoutMs);
    // The window is complete once its last control (the quit button) stands and the focus
    // has gone to the input field.
    return window_ && WaitUntil([this] { return Control(10) && Focus() == Control(6); }, timeoutMs);
}

int Tool::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
}

bool Tool::Running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Tool::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

void Tool::Activate() const {
    SetForegroundWindow(window_);
    WaitUntil([this] { return GetForegroundWindow() == window_; }, 3000);
}

void Tool::Click(int number) const {
    ClickControl(Control(number));
}

} // namespace driver
