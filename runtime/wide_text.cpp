// SPDX-License-Identifier: MIT
#include "runtime/wide_text.h"

#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <windows.h>

namespace {

constexpr UINT WINDOWS_1252 = 1252;

int32_t UnitsOf(const wchar_t *text, int32_t length) {
    if (!text) return 0;
    if (length >= 0) return length;
    int32_t units = 0;
    while (text[units])
        ++units;
    return units;
}

} // namespace

WideText::~WideText() {
    MainHeapFree(text_);
}

wchar_t *WideText::Allocate(int32_t length) {
    MainHeapFree(text_);
    text_ = static_cast<wchar_t *>(MainHeapAlloc((static_cast<size_t>(length) + 1) * 2));
    length_ = length;
    text_[length] = 0;
    return text_;
}

const wchar_t *WideText::FromUtf8(const char *text) {
    const char *bytes = text ? text : "";
    Utf16FromUtf8(bytes, Allocate(Utf16FromUtf8(bytes, nullptr)));
    return text_;
}

const wchar_t *WideText::FromWindows1252(const char *text) {
    return FromWindows1252(text, StringLength(text));
}

const wchar_t *WideText::FromWindows1252(const char *text, int32_t length) {
    int32_t units = length ? MultiByteToWideChar(WINDOWS_1252, 0, text, length, nullptr, 0) : 0;
    wchar_t *out = Allocate(units);
    if (units) MultiByteToWideChar(WINDOWS_1252, 0, text, length, out, units);
    return text_;
}

char *Utf8FromWide(const wchar_t *text, int32_t length, int32_t resultStart) {
    int32_t units = UnitsOf(text, length);
    int64_t bytes = Utf8FromUtf16(text, units, nullptr);
    if (bytes > INT32_MAX / 2) bytes = 0; // no String is that long
    char *result = ReserveResult(static_cast<int32_t>(bytes), resultStart);
    if (bytes) Utf8FromUtf16(text, units, result);
    result[bytes] = 0;
    return result;
}

char *Windows1252FromWide(const wchar_t *text, int32_t length, int32_t resultStart) {
    int32_t units = UnitsOf(text, length);
    int32_t bytes = units ? WideCharToMultiByte(WINDOWS_1252, WC_NO_BEST_FIT_CHARS, text, units,
                                                nullptr, 0, "?", nullptr)
                          : 0;
    char *result = ReserveResult(bytes, resultStart);
    if (bytes)
        WideCharToMultiByte(WINDOWS_1252, WC_NO_BEST_FIT_CHARS, text, units, result, bytes, "?",
                            nullptr);
    result[bytes] = 0;
    return result;
}
