// SPDX-License-Identifier: MIT
#include "app/values.h"

#include "core/record.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>
#include <initializer_list>

bool ReadSettingNumber(const char **at, const char *ends, uint64_t most, uint64_t *number,
                       bool *tooLarge) {
    const char *text = *at;
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = hex ? text + 2 : text, *end = digits;
    bool large = false;
    *number = 0;
    if (tooLarge) *tooLarge = false;
    for (; *end && !std::strchr(ends, *end); ++end) {
        int32_t value = HexDigitValue(static_cast<unsigned char>(*end));
        if (value < 0 || (!hex && value > 9)) return false;
        // More than most, or than 64 bits hold (a sum that wraps is less than its digit): the
        // digits after it are still looked at, to tell a number too large from none.
        if (large || *number > (hex ? UINT64_MAX / 16 : UINT64_MAX / 10)) {
            large = true;
            continue;
        }
        *number = *number * (hex ? 16 : 10) + static_cast<uint64_t>(value);
        large = *number < static_cast<uint64_t>(value) || *number > most;
    }
    if (tooLarge) *tooLarge = large;
    if (large) return false;
    *at = end;
    return end > digits;
}

int32_t AmbiguousLength(const char *text, const char *ends) {
    size_t length = std::strcspn(text, ends);
    if (length < 2 || text[0] != '0') return 0;
    for (size_t i = 1; i < length; ++i)
        if (text[i] < '0' || text[i] > '9') return 0;
    return static_cast<int32_t>(length);
}

namespace {

// A typed value's bytes: TYPE:NUMBER, str:TEXT or strz:TEXT; SETTING_ADDED when value is one,
// SETTING_INVALID when it is none (or is malformed), SETTING_NO_FIT for a number too large,
// SETTING_AMBIGUOUS for one with a leading 0 and more decimal digits.
SettingRead ReadTypedBytes(const char *value, ByteSetting &setting) {
    for (bool zero : {false, true})
        if (const char *prefix = zero ? "strz:" : "str:";
            SameLetters(value, prefix, StringLength(prefix))) {
            for (const char *at = value + std::strlen(prefix); *at; ++at) {
                if (setting.count == 255) return SETTING_INVALID;
                setting.bytes[setting.count++] = static_cast<uint8_t>(*at);
            }
            if (zero && setting.count == 255) return SETTING_INVALID;
            if (zero) setting.bytes[setting.count++] = 0;
            return SETTING_ADDED;
        }
    const char *colon = std::strchr(value, ':');
    NumberType type = NumberTypeNamed(value, static_cast<size_t>(colon - value));
    if (!type.width) return SETTING_INVALID;
    const char *at = colon + 1;
    uint64_t number = 0;
    bool large = false;
    if (AmbiguousLength(at, "")) return SETTING_AMBIGUOUS;
    if (!ReadSettingNumber(&at, "", UINT64_MAX, &number, &large) || *at)
        return large ? SETTING_NO_FIT : SETTING_INVALID;
    if (type.width < 8 && number >> 8 * type.width) return SETTING_NO_FIT;
    for (int32_t k = 0; k < type.width; ++k)
        setting.bytes[type.bigEndian ? type.width - 1 - k : k] =
            static_cast<uint8_t>(number >> 8 * k);
    setting.count = type.width;
    return SETTING_ADDED;
}

} // namespace

NumberType NumberTypeNamed(const char *name, size_t length) {
    static constexpr struct {
        char name[6]; // in place: no pointer to each
        uint8_t width;
        bool bigEndian;
    } TYPES[] = {{"u8", 1, false},   {"u16le", 2, false}, {"u16be", 2, true}, {"u32le", 4, false},
                 {"u32be", 4, true}, {"u64le", 8, false}, {"u64be", 8, true}};
    for (const auto &named : TYPES)
        if (std::strlen(named.name) == length &&
            SameLetters(name, named.name, static_cast<int32_t>(length)))
            return {named.width, named.bigEndian};
    return {0, false};
}

SettingRead AddByteSetting(ByteSettingList &list, const char *text, int32_t argument) {
    ByteSetting setting{};
    setting.argument = argument;
    const char *at = text;
    bool large = false;
    if (!ReadSettingNumber(&at, "=", 0xFFFFFFFFu, &setting.address, &large) || *at != '=')
        return large && std::strchr(text, '=') ? SETTING_PAST_END : SETTING_INVALID;
    if (std::strchr(at, ':')) { // a typed value
        SettingRead read = ReadTypedBytes(at + 1, setting);
        return read == SETTING_ADDED ? AddByteSettingValue(list, setting) : read;
    }
    for (++at; at[0]; at += 2) {
        int32_t high = HexDigitValue(static_cast<unsigned char>(at[0]));
        int32_t low = at[1] ? HexDigitValue(static_cast<unsigned char>(at[1])) : -1;
        if (high < 0 || low < 0 || setting.count == 255) return SETTING_INVALID;
        setting.bytes[setting.count++] = static_cast<uint8_t>(high << 4 | low);
    }
    return AddByteSettingValue(list, setting);
}

