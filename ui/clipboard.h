// SPDX-License-Identifier: MIT
/*
 * Clipboard text: CF_UNICODETEXT, exchanged as Windows-1252 Strings (a character that it lacks
 * reads as "?"); line ends and all other characters as they are.
 *
 * ReadClipboardText gives the clipboard's text up to its first zero byte at the result start
 * (runtime/strings.h), or "" when the clipboard cannot be opened or holds no text.
 * WriteClipboardText stores the text (a missing text as ""), and returns the handle the
 * clipboard accepted, or 0 when nothing was stored; then the clipboard keeps its old content.
 * The clipboard is opened with no owner and closed again within each call.
 */
#pragma once

#include <cstdint>

char *ReadClipboardText(int32_t resultStart);
void *WriteClipboardText(const char *text);
