#include "ui/clipboard.h"

#include "runtime/strings.h"

#include <windows.h>

#include <cstring>

char *ReadClipboardText(int32_t resultStart) {
    char *result = ReserveResult(0, resultStart);
    result[0] = 0;
    if (!OpenClipboard(nullptr)) return result;
    HANDLE handle = GetClipboardData(CF_TEXT);
    const char *bytes = handle ? static_cast<const char *>(GlobalLock(handle)) : nullptr;
    if (bytes) {
        // The block's size bounds the text, whatever another program put there.
        size_t size = GlobalSize(handle);
        size_t length = strnlen(bytes, size);
        if (length > static_cast<size_t>(INT32_MAX / 2)) length = INT32_MAX / 2;
        result = ReserveResult(static_cast<int32_t>(length), resultStart);
        std::memcpy(result, bytes, length);
        result[length] = 0;
        GlobalUnlock(handle);
    }
    CloseClipboard();
    return result;
}

// The new block is filled before the clipboard is emptied, so that a failure leaves the old
// content in place.
void *WriteClipboardText(const char *text) {
    if (!OpenClipboard(nullptr)) return nullptr;
    size_t length = static_cast<size_t>(StringLength(text));
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, length + 1);
    char *bytes = block ? static_cast<char *>(GlobalLock(block)) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        CloseClipboard();
        return nullptr;
    }
    if (length > 0) std::memcpy(bytes, text, length);
    bytes[length] = 0;
    GlobalUnlock(block);
    EmptyClipboard();
    HANDLE result = SetClipboardData(CF_TEXT, block);
    if (!result) GlobalFree(block);
    CloseClipboard();
    return result;
}