namespace {

// An address of a --checksum value up to one of ends, as ReadSettingNumber reads it: FAULT_NONE,
// or why not (one too large, of any number of digits, is past the end); an ambiguous one is the
// stretch.
CommandFault ReadAddress(const char **at, const char *ends, uint64_t *address, const char **stretch,
                         int32_t *faultLength) {
    const char *text = *at;
    if (int32_t length = AmbiguousLength(text, ends)) {
        *stretch = text;
        *faultLength = length;
        return FAULT_CHECKSUM_AMBIGUOUS;
    }
    bool large = false;
    if (ReadSettingNumber(at, ends, 0xFFFFFFFF, address, &large)) return FAULT_NONE;
    return large ? FAULT_CHECKSUM_PAST_END : FAULT_CHECKSUM_VALUE;
}

// The algorithm before the colon, as core/image_checksum.h reads it; a value wider than its CRC
// is the stretch.
CommandFault ReadAlgorithm(const char *text, const char *colon, ChecksumJob &job,
                           const char **stretch, int32_t *faultLength) {
    int32_t start = 0, length = 0;
    switch (ReadChecksumAlgorithm(text, static_cast<int32_t>(colon - text), job.algorithm, &start,
                                  &length)) {
    case ALGORITHM_READ: return FAULT_NONE;
    case ALGORITHM_TOO_WIDE:
        *stretch = text + start;
        *faultLength = length;
        return FAULT_CHECKSUM_TOO_WIDE;
    case ALGORITHM_NEGATED_CRC: return FAULT_CHECKSUM_NEGATED;
    case ALGORITHM_UNKNOWN: break;
    }
    return FAULT_CHECKSUM_ALGORITHM;
}

// Its ranges and its place or value given, into the job's ranges (room for one more than its
// "+") and value: the first fault from the left, then a START after its END, a range not of
// whole words, the value's bytes past 0xFFFFFFFF, and in a range.
CommandFault ReadJobRanges(const char *at, ChecksumJob &job, const char **stretch,
                           int32_t *faultLength) {
    if (!std::strchr(at, '-')) return FAULT_CHECKSUM_VALUE;
    job.printed = !std::strchr(at, '@'); // ALGORITHM:START-END: the value printed
    uint64_t numbers[3] = {};
    for (bool more = true; more;) {
        for (int32_t k = 0; k < 2; ++k) {
            const char *ends = k == 0 ? "-" : job.printed ? "+=" : "+@";
            if (CommandFault fault = ReadAddress(&at, ends, &numbers[k], stretch, faultLength);
                fault != FAULT_NONE)
                return fault;
            more = *at == '+';
            job.expected = *at == '=';
            if (*at) ++at; // past the "-", "+", "=" or "@" found
        }
        job.ranges[job.rangeCount++] = {static_cast<uint32_t>(numbers[0]),
                                        static_cast<uint32_t>(numbers[1])};
    }
    if (!job.printed) {
        if (CommandFault fault = ReadAddress(&at, ":", &numbers[2], stretch, faultLength);
            fault != FAULT_NONE)
            return fault;
        job.bigEndian = at[0] == ':';
        if (job.bigEndian ? StringLength(at) != 3 || !SameLetters(at, ":be", 3) : *at != 0)
            return FAULT_CHECKSUM_SUFFIX;
    } else if (job.expected) { // the value, as wide as the algorithm's at most
        uint8_t given[MOST_VALUE_BYTES];
        if (!ReadGivenValue(at, given)) return FAULT_CHECKSUM_VALUE;
        int32_t width = job.value.width = ChecksumWidth(job.algorithm), k = 0;
        while (k < MOST_VALUE_BYTES - width && !given[k])
            ++k;
        if (k < MOST_VALUE_BYTES - width) {
            *stretch = at;
            *faultLength = StringLength(at);
            return FAULT_CHECKSUM_TOO_WIDE;
        }
        std::memcpy(job.value.bytes, given + k, static_cast<size_t>(width));
    }
    job.address = static_cast<uint32_t>(numbers[2]);
    uint64_t end = numbers[2] + static_cast<uint64_t>(ChecksumWidth(job.algorithm)) - 1;
    const ChecksumRange *ranges = job.ranges, *past = ranges + job.rangeCount;
    for (const ChecksumRange *range = ranges; range < past; ++range)
        if (range->first > range->last) return FAULT_CHECKSUM_REVERSED;
    for (const ChecksumRange *range = ranges; range < past; ++range)
        if ((range->last - range->first + 1u) & (job.algorithm.wordSize - 1u))
            return FAULT_CHECKSUM_WORDS;
    if (job.printed) return FAULT_NONE;
    if (end > 0xFFFFFFFF) return FAULT_CHECKSUM_PAST_END;
    for (const ChecksumRange *range = ranges; range < past; ++range)
        if (end >= range->first && job.address <= range->last) return FAULT_CHECKSUM_IN_RANGE;
    return FAULT_NONE;
}

} // namespace

