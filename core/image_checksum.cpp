// SPDX-License-Identifier: MIT
#include "core/image_checksum.h"

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

// The 64 bits in reverse order.
uint64_t Reflect(uint64_t value) {
    uint64_t out = 0;
    for (int32_t k = 0; k < 64; ++k, value >>= 1)
        out = out << 1 | (value & 1);
    return out;
}

uint64_t Little64(const uint8_t *at) {
    uint64_t value = 0;
    for (int32_t k = 7; k >= 0; --k)
        value = value << 8 | at[k];
    return value;
}

uint64_t Big64(const uint8_t *at) {
    uint64_t value = 0;
    for (int32_t k = 0; k < 8; ++k)
        value = value << 8 | at[k];
    return value;
}

using Tables = const uint64_t (*)[256];

// A reflected CRC keeps its register reflected in its lower bits, a forward one in its upper
// bits, so that one loop of each serves every width.
uint64_t AddReflected(Tables t, uint64_t crc, const uint8_t *at, ptrdiff_t count) {
    for (; CRC_SLICES == 8 && count >= 8; count -= 8, at += 8) {
        crc ^= Little64(at);
        crc = t[7][crc & 255] ^ t[6][crc >> 8 & 255] ^ t[5][crc >> 16 & 255] ^
              t[4][crc >> 24 & 255] ^ t[3][crc >> 32 & 255] ^ t[2][crc >> 40 & 255] ^
              t[1][crc >> 48 & 255] ^ t[0][crc >> 56];
    }
    for (; count > 0; --count)
        crc = crc >> 8 ^ t[0][(crc ^ *at++) & 255];
    return crc;
}

uint64_t AddForward(Tables t, uint64_t crc, const uint8_t *at, ptrdiff_t count) {
    for (; CRC_SLICES == 8 && count >= 8; count -= 8, at += 8) {
        crc ^= Big64(at);
        crc = t[7][crc >> 56] ^ t[6][crc >> 48 & 255] ^ t[5][crc >> 40 & 255] ^
              t[4][crc >> 32 & 255] ^ t[3][crc >> 24 & 255] ^ t[2][crc >> 16 & 255] ^
              t[1][crc >> 8 & 255] ^ t[0][crc & 255];
    }
    for (; count > 0; --count)
        crc = crc << 8 ^ t[0][crc >> 56 ^ *at++];
    return crc;
}

// Whole words, each's bytes most significant first: a CRC takes the bytes, a sum adds the words.
void TakeWords(ImageChecksum &sum, const uint8_t *at, ptrdiff_t count) {
    const ChecksumAlgorithm &algorithm = sum.algorithm;
    if (algorithm.kind == CHECKSUM_CRC) {
        sum.state = algorithm.refIn ? AddReflected(sum.tables, sum.state, at, count)
                                    : AddForward(sum.tables, sum.state, at, count);
    } else if (algorithm.wordSize <= 1) {
        for (ptrdiff_t i = 0; i < count; ++i)
            sum.state += at[i];
    } else {
        for (; count > 0; count -= algorithm.wordSize) {
            uint64_t word = 0;
            for (int32_t k = 0; k < algorithm.wordSize; ++k)
                word = word << 8 | *at++;
            sum.state += word;
        }
    }
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

int32_t ChecksumWidth(const ChecksumAlgorithm &algorithm) {
    return algorithm.bits / 8;
}

void BeginImageChecksum(ImageChecksum &sum, const ChecksumAlgorithm &algorithm) {
    sum.algorithm = algorithm;
    sum.state = 0;
    sum.pendingCount = 0;
    if (algorithm.kind != CHECKSUM_CRC) return;
    // Upper bits first; a reflected CRC's reflected into the lower ones.
    bool reflected = algorithm.refIn;
    int32_t unused = 64 - algorithm.bits;
    uint64_t poly = algorithm.poly << unused;
    sum.state = algorithm.init << unused;
    if (reflected) {
        poly = Reflect(poly);
        sum.state = Reflect(sum.state);
    }
    uint64_t(*t)[256] = sum.tables;
    for (uint32_t i = 0; i < 256; ++i) {
        uint64_t value = reflected ? i : uint64_t{i} << 56;
        for (int32_t bit = 0; bit < 8; ++bit)
            value = reflected ? value >> 1 ^ (value & 1 ? poly : 0)
                              : value << 1 ^ (value >> 63 ? poly : 0);
        t[0][i] = value;
    }
    for (int32_t k = 1; k < CRC_SLICES; ++k)
        for (int32_t i = 0; i < 256; ++i) {
            uint64_t before = t[k - 1][i];
            t[k][i] =
                reflected ? before >> 8 ^ t[0][before & 255] : before << 8 ^ t[0][before >> 56];
        }
}

// Bytes straight on; words gathered a byte at a time, each taken, its bytes most significant
// first, once it is whole.
void AddImageBytes(ImageChecksum &sum, const uint8_t *bytes, ptrdiff_t count) {
    int32_t size = sum.algorithm.wordSize;
    if (size <= 1) {
        TakeWords(sum, bytes, count);
        return;
    }
    for (ptrdiff_t i = 0; i < count; ++i) {
        sum.pending[sum.pendingCount++] = bytes[i];
        if (sum.pendingCount < size) continue;
        for (int32_t k = 0; !sum.algorithm.wordsBigEndian && k < size / 2; ++k) {
            uint8_t low = sum.pending[k];
            sum.pending[k] = sum.pending[size - 1 - k];
            sum.pending[size - 1 - k] = low;
        }
        TakeWords(sum, sum.pending, size);
        sum.pendingCount = 0;
    }
}

// A byte sum takes the run at once (modulo 2^64 the count's lower bits are all that count);
// other sums and CRCs take it from a buffer of fill bytes, again and again.
void AddImageFill(ImageChecksum &sum, uint8_t fill, uint64_t count) {
    const ChecksumAlgorithm &algorithm = sum.algorithm;
    if (algorithm.kind == CHECKSUM_SUM && algorithm.wordSize == 1) {
        sum.state += fill * count;
        return;
    }
    if (algorithm.kind == CHECKSUM_NONE) return;
    uint8_t run[512];
    std::memset(run, fill, sizeof run);
    for (; count > sizeof run; count -= sizeof run)
        AddImageBytes(sum, run, sizeof run);
    AddImageBytes(sum, run, static_cast<ptrdiff_t>(count));
}

uint64_t EndImageChecksum(const ImageChecksum &sum) {
    const ChecksumAlgorithm &algorithm = sum.algorithm;
    if (algorithm.kind == CHECKSUM_NONE) return 0;
    int32_t unused = 64 - algorithm.bits;
    uint64_t value = algorithm.negated ? 0 - sum.state : sum.state;
    if (algorithm.kind == CHECKSUM_CRC) { // reflected when refout, else in the upper bits
        value = algorithm.refIn != algorithm.refOut ? Reflect(value) : value;
        value = (algorithm.refOut ? value : value >> unused) ^ algorithm.xorOut;
    }
    return value << unused >> unused;
}

void ChecksumBytes(uint64_t value, int32_t width, bool bigEndian, uint8_t out[8]) {
    if (width > 8) width = 8;
    for (int32_t k = 0; k < width; ++k, value >>= 8) // least significant byte first
        out[bigEndian ? width - 1 - k : k] = static_cast<uint8_t>(value);
}
