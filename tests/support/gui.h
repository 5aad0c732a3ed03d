// SPDX-License-Identifier: MIT
/*
 * What every GUI test needs, written once: waits with a deadline, the windows of the display,
 * real mouse and keyboard input (SendInput), the clipboard read and written past the product,
 * message boxes read as a user sees them, the real checksumme.exe started and driven as a user
 * would, and the main window's controls built by the libraries in the test process.
 *
 * Nothing sleeps a fixed time: every wait polls for a window or a state and gives up at its
 * deadline, returning false, null or "". WaitUntil polls without touching the caller's message
 * queue (for windows of other threads and processes); PumpUntil runs the window library's event
 * loop (for the test thread's own windows).
 */
#pragma once

#include "app/main_layout.h"
#include "ui/numbered_windows.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace gui {

using namespace layout;

bool WaitUntil(const std::function<bool()> &cond, DWORD timeoutMs = 10000);
bool PumpUntil(const std::function<bool(EventCode)> &done, DWORD timeoutMs = 5000);
bool PumpUntilState(const std::function<bool()> &holds, DWORD timeoutMs = 5000);
std::vector<EventCode> Drain(); // every event up to a message posted now

std::string WindowText(HWND window);
std::string ClassName(HWND window);
std::vector<HWND> Children(HWND parent);
std::vector<HWND> TopWindows(); // visible ones only
HWND WaitForWindow(const char *className, const char *title, DWORD processId = 0,
                   DWORD timeoutMs = 10000); // null class, title or process: any
bool WaitClosed(HWND window);
bool Activate(HWND window); // in the foreground, as after a user's click on it
HWND FocusOf(HWND window);  // the focus in the window's thread

POINT Centre(HWND window); // in screen coordinates
bool MoveTo(int x, int y);
void ClickAt(int x, int y);
void ClickWindow(HWND window); // the centre, at once: for the test thread's own windows
bool ClickControl(HWND control);
void PressKey(WORD key, std::initializer_list<WORD> modifiers = {});
void TypeText(const std::string &text);                // Windows-1252
bool ReplaceText(HWND field, const std::string &text); // click, select all, type

std::string ReadClipboard(); // "<none>" without text; "<unterminated>" added to a block without 0
bool WriteClipboard(const std::string &text);
bool ClearClipboard();

// A window made by create in a second thread, which runs a message loop until this object goes;
// release(window) then runs in that thread before the window is destroyed.
class ThreadWindow {
  public:
    explicit ThreadWindow(const std::function<HWND()> &create,
                          const std::function<void(HWND)> &release = nullptr);
    ThreadWindow(const ThreadWindow &) = delete;
    ThreadWindow &operator=(const ThreadWindow &) = delete;
    ~ThreadWindow();
    HWND Handle() const { return window_; }

  private:
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<HWND> window_{nullptr};
};

struct Box {
    std::string text;
    std::set<int> buttons; // the visible buttons' control ids
    bool icon = false;
};
Box ReadBox(HWND box);

// A Unix path of this run's own for name: in the folder of the run's Wine prefix, which no
// other checkout or architecture shares (in /tmp where there is none), with the process id.
std::string UnixScratch(const std::string &name);

std::string WindowsPath(const std::string &unixPath); // Wine maps / to Z:\ .
// Starts a program; with an output handle, that is its standard output and error.
bool StartProcess(const std::string &commandLine, PROCESS_INFORMATION &process,
                  HANDLE output = nullptr);
// Runs a command with the Unix /bin/sh and waits until it has finished (Wine starts a Unix program
// given by its Unix path, but its process cannot be waited on, so the command leaves a file).
bool RunUnixCommand(const std::string &command, DWORD timeoutMs = 10000);

// The real checksumme.exe: ended when still running at the end of the test.
class Tool {
  public:
    Tool() = default;
    Tool(const Tool &) = delete;
    Tool &operator=(const Tool &) = delete;
    ~Tool();

    // With an output path, the tool's standard output goes to that file, made anew.
    bool Start(const std::string &arguments = "", const std::string &outputPath = "");
    bool WaitForWindow(); // window 0 stands complete, the focus in its input field
    int WaitForExit();    // the exit code, -1 on a timeout
    bool Running() const;

    HWND Window() const { return window_; }
    HWND Control(int number) const { return GetDlgItem(window_, number); }
    std::string Text(int number) const { return WindowText(Control(number)); }
    HWND Focus() const { return FocusOf(window_); }
    DWORD ProcessId() const { return process_.dwProcessId; }
    DWORD ThreadId() const { return process_.dwThreadId; } // the thread of its window

  private:
    PROCESS_INFORMATION process_{}; // owned; closed by the destructor
    HWND window_ = nullptr;
};

// The nine main controls in window 0 of the test process, in the foreground; closed after each
// test.
class MainControlsTest : public testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override { DestroyNumberedWindow(MAIN_WINDOW); }
    static HWND Handle(int32_t number); // the control's window, or null

    HWND window = nullptr;
};

} // namespace gui
