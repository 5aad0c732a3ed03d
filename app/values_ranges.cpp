// SPDX-License-Identifier: MIT
// The values of --pad, --merge and --binary (app/values.h).
#include "app/values.h"

#include "core/record.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// START-END[+START-END...] up to the end or one of ends, each START at most its END: the ranges
// read into ranges (room for one more than the "+" in text), or -1.
int32_t ReadRanges(const char **at, const char *ends, ChecksumRange *ranges) {
    int32_t count = 0;
    char stops[8] = "+";
    for (int32_t i = 0; ends[i] && i < 6; ++i)
        stops[i + 1] = ends[i];
    for (bool more = true; more;) {
        uint64_t numbers[2] = {};
        for (int32_t k = 0; k < 2; ++k) {
            const char *stop = k == 0 ? "-" : stops;
            if (AmbiguousLength(*at, stop) || !ReadSettingNumber(at, stop, 0xFFFFFFFF, &numbers[k]))
                return -1;
            if (k == 0 && **at != '-') return -1;
            more = **at == '+';
            if (k == 0 || more) ++*at;
        }
        if (numbers[0] > numbers[1]) return -1;
        ranges[count++] = {static_cast<uint32_t>(numbers[0]), static_cast<uint32_t>(numbers[1])};
    }
    return count;
}

// Room for the ranges of a text: one more than its "+", main heap.
ChecksumRange *RoomForRanges(const char *text) {
    size_t most = 1;
    for (const char *at = text; *at; ++at)
        most += *at == '+' ? 1 : 0;
    return static_cast<ChecksumRange *>(MainHeapAlloc(most * sizeof(ChecksumRange)));
}

} // namespace

bool ReadPadJob(const char *text, PadJob &pad) {
    pad.ranges = RoomForRanges(text);
    pad.byte = 0xFF;
    const char *at = text;
    pad.rangeCount = ReadRanges(&at, "=", pad.ranges);
    bool read = pad.rangeCount > 0 && (*at == 0 || (*at == '=' && ReadFillByte(at + 1, &pad.byte)));
    if (!read) {
        MainHeapFree(pad.ranges);
        pad.ranges = nullptr;
    }
    return read;
}

bool ReadMergeJob(const char *text, MergeJob &merge) {
    const char *place = std::strrchr(text, '@');
    size_t length = place ? static_cast<size_t>(place - text) : std::strlen(text);
    if (place) {
        const char *at = place + 1;
        uint64_t address = 0;
        if (AmbiguousLength(at, "") || !ReadSettingNumber(&at, "", 0xFFFFFFFF, &address) || *at)
            return false;
        merge.raw = true;
        merge.address = static_cast<uint32_t>(address);
    }
    if (length == 0) return false;
    merge.path = static_cast<char *>(MainHeapAlloc(length + 1));
    std::memcpy(merge.path, text, length);
    return true;
}

bool ReadBinaryRange(const char *text, ChecksumRange *range) {
    const char *at = text;
    return !std::strchr(text, '+') && ReadRanges(&at, "", range) == 1 && *at == 0;
}

bool ReadGivenValue(const char *text, uint8_t *value) {
    std::memset(value, 0, MOST_VALUE_BYTES);
    if (text[0] != '0' || (text[1] | 0x20) != 'x') { // decimal
        uint64_t number = 0;
        bool read = !AmbiguousLength(text, "") &&
                    ReadSettingNumber(&text, "", ~uint64_t{0}, &number) && !*text;
        for (int32_t k = MOST_VALUE_BYTES - 1; k >= 0; --k, number >>= 8)
            value[k] = static_cast<uint8_t>(number);
        return read;
    }
    // 0x and digits, as wide as a digest: two to a byte from the last
    int32_t digits = StringLength(text + 2);
    bool read = digits > 0 && digits <= 2 * MOST_VALUE_BYTES;
    for (int32_t k = 0; read && k < digits; ++k) {
        int32_t digit = HexDigitValue(static_cast<unsigned char>(text[2 + digits - 1 - k]));
        read = digit >= 0;
        if (read)
            value[MOST_VALUE_BYTES - 1 - k / 2] |= static_cast<uint8_t>(digit << (k % 2 ? 4 : 0));
    }
    return read;
}

bool ReadFindJob(const char *text, FindJob &find) {
    find.ranges = RoomForRanges(text);
    const char *at = text;
    find.rangeCount = ReadRanges(&at, "=@", find.ranges);
    bool read = find.rangeCount > 0 && *at;
    find.placed = *at == '@';
    const char *value = at + 1;
    if (read && find.placed) { // an ADDRESS up to 0xFFFFFFFF
        uint64_t number = 0;
        read = !AmbiguousLength(value, "") && ReadSettingNumber(&value, "", 0xFFFFFFFF, &number) &&
               !*value;
        find.address = static_cast<uint32_t>(number);
    } else if (read) {
        read = ReadGivenValue(value, find.value);
    }
    if (!read) {
        MainHeapFree(find.ranges);
        find.ranges = nullptr;
    }
    return read;
}
