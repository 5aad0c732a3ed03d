// SPDX-License-Identifier: MIT
#include "app/values.h"

#include "core/record.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// The names, two to an algorithm: its short name ("" for the alias) and its catalogue name
// (upper case; "" for the sums), in one text.
constexpr char NAMES[] = "crc8\0CRC-8/SMBUS\0"
                         "crc16-arc\0CRC-16/ARC\0"
                         "crc16-ccitt\0CRC-16/IBM-3740\0"
                         "\0CRC-16/CCITT-FALSE\0"
                         "crc16-kermit\0CRC-16/KERMIT\0"
                         "crc16-modbus\0CRC-16/MODBUS\0"
                         "crc16-xmodem\0CRC-16/XMODEM\0"
                         "crc32\0CRC-32/ISO-HDLC\0"
                         "crc32c\0CRC-32/ISCSI\0"
                         "crc32-bzip2\0CRC-32/BZIP2\0"
                         "crc32-mpeg2\0CRC-32/MPEG-2\0"
                         "crc64\0CRC-64/XZ\0"
                         "sum8\0\0"
                         "sum16\0\0"
                         "sum32\0\0";

// Their catalogue parameters, in the same order: the polynomial (0: a sum), and the width with
// the rest, where init and xorout are 0 or all ones and refin and refout alike. (Two tables: a
// row of both would take 16 bytes for 10.)
constexpr uint64_t POLYS[] = {
    0x07,   0x8005,     0x1021,     0x1021,     0x1021,     0x8005,
    0x1021, 0x04C11DB7, 0x1EDC6F41, 0x04C11DB7, 0x04C11DB7, 0x42F0E1EBA9EA3693,
    0,      0,          0,
};
enum : uint8_t { REFLECTED = 1, INIT_ONES = 2, XOR_ONES = 4 };
struct Shape {
    uint8_t bits, flags;
};
constexpr Shape SHAPES[] = {
    {8, 0},                                 // crc8
    {16, REFLECTED},                        // crc16-arc
    {16, INIT_ONES},                        // crc16-ccitt
    {16, INIT_ONES},                        // (its alias)
    {16, REFLECTED},                        // crc16-kermit
    {16, REFLECTED | INIT_ONES},            // crc16-modbus
    {16, 0},                                // crc16-xmodem
    {32, REFLECTED | INIT_ONES | XOR_ONES}, // crc32
    {32, REFLECTED | INIT_ONES | XOR_ONES}, // crc32c
    {32, INIT_ONES | XOR_ONES},             // crc32-bzip2
    {32, INIT_ONES},                        // crc32-mpeg2
    {64, REFLECTED | INIT_ONES | XOR_ONES}, // crc64
    {8, 0},                                 // sum8
    {16, 0},                                // sum16
    {32, 0},                                // sum32
};
static_assert(sizeof POLYS / sizeof POLYS[0] == sizeof SHAPES / sizeof SHAPES[0]);
constexpr int32_t NAMED_COUNT = sizeof SHAPES / sizeof SHAPES[0];

// The parts that may follow a name, in one text: each once (the word forms once in all), the
// first five only after crc-W, the first three with a value of hexadecimal digits.
constexpr char PARTS[] =
    "poly=0x\0init=0x\0xorout=0x\0refin\0refout\0w16le\0w16be\0w32le\0w32be\0neg";
enum Part : int32_t {
    PART_POLY,
    PART_INIT,
    PART_XOROUT,
    PART_REFIN,
    PART_REFOUT,
    PART_W16LE,
    PART_W16BE,
    PART_W32LE,
    PART_W32BE,
    PART_NEG,
    PART_NONE,
};

// The named algorithm the name's length bytes stand for, in any letter case, or -1.
int32_t Named(const char *name, int32_t length) {
    const char *known = NAMES;
    for (int32_t k = 0; k < 2 * NAMED_COUNT; ++k, known += std::strlen(known) + 1)
        if (length > 0 && static_cast<int32_t>(std::strlen(known)) == length &&
            SameLetters(name, known, length))
            return k / 2;
    return -1;
}

int32_t SlashFrom(const char *text, int32_t length, int32_t at) {
    while (at < length && text[at] != '/')
        ++at;
    return at;
}

// The part from start up to end, in any letter case, or PART_NONE.
int32_t PartOf(const char *text, int32_t start, int32_t end) {
    const char *known = PARTS;
    int32_t part = 0;
    for (; part < PART_NONE; ++part, known += std::strlen(known) + 1) {
        auto size = static_cast<int32_t>(std::strlen(known));
        if ((part <= PART_XOROUT ? size <= end - start : size == end - start) &&
            SameLetters(text + start, known, size))
            break;
    }
    return part;
}

