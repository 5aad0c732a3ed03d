// SPDX-License-Identifier: MIT
#include "ui/clipboard.h"

#include "runtime/strings.h"
#include "runtime/wide_text.h"

#include <windows.h>

#include <cstring>

// The text comes as UTF-16 and is given in Windows-1252; a character that it lacks becomes "?".
char *ReadClipboardText(int32_t resultStart) {
    if (!OpenClipboard(nullptr)) return Windows1252FromWide(nullptr, 0, resultStart);
    HANDLE handle = GetClipboardData(CF_UNICODETEXT);
    const auto *units = handle ? static_cast<const wchar_t *>(GlobalLock(handle)) : nullptr;
    if (!units) {
        CloseClipboard();
        return Windows1252FromWide(nullptr, 0, resultStart);
    }
    // The block's size bounds the text, whatever another program put there.
    size_t size = GlobalSize(handle) / sizeof(wchar_t);
    size_t length = 0;
    while (length < size && units[length] != 0)
        ++length;
    if (length > static_cast<size_t>(INT32_MAX / 4)) length = INT32_MAX / 4;
    char *result = Windows1252FromWide(units, static_cast<int32_t>(length), resultStart);
    GlobalUnlock(handle);
    CloseClipboard();
    return result;
}

// The new block is filled before the clipboard is emptied, so that a failure leaves the old
// content in place.
void *WriteClipboardText(const char *text) {
    if (!OpenClipboard(nullptr)) return nullptr;
    WideText units;
    units.FromWindows1252(text);
    size_t size = (static_cast<size_t>(units.Length()) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, size);
    void *bytes = block ? GlobalLock(block) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        CloseClipboard();
        return nullptr;
    }
    std::memcpy(bytes, units.Get(), size);
    GlobalUnlock(block);
    EmptyClipboard();
    HANDLE result = SetClipboardData(CF_UNICODETEXT, block);
    if (!result) GlobalFree(block);
    CloseClipboard();
    return result;
}
