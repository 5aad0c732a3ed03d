// SPDX-License-Identifier: MIT
#include "core/record.h"

#include "core/record_sum.h"

#include "runtime/strings.h"

#include <cassert>
#include <cstring>

namespace {

constexpr uint16_t NOT_A_PAIR = 0x100;

// The byte that each pair of characters stands for as two hexadecimal digits of either case,
// indexed by the pair read as a little-endian 16-bit number; NOT_A_PAIR for any other pair, whose
// bit survives an OR with any byte value. 128 KiB of zero-initialised storage, filled on first
// use, so that the program's image does not carry it.
uint16_t pairValue[0x10000];
bool pairsFilled = false;

void FillPairs() {
    for (uint16_t &value : pairValue)
        value = NOT_A_PAIR;
    for (int high = 0; high < 256; ++high) {
        if (HexDigitValue(high) < 0) continue;
        for (int low = 0; low < 256; ++low)
            if (HexDigitValue(low) >= 0)
                pairValue[high | low << 8] =
                    static_cast<uint16_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
    }
    pairsFilled = true;
}

unsigned Pair(const char *at) {
    unsigned key = static_cast<unsigned char>(at[0]) |
                   static_cast<unsigned>(static_cast<unsigned char>(at[1])) << 8;
    return pairValue[key];
}

// The lenient reading of the pair at at, of which only the characters before end count.
int32_t LenientPair(const char *at, const char *end) {
    int32_t value = 0;
    for (int32_t i = 0; i < 2 && at + i < end; ++i)
        if (int32_t digit = HexDigitValue(static_cast<unsigned char>(at[i])); digit >= 0)
            value = value * 16 + digit;
    return value;
}

// The byte count and count + 3 pairs after it, read leniently from text's first length
// characters (the bound in full width, so that 254 and 255 get all their steps), as their
// two's complement.
uint8_t LenientChecksum(const char *text, int64_t length) {
    const char *end = text + length;
    int32_t count = length > 1 ? LenientPair(text + 1, end) : 0;
    uint32_t sum = static_cast<uint32_t>(count);
    for (int64_t i = 0; i <= count + 2; ++i) {
        int64_t at = 2 * i + 3;
        if (at < length) sum += static_cast<uint32_t>(LenientPair(text + at, end));
    }
    return static_cast<uint8_t>(0x100u - (sum & 0xFFu));
}

// The first length characters of text, then the checksum's two digits, at the result start.
char *WithChecksum(const char *text, int64_t length, uint8_t checksum, int32_t resultStart) {
    char digits[3] = {0, 0, 0};
    ChecksumDigits(checksum, digits);
    LeftPart(text, length > 0 ? static_cast<int32_t>(length) : 0, resultStart);
    AppendString(digits);
    return WorkspaceAt(resultStart);
}

// The sum of the values of the pairs digit pairs at digits, one table look-up each; NOT_A_PAIR
// set in it when one of them is not two hexadecimal digits.
unsigned SumPairs(const char *digits, int64_t pairs) {
    unsigned sum = 0, seen = 0;
    for (int64_t i = 0; i < pairs; ++i) {
        unsigned value = Pair(digits + 2 * i);
        seen |= value;
        sum += value;
    }
    return (sum & 0xFFu) | (seen & NOT_A_PAIR);
}

} // namespace

int32_t RecordSum(const char *line, int64_t stored, uint8_t *total) {
    if (stored < 11 || line[0] != ':') return 0;
    if (!pairsFilled) FillPairs();
    unsigned count = Pair(line + 1);
    if (count & NOT_A_PAIR) return 0;
    auto length = static_cast<int32_t>(11 + 2 * count);
    if (length > stored) return 0;
    unsigned sum = SumPairs(line + 1, (length - 1) / 2);
    if (sum & NOT_A_PAIR) return 0;
    *total = static_cast<uint8_t>(sum);
    return length;
}

// The pairs after the ":" summed in one pass: every pair must be two digits; the checksum
// field's own value is taken back out of the sum.
RecordShape ClassifyRecord(const char *line, int64_t length, uint8_t *checksum) {
    if (length < 9 || length > LONGEST_RECORD || line[0] != ':') return NOT_A_RECORD;
    if (!pairsFilled) FillPairs();
    unsigned count = Pair(line + 1);
    if (count & NOT_A_PAIR) return NOT_A_RECORD;
    int64_t summed = 9 + 2 * count;
    RecordShape shape = length == summed       ? RECORD_WITHOUT_CHECKSUM
                        : length == summed + 2 ? RECORD_WITH_CHECKSUM
                                               : NOT_A_RECORD;
    if (shape == NOT_A_RECORD) return NOT_A_RECORD;
    unsigned sum = SumPairs(line + 1, (length - 1) / 2);
    if (sum & NOT_A_PAIR) return NOT_A_RECORD;
    if (shape == RECORD_WITH_CHECKSUM) sum -= Pair(line + summed);
    *checksum = static_cast<uint8_t>(0x100u - (sum & 0xFFu));
    return shape;
}

