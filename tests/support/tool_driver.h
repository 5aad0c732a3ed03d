/*
 * Drives the real checksumme.exe from a test process, as a user would: starts it, finds its
 * window and controls, clicks with real mouse input, types with real keystrokes, reads texts,
 * finds message boxes and dialogs, and collects the exit code. Every wait polls for a window
 * or a state with a deadline; nothing sleeps a fixed time.
 */
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace driver {

// The Windows path of a file given by its Unix path (Wine maps / to Z:\).
std::string WindowsPath(const std::string &unixPath);
std::string ExePath();

// Polls cond every few milliseconds until it holds or timeoutMs has passed.
bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs = 10000);

std::string WindowText(HWND window);
HWND FindTopWindow(const char *className, const char *title, DWORD processId);
HWND WaitForTopWindow(const char *className, const char *title, DWORD processId,
                      DWORD timeoutMs = 10000);

// Moves the pointer and waits until it is there; false when it did not get there in time.
bool MoveTo(int x, int y);
void ClickAt(int x, int y);
void ClickWindow(HWND window); // the centre of the window
// A user's click on a control of another thread: the pointer goes there first, and a push button
// is let go only once it shows itself pushed. False when either did not happen in time.
bool ClickControl(HWND window);
void PressKey(WORD vk, bool shift = false, bool ctrl = false);
void TypeText(const std::string &text); // Windows-1252 text as real key input

std::string ReadClipboard(); // "" if there is no text
bool WriteClipboard(const std::string &text);

class Tool {
  public:
    Tool() = default;
    Tool(const Tool &) = delete;
    Tool &operator=(const Tool &) = delete;
    ~Tool();

    // Starts the exe with the given argument text (as it follows the program name).
    bool Start(const std::string &arguments = "");
    // Waits for window 0 and its input field to be up. False if it did not appear.
    bool WaitForWindow(DWORD timeoutMs = 15000);
    // Waits for the process to end; returns its exit code, or -1 on a timeout.
    int WaitForExit(DWORD timeoutMs = 15000);
    bool Running() const;

    HWND Window() const { return window_; }
    HWND Control(int number) const { return GetDlgItem(window_, number); }
    std::string Text(int number) const { return WindowText(Control(number)); }
    HWND Focus() const;
    DWORD ProcessId() const { return process_.dwProcessId; }
    void Activate() const;
    void Click(int number) const;

  private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

} // namespace driver
