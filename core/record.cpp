#include "core/record.h"

namespace {

constexpr uint8_t NO_DIGIT = 0xF0;

// Value of each byte as a hexadecimal digit of either case; NO_DIGIT for any other byte, whose
// high bits survive an OR with any digit value.
struct DigitTable {
    uint8_t value[256];
    constexpr DigitTable() : value() {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9'   ? static_cast<uint8_t>(c - '0')
                       : c >= 'A' && c <= 'F' ? static_cast<uint8_t>(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? static_cast<uint8_t>(c - 'a' + 10)
                                              : NO_DIGIT;
    }
};
constexpr DigitTable DIGITS;

uint8_t Digit(char c) {
    return DIGITS.value[static_cast<unsigned char>(c)];
}

} // namespace

// One pass over the digit pairs after the ":": every character must be a digit, and all pairs
// before the checksum field are summed.
RecordShape ClassifyRecord(const char *line, int64_t length, uint8_t *checksum) {
    if (length < 9 || length > LONGEST_RECORD || line[0] != ':') return NOT_A_RECORD;
    uint8_t high = Digit(line[1]), low = Digit(line[2]);
    if ((high | low) & NO_DIGIT) return NOT_A_RECORD;
    int64_t summed = 9 + 2 * (high * 16 + low);
    RecordShape shape = length == summed       ? RECORD_WITHOUT_CHECKSUM
                        : length == summed + 2 ? RECORD_WITH_CHECKSUM
                                               : NOT_A_RECORD;
    if (shape == NOT_A_RECORD) return NOT_A_RECORD;
    unsigned sum = 0, seen = 0;
    for (int64_t i = 1; i < summed; i += 2) {
        high = Digit(line[i]);
        low = Digit(line[i + 1]);
        seen |= high | low;
        sum += static_cast<unsigned>(high * 16 + low);
    }
    if (shape == RECORD_WITH_CHECKSUM) seen |= Digit(line[summed]) | Digit(line[summed + 1]);
    if (seen & NO_DIGIT) return NOT_A_RECORD;
    *checksum = static_cast<uint8_t>(0x100u - (sum & 0xFFu));
    return shape;
}

void ChecksumDigits(uint8_t checksum, char digits[2]) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    digits[0] = HEX[checksum >> 4];
    digits[1] = HEX[checksum & 15];
}

RecordFault DiagnoseRecord(const char *line, int64_t stored) {
    RecordFault fault{0, -1};
    for (int64_t i = 1; i < stored && fault.notDigit == 0; ++i)
        if (Digit(line[i]) & NO_DIGIT) fault.notDigit = i + 1;
    if (stored >= 3 && !((Digit(line[1]) | Digit(line[2])) & NO_DIGIT))
        fault.expected = 11 + 2 * (Digit(line[1]) * 16 + Digit(line[2]));
    return fault;
}