// ALGORITHM:START-END[+START-END...][@ADDRESS[:be] | =VALUE]: FAULT_NONE, or the first fault of the
// algorithm, then of its ranges and place. The job owns its ranges, and its name behind them,
// when it is read.
CommandFault ReadChecksumJob(const char *text, ChecksumJob &job, const char **stretch,
                             int32_t *faultLength) {
    const char *colon = std::strchr(text, ':');
    if (!colon) return FAULT_CHECKSUM_VALUE;
    if (CommandFault fault = ReadAlgorithm(text, colon, job, stretch, faultLength);
        fault != FAULT_NONE)
        return fault;
    size_t most = 1;
    for (const char *at = colon; *at; ++at)
        most += *at == '+' ? 1 : 0;
    job.nameLength = static_cast<int32_t>(colon - text);
    auto *block = static_cast<char *>(
        MainHeapAlloc(most * sizeof(ChecksumRange) + static_cast<size_t>(job.nameLength)));
    job.ranges = reinterpret_cast<ChecksumRange *>(block);
    job.name = static_cast<char *>(std::memcpy(block + most * sizeof(ChecksumRange), text,
                                               static_cast<size_t>(job.nameLength)));
    CommandFault fault = ReadJobRanges(colon + 1, job, stretch, faultLength);
    if (fault != FAULT_NONE) {
        MainHeapFree(job.ranges);
        job.ranges = nullptr;
    }
    return fault;
}

// ADDRESS:COUNT (1 to 255) or ADDRESS:TYPE (u8, u16le ... u64be): FAULT_NONE, or the first
// fault: no colon, then from the left an ambiguous address (the stretch), one past 0xFFFFFFFF,
// an ambiguous COUNT (the stretch), no COUNT or TYPE; then bytes past 0xFFFFFFFF.
CommandFault ReadGetJob(const char *text, GetJob &get, const char **stretch, int32_t *faultLength) {
    const char *at = text;
    uint64_t address = 0, count = 0;
    bool large = false;
    if (!std::strchr(text, ':')) return FAULT_GET_VALUE;
    if (int32_t length = AmbiguousLength(at, ":")) {
        *stretch = at;
        *faultLength = length;
        return FAULT_GET_AMBIGUOUS;
    }
    if (!ReadSettingNumber(&at, ":", 0xFFFFFFFF, &address, &large))
        return large ? FAULT_GET_PAST_END : FAULT_GET_VALUE;
    ++at; // past the colon
    if (NumberType type = NumberTypeNamed(at, std::strlen(at)); type.width) {
        count = static_cast<uint64_t>(type.width);
        get.typed = true;
        get.bigEndian = type.bigEndian;
    } else if (int32_t length = AmbiguousLength(at, "")) {
        *stretch = at;
        *faultLength = length;
        return FAULT_GET_COUNT_AMBIGUOUS;
    } else if (!ReadSettingNumber(&at, "", 255, &count) || count == 0) {
        return FAULT_GET_VALUE;
    }
    get.address = static_cast<uint32_t>(address);
    get.count = static_cast<int32_t>(count);
    return address + count - 1 <= 0xFFFFFFFF ? FAULT_NONE : FAULT_GET_PAST_END;
}

// BYTE of --fill as --set writes a byte: two hexadecimal digits, or 0x (0X) and one or two.
bool ReadFillByte(const char *text, uint8_t *fill) {
    bool prefixed = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = prefixed ? text + 2 : text;
    size_t count = std::strlen(digits);
    if (count != 2 && !(prefixed && count == 1)) return false;
    int32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        int32_t digit = HexDigitValue(static_cast<unsigned char>(digits[i]));
        if (digit < 0) return false;
        value = value << 4 | digit;
    }
    *fill = static_cast<uint8_t>(value);
    return true;
}