int64_t RecordInLine(const char *line, int64_t stored, uint8_t *checksum) {
    if (ClassifyRecord(line, stored, checksum) == RECORD_WITH_CHECKSUM) return stored;
    if (stored < 12 || line[0] != ':') return 0; // ":", 10 digits and a blank at least
    if (!pairsFilled) FillPairs();
    if (Pair(line + 1) & NOT_A_PAIR) return 0;
    int64_t length = 11 + 2 * Pair(line + 1);
    if (stored <= length || (line[length] != ' ' && line[length] != '\t')) return 0;
    return ClassifyRecord(line, length, checksum) == RECORD_WITH_CHECKSUM ? length : 0;
}

// Eight digits at a time, the last eight for what is left (a record has at least eleven
// characters). Of hexadecimal digits only letters have bit 6 set, and only lower-case letters
// bit 5 as well; shifted left by one, each byte's bit 5 lands on its bit 6.
const char *RecordCase(const char *record, int32_t length) {
    assert(length >= 11 && length % 2 == 1); // a record: ":", pairs of digits
    constexpr uint64_t BIT_6 = 0x4040404040404040u;
    uint64_t lower = 0;
    for (int32_t i = 1; i < length; i += 8) {
        uint64_t eight = 0;
        std::memcpy(&eight, record + (i + 8 <= length ? i : length - 8), 8);
        uint64_t letters = eight & BIT_6, lowerCase = eight << 1 & BIT_6;
        if (letters & ~lowerCase) return HEX_DIGITS;
        lower |= letters;
    }
    return lower ? LOWER_HEX_DIGITS : nullptr;
}

const char *RecordDigitSet(const char *record, int32_t length, const char *before) {
    return CaseDigits(RecordCase(record, length), before);
}

void RemakeChecksum(char *record, int32_t length, const char *digitSet) {
    uint8_t checksum = 0;
    [[maybe_unused]] RecordShape shape = ClassifyRecord(record, length, &checksum);
    assert(shape == RECORD_WITH_CHECKSUM);
    ChecksumDigits(checksum, record + length - 2, digitSet);
}

// Read as the walk and the image read a record's digits (core/record_sum.h).
uint8_t RecordPair(const char *record, int32_t index) {
    return static_cast<uint8_t>(DigitPair(record + 1 + 2 * index));
}

int32_t HexDigitValue(int c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

RecordFault DiagnoseRecord(const char *line, int64_t stored) {
    RecordFault fault{0, -1, false, 0, 0, 0};
    if (stored > LONGEST_RECORD + 2) stored = LONGEST_RECORD + 2;
    for (int64_t i = 1; i < stored && fault.notDigit == 0; ++i)
        if (HexDigitValue(static_cast<unsigned char>(line[i])) < 0) fault.notDigit = i + 1;
    if (stored >= 3 && fault.notDigit != 2 && fault.notDigit != 3)
        fault.expected = 11 + 2 * RecordPair(line, 0);
    fault.headed = stored >= 9 && (fault.notDigit == 0 || fault.notDigit > 9);
    if (fault.headed) {
        fault.count = RecordPair(line, 0);
        fault.offset = RecordPair(line, 1) << 8 | RecordPair(line, 2);
        fault.type = RecordPair(line, 3);
    }
    return fault;
}

int32_t HexPairValue(const char *pair) {
    if (!pair) return 0;
    int32_t length = pair[0] == 0 ? 0 : pair[1] == 0 ? 1 : 2;
    return LenientPair(pair, pair + length);
}

// The line is copied first: it may lie in the workspace, even where the result goes.
char *CompleteRecordChecksum(const char *line, int32_t resultStart) {
    OwnedString copy;
    copy.Assign(line ? line : "");
    int64_t length = StringLength(copy.Text());
    return WithChecksum(copy.Text(), length - 4, LenientChecksum(copy.Text(), length), resultStart);
}

char *CompleteRecordLine(const char *text, int32_t resultStart) {
    OwnedString copy;
    copy.Assign(text ? text : "");
    const char *line = copy.Text();
    int64_t length = 0;
    while (line[length] != 0 && line[length] != '\r' && line[length] != '\n')
        ++length;
    uint8_t checksum = 0;
    switch (ClassifyRecord(line, length, &checksum)) {
    case RECORD_WITHOUT_CHECKSUM: return WithChecksum(line, length, checksum, resultStart);
    case RECORD_WITH_CHECKSUM: return WithChecksum(line, length - 2, checksum, resultStart);
    default: return WithChecksum(line, length - 2, LenientChecksum(line, length), resultStart);
    }
}
