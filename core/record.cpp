#include "core/record.h"

namespace {

constexpr uint16_t NOT_A_PAIR = 0x100;

// The byte that each pair of characters stands for as two hexadecimal digits of either case,
// indexed by the pair read as a little-endian 16-bit number; NOT_A_PAIR for any other pair, whose
// bit survives an OR with any byte value. 128 KiB of zero-initialised storage, filled on first
// use, so that the program's image does not carry it.
uint16_t pairValue[0x10000];
bool pairsFilled = false;

int DigitValue(int c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

void FillPairs() {
    for (uint16_t &value : pairValue)
        value = NOT_A_PAIR;
    for (int high = 0; high < 256; ++high) {
        if (DigitValue(high) < 0) continue;
        for (int low = 0; low < 256; ++low)
            if (DigitValue(low) >= 0)
                pairValue[high | low << 8] =
                    static_cast<uint16_t>(DigitValue(high) * 16 + DigitValue(low));
    }
    pairsFilled = true;
}

unsigned Pair(const char *at) {
    unsigned key = static_cast<unsigned char>(at[0]) |
                   static_cast<unsigned>(static_cast<unsigned char>(at[1])) << 8;
    return pairValue[key];
}

} // namespace

// One pass over the digit pairs after the ":", one table look-up each: every pair must be two
// digits, and all pairs before the checksum field are summed.
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
    unsigned sum = 0, seen = 0;
    for (int64_t i = 1; i < summed; i += 2) {
        unsigned value = Pair(line + i);
        seen |= value;
        sum += value;
    }
    if (shape == RECORD_WITH_CHECKSUM) seen |= Pair(line + summed);
    if (seen & NOT_A_PAIR) return NOT_A_RECORD;
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

uint8_t RecordPair(const char *record, int32_t index) {
    return static_cast<uint8_t>(Pair(record + 1 + 2 * index));
}

void ChecksumDigits(uint8_t checksum, char digits[2]) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    digits[0] = HEX[checksum >> 4];
    digits[1] = HEX[checksum & 15];
}

RecordFault DiagnoseRecord(const char *line, int64_t stored) {
    RecordFault fault{0, -1};
    if (stored > LONGEST_RECORD + 2) stored = LONGEST_RECORD + 2;
    for (int64_t i = 1; i < stored && fault.notDigit == 0; ++i)
        if (DigitValue(static_cast<unsigned char>(line[i])) < 0) fault.notDigit = i + 1;
    if (stored >= 3 && fault.notDigit != 2 && fault.notDigit != 3)
        fault.expected = 11 + 2 * (DigitValue(static_cast<unsigned char>(line[1])) * 16 +
                                   DigitValue(static_cast<unsigned char>(line[2])));
    return fault;
}
