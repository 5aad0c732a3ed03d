// SPDX-License-Identifier: MIT
#include "ui/requesters.h"

#include "ui/dialog_texts.h"

#include "runtime/registry.h"
#include "runtime/strings.h"
#include "runtime/wide_text.h"

#include <commdlg.h>

#include <cstring>

namespace {

constexpr int32_t PATH_SIZE = 260;    // a default path this long or longer is refused
constexpr int32_t PATH_UNITS = 32768; // the longest path Windows knows, with its zero
constexpr DWORD DIALOG_OPTIONS =
    OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(DIALOG_OPTIONS == 0x8080C);

struct DisabledWindow {
    DWORD thread;
    HWND window;
};

ListNode *disabledWindows = nullptr; // newest first

BOOL CALLBACK DisableStep(HWND window, LPARAM foreground) {
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (window == reinterpret_cast<HWND>(foreground)) return TRUE;
    EnableWindow(window, FALSE);
    auto *entry =
        static_cast<DisabledWindow *>(AllocListNode(&disabledWindows, sizeof(DisabledWindow)));
    entry->thread = GetCurrentThreadId();
    entry->window = window;
    return TRUE;
}

// Shows the dialog; returns the chosen path (UTF-16) in a main-heap block the caller frees, or
// null when the dialog was cancelled or failed, or its blocks could not be had.
wchar_t *RunOpenDialog(const char *title, const char *defaultPath, const char *filter,
                       int32_t patternIndex);

} // namespace

HWND OwnerWindow() {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

void DisableOtherWindows() {
    EnumWindows(DisableStep, reinterpret_cast<LPARAM>(GetForegroundWindow()));
}

void EnableOtherWindows() {
    DWORD thread = GetCurrentThreadId();
    ListNode *node = disabledWindows;
    while (node) {
        ListNode *older = node->next;
        auto *entry = static_cast<DisabledWindow *>(RecordOf(node));
        if (entry->thread == thread) {
            EnableWindow(entry->window, TRUE);
            FreeListNode(&disabledWindows, entry);
        }
        node = older;
    }
}

int32_t ShowMessageBox(const char *title, const char *text, uint32_t flags) {
    DisableOtherWindows();
    WideText wideText, wideTitle;
    wideText.FromWindows1252(text);
    wideTitle.FromWindows1252(title);
    int32_t result = MessageBoxW(OwnerWindow(), wideText.Get(), wideTitle.Get(), flags);
    EnableOtherWindows();
    return result;
}

int32_t IsValidFileName(const char *name) {
    if (!name || !name[0]) return 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p)
        if (*p < 32 || std::strchr("\"\\/:*?<>|", *p)) return 0;
    return 1;
}

namespace {

// The dialog takes paths of any length that Windows' dialog hands back: its buffer holds the
// longest path Windows knows, and the file is opened as any long path is (runtime/wide_text.h).
wchar_t *RunOpenDialog(const char *title, const char *defaultPath, const char *filter,
                       int32_t patternIndex) {
    const char *filterText = filter ? filter : "";
    int32_t filterLength = StringLength(filterText);
    auto *file = static_cast<wchar_t *>(MainHeapTryAlloc(PATH_UNITS * sizeof(wchar_t)));
    auto *filterCopy = static_cast<char *>(MainHeapTryAlloc(static_cast<size_t>(filterLength) + 2));
    BOOL ok = FALSE;
    if (file && filterCopy) {
        ConvertFilter(filterText, filterCopy);
        WideText wideFilter, folder, wideTitle;
        wideFilter.FromWindows1252(filterCopy, filterLength + 2); // with both closing zeros
        if (defaultPath) {
            int32_t folderLength = 0, nameOffset = 0;
            SplitDefaultPath(defaultPath, &folderLength, &nameOffset);
            WorkspaceScope scope;
            folder.FromUtf8(LeftPart(defaultPath, folderLength, scope.Start()));
            const char *name = defaultPath + nameOffset;
            if (IsValidFileName(name)) {
                WideText wideName;
                wideName.FromUtf8(name);
                // Shorter than PATH_SIZE, checked by the caller.
                std::memcpy(file, wideName.Get(), (wideName.Length() + 1) * sizeof(wchar_t));
            }
        }
        OPENFILENAMEW dialog{};
        dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W; // the first layout
        dialog.hwndOwner = OwnerWindow();
        dialog.lpstrFilter = wideFilter.Get();
        dialog.nFilterIndex = static_cast<DWORD>(patternIndex + 1);
        dialog.lpstrFile = file;
        dialog.nMaxFile = PATH_UNITS;
        dialog.lpstrInitialDir = defaultPath ? folder.Get() : nullptr;
        dialog.lpstrTitle = wideTitle.FromWindows1252(title);
        dialog.Flags = DIALOG_OPTIONS;
        DisableOtherWindows();
        ok = GetOpenFileNameW(&dialog);
        EnableOtherWindows();
    }
    MainHeapFree(filterCopy);
    if (ok) {
        file[PATH_UNITS - 1] = 0;
        return file;
    }
    MainHeapFree(file);
    return nullptr;
}

} // namespace

char *ChooseFileToOpen(const char *title, const char *defaultPath, const char *filter,
                       int32_t patternIndex, int32_t resultStart) {
    bool refused = defaultPath && std::strlen(defaultPath) >= PATH_SIZE;
    wchar_t *file = refused ? nullptr : RunOpenDialog(title, defaultPath, filter, patternIndex);
    char *result = Utf8FromWide(file, -1, resultStart);
    MainHeapFree(file);
    return result;
}
