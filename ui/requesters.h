/*
 * Modal requesters: message boxes and the file-open dialog.
 *
 * Around each modal call the thread's other visible, enabled top-level windows (all but the
 * foreground window) are disabled and enabled again afterwards; the owner is the foreground
 * window when it belongs to this process. ChooseFileToOpen reads its filter as label and
 * pattern pairs separated by vertical bars and gives the chosen path at the result start
 * (runtime/strings.h), or "" when the dialog was cancelled or failed, or when its memory could
 * not be had (then no dialog shows). A default path is split
 * at its last backslash (after the first character) into folder and file name; a default path
 * of 260 characters or more is refused: no dialog, the result is "".
 */
#pragma once

#include <windows.h>

#include <cstdint>

int32_t ShowMessageBox(const char *title, const char *text, uint32_t flags = 0);
char *ChooseFileToOpen(const char *title, const char *defaultPath, const char *filter,
                       int32_t patternIndex, int32_t resultStart);
HWND OwnerWindow();
void DisableOtherWindows();
void EnableOtherWindows();
int32_t IsValidFileName(const char *name);

// The pieces of ChooseFileToOpen, for tests. ConvertFilter writes the pair list (every bar a
// zero byte, two zero bytes at the end) into out, which has room for the filter's length + 2.
void ConvertFilter(const char *filter, char *out);
// Splits path into folder (everything before the last backslash after the first character)
// and file name; without such a backslash the folder is "" and the file name is the path.
// Returns the offset of the file name in path and the folder's length.
void SplitDefaultPath(const char *path, int32_t *folderLength, int32_t *nameOffset);
