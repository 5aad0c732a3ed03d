// SPDX-License-Identifier: MIT
/*
 * Modal requesters: message boxes and the file-open dialog.
 *
 * Around each modal call the thread's other visible, enabled top-level windows (all but the
 * foreground window) are disabled and enabled again afterwards; the owner is the foreground
 * window when it belongs to this process. ChooseFileToOpen reads its filter as label and
 * pattern pairs separated by vertical bars (ui/dialog_texts.h) and gives the chosen path at the
 * result start
 * (runtime/strings.h), or "" when the dialog was cancelled or failed, or when its memory could
 * not be had (then no dialog shows). A default path is split
 * at its last backslash (after the first character) into folder and file name; a default path
 * of 260 characters or more is refused: no dialog, the result is "".
 */
#pragma once

#include <windows.h>

#include <cstdint>

constexpr uint32_t MESSAGE_ERROR_ICON = MB_ICONHAND; // 16: a box with the error icon
int32_t ShowMessageBox(const char *title, const char *text, uint32_t flags = 0);
char *ChooseFileToOpen(const char *title, const char *defaultPath, const char *filter,
                       int32_t patternIndex, int32_t resultStart);
HWND OwnerWindow();
void DisableOtherWindows();
void EnableOtherWindows();
int32_t IsValidFileName(const char *name);
