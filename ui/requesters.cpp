#include "ui/requesters.h"

#include "runtime/registry.h"
#include "runtime/strings.h"

#include <commdlg.h>

#include <cstring>

namespace {

constexpr int32_t PATH_SIZE = 260;
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

// A zero-filled copy with a spare byte; null when the heap has no room.
char *CopyWithRoom(const char *text) {
    size_t length = std::strlen(text);
    auto *copy = static_cast<char *>(MainHeapTryAlloc(length + 2));
    if (copy) std::memcpy(copy, text, length);
    return copy;
}

// Shows the dialog; returns the chosen path in a main-heap block the caller frees, or null when
// the dialog was cancelled or failed, or its blocks could not be had.
char *RunOpenDialog(const char *title, const char *defaultPath, const char *filter,
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
    int32_t result = MessageBoxA(OwnerWindow(), text ? text : "", title ? title : "", flags);
    EnableOtherWindows();
    return result;
}

int32_t IsValidFileName(const char *name) {
    if (!name || !name[0]) return 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p)
        if (*p < 32 || std::strchr("\"\\/:*?<>|", *p)) return 0;
    return 1;
}

void ConvertFilter(const char *filter, char *out) {
    size_t length = filter ? std::strlen(filter) : 0;
    for (size_t i = 0; i < length; ++i)
        out[i] = filter[i] == '|' ? 0 : filter[i];
    out[length] = 0;
    out[length + 1] = 0;
}

void SplitDefaultPath(const char *path, int32_t *folderLength, int32_t *nameOffset) {
    const char *slash = path[0] ? std::strrchr(path + 1, '\\') : nullptr;
    *folderLength = slash ? static_cast<int32_t>(slash - path) : 0;
    *nameOffset = slash ? *folderLength + 1 : 0;
}

namespace {

char *RunOpenDialog(const char *title, const char *defaultPath, const char *filter,
                    int32_t patternIndex) {
    const char *filterText = filter ? filter : "";
    auto *file = static_cast<char *>(MainHeapTryAlloc(PATH_SIZE));
    auto *filterCopy = static_cast<char *>(MainHeapTryAlloc(std::strlen(filterText) + 2));
    char *folder = defaultPath ? CopyWithRoom(defaultPath) : nullptr;
    BOOL ok = FALSE;
    if (file && filterCopy && (folder || !defaultPath)) {
        ConvertFilter(filterText, filterCopy);
        if (defaultPath) {
            int32_t folderLength = 0, nameOffset = 0;
            SplitDefaultPath(defaultPath, &folderLength, &nameOffset);
            folder[folderLength] = 0;
            // Shorter than PATH_SIZE, checked by the caller.
            std::memcpy(file, defaultPath + nameOffset, std::strlen(defaultPath + nameOffset) + 1);
            if (!IsValidFileName(file)) file[0] = 0;
        }
        OPENFILENAMEA dialog{};
        dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // the first layout
        dialog.hwndOwner = OwnerWindow();
        dialog.lpstrFilter = filterCopy;
        dialog.nFilterIndex = static_cast<DWORD>(patternIndex + 1);
        dialog.lpstrFile = file;
        dialog.nMaxFile = PATH_SIZE;
        dialog.lpstrInitialDir = folder;
        dialog.lpstrTitle = title;
        dialog.Flags = DIALOG_OPTIONS;
        DisableOtherWindows();
        ok = GetOpenFileNameA(&dialog);
        EnableOtherWindows();
    }
    MainHeapFree(filterCopy);
    MainHeapFree(folder);
    if (ok) return file;
    MainHeapFree(file);
    return nullptr;
}

} // namespace

char *ChooseFileToOpen(const char *title, const char *defaultPath, const char *filter,
                       int32_t patternIndex, int32_t resultStart) {
    bool refused = defaultPath && std::strlen(defaultPath) >= PATH_SIZE;
    char *file = refused ? nullptr : RunOpenDialog(title, defaultPath, filter, patternIndex);
    char *result = ReserveResult(PATH_SIZE, resultStart);
    int32_t length = file ? static_cast<int32_t>(strnlen(file, PATH_SIZE - 1)) : 0;
    if (length > 0) std::memcpy(result, file, static_cast<size_t>(length));
    result[length] = 0;
    GiveBackResult(PATH_SIZE - length);
    MainHeapFree(file);
    return result;
}
