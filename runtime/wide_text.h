// SPDX-License-Identifier: MIT
/*
 * Texts at the platform boundary.
 *
 * Inside the program a path is a UTF-8 String and a text the user reads is a Windows-1252
 * String; the system's W calls take UTF-16. A WideText holds one such text converted to UTF-16
 * with its zero, in a main-heap block that it frees; a missing String converts to "". Back from
 * UTF-16, Utf8FromWide and Windows1252FromWide give a String at the result start
 * (runtime/strings.h) from the first length units of text, or up to its zero when length is
 * negative; a null text gives "".
 *
 * Paths go both ways unchanged, also names that are not valid UTF-16: a lone surrogate is kept
 * as its own three-byte sequence (the form that UTF-8 would give it) and comes back as it was
 * (the platform's conversion, runtime/platform.h). Bytes that are no UTF-8 become U+FFFD. A
 * character that Windows-1252 lacks becomes "?". Memory shortage ends the process (exit code 3), as
 * for every String.
 */
#pragma once

#include <cstdint>

class WideText {
  public:
    WideText() = default;
    WideText(const WideText &) = delete;
    WideText &operator=(const WideText &) = delete;
    ~WideText();

    const wchar_t *FromUtf8(const char *text);
    const wchar_t *FromWindows1252(const char *text);
    // Exactly length bytes, zero bytes among them.
    const wchar_t *FromWindows1252(const char *bytes, int32_t length);
    const wchar_t *Get() const { return text_ ? text_ : L""; }
    int32_t Length() const { return length_; } // UTF-16 units, without the zero

  private:
    wchar_t *Allocate(int32_t length);
    wchar_t *text_ = nullptr; // owned, main heap
    int32_t length_ = 0;
};

char *Utf8FromWide(const wchar_t *text, int32_t length, int32_t resultStart);
char *Windows1252FromWide(const wchar_t *text, int32_t length, int32_t resultStart);
