#include "runtime/wide_text.h"

#include "runtime/registry.h"
#include "runtime/strings.h"

#include <windows.h>

namespace {

constexpr uint32_t REPLACEMENT = 0xFFFD;
constexpr UINT WINDOWS_1252 = 1252;

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

// Walks text and, when out is given, writes its UTF-16 units there; returns their number.
int32_t WideFromUtf8(const char *text, wchar_t *out) {
    const auto *p = reinterpret_cast<const unsigned char *>(text);
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

int32_t UnitsOf(const wchar_t *text, int32_t length) {
    if (!text) return 0;
    if (length >= 0) return length;
    int32_t units = 0;
    while (text[units])
        ++units;
    return units;
}

// Walks units of UTF-16 and, when out is given, writes their UTF-8 bytes there; returns their
// number. A surrogate without its partner is written as if it were a character of its own.
int64_t Utf8FromUnits(const wchar_t *text, int32_t units, char *out) {
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
    WideFromUtf8(bytes, Allocate(WideFromUtf8(bytes, nullptr)));
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

const wchar_t *WideText::FromPath(const char *path) {
    FromUtf8(path);
    if (length_ == 0) return text_;
    DWORD size = GetFullPathNameW(text_, 0, nullptr, nullptr); // with its zero
    if (size <= MAX_PATH) return text_;
    constexpr int32_t PREFIX = 8; // \\?\UNC\ is the longer prefix
    auto *full = static_cast<wchar_t *>(MainHeapAlloc((size + PREFIX) * sizeof(wchar_t)));
    DWORD got = GetFullPathNameW(text_, size, full + PREFIX, nullptr);
    const wchar_t *name = full + PREFIX;
    bool device = name[0] == '\\' && name[1] == '\\' && (name[2] == '?' || name[2] == '.');
    if (got == 0 || got >= size || device) {
        MainHeapFree(full);
        return text_;
    }
    wchar_t *start = full + 4;
    const wchar_t *prefix = L"\\\\?\\";
    if (name[0] == '\\' && name[1] == '\\') { // \\server\share: its two backslashes go
        start = full + 2;
        prefix = L"\\\\?\\UNC\\";
    }
    for (int32_t i = 0; prefix[i]; ++i)
        start[i] = prefix[i];
    MainHeapFree(text_);
    text_ = full;
    length_ = static_cast<int32_t>(got + (full + PREFIX - start));
    if (start != full) { // the text starts at the block's start, for MainHeapFree
        for (int32_t i = 0; i <= length_; ++i)
            full[i] = start[i];
    }
    return text_;
}

char *Utf8FromWide(const wchar_t *text, int32_t length, int32_t resultStart) {
    int32_t units = UnitsOf(text, length);
    int64_t bytes = Utf8FromUnits(text, units, nullptr);
    if (bytes > INT32_MAX / 2) bytes = 0; // no String is that long
    char *result = ReserveResult(static_cast<int32_t>(bytes), resultStart);
    if (bytes) Utf8FromUnits(text, units, result);
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