// A part's hexadecimal digits from `at` up to end, up to the first fault: ALGORITHM_UNKNOWN
// without one or with another character, ALGORITHM_TOO_WIDE at a digit that makes the value
// wider than bits.
AlgorithmRead ReadPartValue(const char *text, int32_t at, int32_t end, int32_t bits,
                            uint64_t *value) {
    *value = 0;
    if (at == end) return ALGORITHM_UNKNOWN;
    for (int32_t i = at; i < end; ++i) {
        int32_t digit = HexDigitValue(static_cast<unsigned char>(text[i]));
        if (digit < 0) return ALGORITHM_UNKNOWN;
        if (*value >> (bits - 4)) return ALGORITHM_TOO_WIDE;
        *value = *value << 4 | static_cast<uint64_t>(digit);
    }
    return ALGORITHM_READ;
}

} // namespace

AlgorithmRead ReadChecksumAlgorithm(const char *text, int32_t length, ChecksumAlgorithm &algorithm,
                                    int32_t *stretch, int32_t *stretchLength) {
    algorithm = ChecksumAlgorithm{};
    algorithm.wordSize = 1;
    // The name: up to the first "/", else up to the second (a catalogue name holds one).
    int32_t end = SlashFrom(text, length, 0);
    int32_t named = Named(text, end);
    if (named < 0 && end < length) {
        int32_t second = SlashFrom(text, length, end + 1);
        if ((named = Named(text, second)) >= 0) end = second;
    }
    if (named >= 0) {
        const Shape &known = SHAPES[named];
        algorithm.poly = POLYS[named];
        algorithm.kind = algorithm.poly ? CHECKSUM_CRC : CHECKSUM_SUM;
        algorithm.bits = known.bits;
        algorithm.refIn = algorithm.refOut = known.flags & REFLECTED;
        uint64_t ones = ~uint64_t{0} >> (64 - known.bits);
        algorithm.init = known.flags & INIT_ONES ? ones : 0;
        algorithm.xorOut = known.flags & XOR_ONES ? ones : 0;
    } else {
        // crc-W: W 8, 16, 32 or 64, without a leading 0
        int32_t bits = 0;
        for (int32_t i = 4; i < end && bits < 64 && text[i] >= '0' && text[i] <= '9'; ++i)
            bits = bits * 10 + text[i] - '0';
        bool known = bits == 8 || bits == 16 || bits == 32 || bits == 64;
        if (!known || !SameLetters(text, "crc-", 4) || text[4] == '0' || end != (bits < 10 ? 5 : 6))
            return ALGORITHM_UNKNOWN;
        algorithm.bits = static_cast<uint8_t>(bits);
        algorithm.kind = CHECKSUM_CRC;
    }
    uint32_t seen = 0;
    while (end < length) {
        int32_t start = end + 1;
        end = SlashFrom(text, length, start);
        int32_t part = PartOf(text, start, end);
        int32_t once = part < PART_W16LE ? part : part < PART_NEG ? PART_W16LE : part; // its bit
        if (part == PART_NONE || seen >> once & 1 || (named >= 0 && part <= PART_REFOUT))
            return ALGORITHM_UNKNOWN;
        seen |= 1u << once;
        if (part <= PART_XOROUT) {
            uint64_t *values[] = {&algorithm.poly, &algorithm.init, &algorithm.xorOut};
            int32_t digits = start + (part == PART_XOROUT ? 9 : 7); // past "poly=0x" ...
            *stretch = digits - 2;                                  // from its 0x
            *stretchLength = end - *stretch;
            AlgorithmRead read = ReadPartValue(text, digits, end, algorithm.bits, values[part]);
            if (read != ALGORITHM_READ) return read;
        } else if (part == PART_REFIN) {
            algorithm.refIn = true;
        } else if (part == PART_REFOUT) {
            algorithm.refOut = true;
        } else if (part < PART_NEG) { // w16le, w16be, w32le, w32be
            algorithm.wordSize = part < PART_W32LE ? 2 : 4;
            algorithm.wordsBigEndian = part % 2 == 0;
        } else if (algorithm.kind == CHECKSUM_CRC) {
            return ALGORITHM_NEGATED_CRC;
        } else {
            algorithm.negated = true;
        }
    }
    return named >= 0 || seen & 1u << PART_POLY ? ALGORITHM_READ
                                                : ALGORITHM_UNKNOWN; // (crc-W needs poly)
}
