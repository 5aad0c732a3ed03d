// SPDX-License-Identifier: MIT
// The platform layer on Windows, its texts: UTF-8 to UTF-16 and back, as paths and the command
// line take them.
#include "runtime/platform.h"

#include <windows.h>

namespace {

constexpr uint32_t REPLACEMENT = 0xFFFD;

// The code point of the sequence at p and its byte count. A lone surrogate's three bytes are
// taken like any other three-byte sequence. A byte that starts no sequence (also the zero byte
// inside one) gives U+FFFD and counts 1, so that nothing behind a zero byte is read.
uint32_t DecodeUtf8(const unsigned char *p, int32_t *size) {
    unsigned char lead = p[0];
    *size = 1;
    if (lead < 0x80) return lead;
    int32_t count = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (count == 0) return REPLACEMENT;
    uint32_t value = lead & (0x7Fu >> count);
    for (int32_t i = 1; i < count; ++i) {
        if ((p[i] & 0xC0) != 0x80) return REPLACEMENT;
        value = (value << 6) | (p[i] & 0x3Fu);
    }
    const uint32_t smallest = count == 2 ? 0x80 : count == 3 ? 0x800 : 0x10000;
    if (value < smallest || value > 0x10FFFF) return REPLACEMENT; // overlong or beyond Unicode
    *size = count;
    return value;
}

} // namespace

int32_t Utf16FromUtf8(const char *text, wchar_t *out) {
    const auto *p = reinterpret_cast<const unsigned char *>(text ? text : "");
    int32_t units = 0;
    while (*p) {
        int32_t size = 0;
        uint32_t value = DecodeUtf8(p, &size);
        p += size;
        if (value >= 0x10000) {
            if (out) {
                out[units] = static_cast<wchar_t>(0xD800 + ((value - 0x10000) >> 10));
                out[units + 1] = static_cast<wchar_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
            }
            units += 2;
        } else {
            if (out) out[units] = static_cast<wchar_t>(value);
            units += 1;
        }
    }
    return units;
}

// A surrogate without its partner is written as if it were a character of its own.
int64_t Utf8FromUtf16(const wchar_t *text, int32_t units, char *out) {
    int64_t bytes = 0;
    for (int32_t i = 0; i < units; ++i) {
        uint32_t value = static_cast<uint16_t>(text[i]);
        if (value >= 0xD800 && value < 0xDC00 && i + 1 < units) {
            uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        int32_t size = value < 0x80 ? 1 : value < 0x800 ? 2 : value < 0x10000 ? 3 : 4;
        if (out) {
            char *at = out + bytes;
            if (size == 1) {
                at[0] = static_cast<char>(value);
            } else {
                static const unsigned char LEAD[] = {0, 0, 0xC0, 0xE0, 0xF0};
                for (int32_t k = size - 1; k > 0; --k, value >>= 6)
                    at[k] = static_cast<char>(0x80 | (value & 0x3F));
                at[0] = static_cast<char>(LEAD[size] | value);
            }
        }
        bytes += size;
    }
    return bytes;
}
