// SPDX-License-Identifier: MIT
#include "app/values.h"

#include "core/record.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// The algorithms, most common first: the tool's own, the sums (the widest first: a narrower one
// reads a part of its value), the rest of the CRC catalogue's of 8, 16, 32 and 64 bits by width
// and name, the digests. Each one's names in one text, "|" between them: the name the tool gives
// it first, then the catalogue's name and its aliases; "~" at a name's start stands for "CRC-".
constexpr char NAMES[] =
    "crc32|~32/ISO-HDLC|~32|~32/ADCCP|~32/V-42|~32/XZ|PKZIP\0"
    "crc32-mpeg2|~32/MPEG-2\0"
    "crc16-xmodem|~16/XMODEM|~16/ACORN|~16/LTE|~16/V-41-MSB|XMODEM|ZMODEM\0"
    "crc16-ccitt|~16/IBM-3740|~16/AUTOSAR|~16/CCITT-FALSE\0"
    "crc16-modbus|~16/MODBUS|MODBUS\0"
    "crc16-kermit|~16/KERMIT|~16/BLUETOOTH|~16/CCITT|~16/CCITT-TRUE|~16/V-41-LSB|"
    "~CCITT|KERMIT\0"
    "crc16-arc|~16/ARC|ARC|~16|~16/LHA|~IBM\0"
    "crc8|~8/SMBUS|~8\0"
    "crc32c|~32/ISCSI|~32/BASE91-C|~32/CASTAGNOLI|~32/INTERLAKEN|~32C|"
    "~32/NVME\0"
    "crc32-bzip2|~32/BZIP2|~32/AAL5|~32/DECT-B|B-CRC-32\0"
    "crc64|~64/XZ|~64/GO-ECMA\0"
    "sum32\0sum16\0sum8\0"
    "~8/AUTOSAR\0~8/BLUETOOTH\0~8/CDMA2000\0~8/DARC\0~8/DVB-S2\0~8/GSM-A\0"
    "~8/GSM-B\0~8/HITAG\0~8/I-432-1|~8/ITU\0~8/I-CODE\0~8/LTE\0"
    "~8/MAXIM-DOW|~8/MAXIM|DOW-CRC\0~8/MIFARE-MAD\0~8/NRSC-5\0~8/OPENSAFETY\0"
    "~8/ROHC\0~8/SAE-J1850\0~8/TECH-3250|~8/AES|~8/EBU\0~8/WCDMA\0"
    "~16/CDMA2000\0~16/CMS\0~16/DDS-110\0~16/DECT-R|R-CRC-16\0"
    "~16/DECT-X|X-CRC-16\0~16/DNP\0~16/EN-13757\0"
    "~16/GENIBUS|~16/DARC|~16/EPC|~16/EPC-C1G2|~16/I-CODE\0~16/GSM\0"
    "~16/IBM-SDLC|~16/ISO-HDLC|~16/ISO-IEC-14443-3-B|~16/X-25|~B|X-25\0"
    "~16/ISO-IEC-14443-3-A|~A\0~16/LJ1200\0~16/M17\0~16/MAXIM-DOW|~16/MAXIM\0"
    "~16/MCRF4XX\0~16/NRSC-5\0~16/OPENSAFETY-A\0~16/OPENSAFETY-B\0"
    "~16/PROFIBUS|~16/IEC-61158-2\0~16/RIELLO\0~16/SPI-FUJITSU|~16/AUG-CCITT\0"
    "~16/T10-DIF\0~16/TELEDISK\0~16/TMS37157\0~16/UMTS|~16/BUYPASS|~16/VERIFONE\0"
    "~16/USB\0"
    "~32/AIXM|~32Q\0~32/AUTOSAR\0~32/BASE91-D|~32D\0~32/CD-ROM-EDC\0"
    "~32/CKSUM|CKSUM|~32/POSIX\0~32/JAMCRC|JAMCRC\0~32/MEF\0~32/XFER|XFER\0"
    "~64/ECMA-182|~64\0~64/GO-ISO\0~64/MS\0~64/NVME\0~64/REDIS\0~64/WE\0"
    "sha256|SHA-256\0sha512|SHA-512";

// Their parameters, in the same order, each in one number (A): the width in bytes, the
// polynomial (0: a sum or a digest), refin and refout alike, init and xorout all ones, else init
// up to 16 bits and xorout up to 8.
enum : uint8_t { REFLECTED = 1, INIT_ONES = 2, XOR_ONES = 4, DIGEST = 8 };
constexpr uint32_t R = REFLECTED, I = INIT_ONES, X = XOR_ONES;
constexpr uint64_t A(int32_t bytes, uint64_t poly, uint32_t flags, uint32_t init = 0,
                     uint32_t xorOut = 0) {
    uint64_t log = 0;
    while (1 << log < bytes)
        ++log;
    return poly | uint64_t{init} << 32 | uint64_t{xorOut} << 48 | uint64_t{flags} << 56 | log << 60;
}
constexpr uint64_t POLYS_64[] = {0x42F0E1EBA9EA3693, 0x1B, 0x259C84CBA6426349, 0xAD93D23594C93659,
                                 0xAD93D23594C935A9};
constexpr uint64_t ALGORITHMS[] = {
    A(4, 0x4C11DB7, R | I | X),
    A(4, 0x4C11DB7, I),
    A(2, 0x1021, 0),
    A(2, 0x1021, I),
    A(2, 0x8005, R | I),
    A(2, 0x1021, R),
    A(2, 0x8005, R),
    A(1, 0x7, 0),
    A(4, 0x1EDC6F41, R | I | X),
    A(4, 0x4C11DB7, I | X),
    A(8, 0, R | I | X),
    A(4, 0, 0),
    A(2, 0, 0),
    A(1, 0, 0),
    // 8 bits
    A(1, 0x2F, I | X),
    A(1, 0xA7, R),
    A(1, 0x9B, I),
    A(1, 0x39, R),
    A(1, 0xD5, 0),
    A(1, 0x1D, 0),
    A(1, 0x49, X),
    A(1, 0x1D, I),
    A(1, 0x7, 0, 0, 0x55),
    A(1, 0x1D, 0, 0xFD),
    A(1, 0x9B, 0),
    A(1, 0x31, R),
    A(1, 0x1D, 0, 0xC7),
    A(1, 0x31, I),
    A(1, 0x2F, 0),
    A(1, 0x7, R | I),
    A(1, 0x1D, I | X),
    A(1, 0x1D, R | I),
    A(1, 0x9B, R),
    // 16 bits
    A(2, 0xC867, I),
    A(2, 0x8005, I),
    A(2, 0x8005, 0, 0x800D),
    A(2, 0x589, 0, 0, 0x01),
    A(2, 0x589, 0),
    A(2, 0x3D65, R | X),
    A(2, 0x3D65, X),
    A(2, 0x1021, I | X),
    A(2, 0x1021, X),
    A(2, 0x1021, R | I | X),
    A(2, 0x1021, R, 0xC6C6),
    A(2, 0x6F63, 0),
    A(2, 0x5935, I),
    A(2, 0x8005, R | X),
    A(2, 0x1021, R | I),
    A(2, 0x80B, R | I),
    A(2, 0x5935, 0),
    A(2, 0x755B, 0),
    A(2, 0x1DCF, I | X),
    A(2, 0x1021, R, 0xB2AA),
    A(2, 0x1021, 0, 0x1D0F),
    A(2, 0x8BB7, 0),
    A(2, 0xA097, 0),
    A(2, 0x1021, R, 0x89EC),
    A(2, 0x8005, 0),
    A(2, 0x8005, R | I | X),
    // 32 bits
    A(4, 0x814141AB, 0),
    A(4, 0xF4ACFB13, R | I | X),
    A(4, 0xA833982B, R | I | X),
    A(4, 0x8001801B, R),
    A(4, 0x4C11DB7, X),
    A(4, 0x4C11DB7, R | I),
    A(4, 0x741B8CD7, R | I),
    A(4, 0xAF, 0),
    // 64 bits (the polynomial: its index in POLYS_64)
    A(8, 0, 0),
    A(8, 1, R | I | X),
    A(8, 2, R | I),
    A(8, 3, R | I | X),
    A(8, 4, R),
    A(8, 0, I | X),
    // the digests
    A(32, 0, DIGEST),
    A(64, 0, DIGEST),
};
constexpr int32_t NAMED_COUNT = sizeof ALGORITHMS / sizeof ALGORITHMS[0];

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
    for (int32_t k = 0; k < NAMED_COUNT; ++k) {
        for (;;) {
            bool crc = *known == '~';
            int32_t size = 0, prefix = crc ? 4 : 0;
            while (known[size] && known[size] != '|')
                ++size;
            if (size - crc + prefix == length && SameLetters(name, "CRC-", prefix) &&
                SameLetters(name + prefix, known + crc, length - prefix))
                return k;
            known += size + 1;
            if (known[-1] != '|') break;
        }
    }
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
    // crc-W with CRC parameters: W 8, 16, 32 or 64, without a leading 0 (crc-16 alone is a
    // catalogue name)
    int32_t end = SlashFrom(text, length, 0), named = -1;
    int32_t bits = 0;
    for (int32_t i = 4; i < end && bits < 64 && text[i] >= '0' && text[i] <= '9'; ++i)
        bits = bits * 10 + text[i] - '0';
    bool parameters = false; // a CRC parameter among the parts
    for (int32_t at = end; at < length; at = SlashFrom(text, length, at + 1))
        parameters |= PartOf(text, at + 1, SlashFrom(text, length, at + 1)) <= PART_REFOUT;
    if ((bits == 8 || bits == 16 || bits == 32 || bits == 64) && SameLetters(text, "crc-", 4) &&
        text[4] != '0' && end == (bits < 10 ? 5 : 6) && parameters) {
        algorithm.bits = static_cast<uint16_t>(bits);
        algorithm.kind = CHECKSUM_CRC;
    } else {
        // A name: up to the second "/" (a catalogue name holds one), else up to the first.
        int32_t second = end < length ? SlashFrom(text, length, end + 1) : end;
        if ((named = Named(text, second)) >= 0)
            end = second;
        else if ((named = Named(text, end)) < 0)
            return ALGORITHM_UNKNOWN;
        uint64_t known = ALGORITHMS[named];
        auto flags = static_cast<uint32_t>(known >> 56 & 15);
        int32_t width = 8 << (known >> 60);
        algorithm.poly = width == 64 ? POLYS_64[known & 7] : known & 0xFFFFFFFF;
        algorithm.kind = flags & DIGEST   ? CHECKSUM_DIGEST
                         : algorithm.poly ? CHECKSUM_CRC
                                          : CHECKSUM_SUM;
        algorithm.bits = static_cast<uint16_t>(width);
        algorithm.refIn = algorithm.refOut = flags & REFLECTED;
        uint64_t ones = ~uint64_t{0} >> (64 - (width < 64 ? width : 64));
        algorithm.init = flags & INIT_ONES ? ones : known >> 32 & 0xFFFF;
        algorithm.xorOut = flags & XOR_ONES ? ones : known >> 48 & 0xFF;
        // (a digest takes no part)
        if (algorithm.kind == CHECKSUM_DIGEST && end < length) return ALGORITHM_UNKNOWN;
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

bool KnownAlgorithm(int32_t index, ChecksumAlgorithm &algorithm, char *name, int32_t *nameLength) {
    if (index < 0 || index >= NAMED_COUNT) return false;
    const char *known = NAMES;
    for (int32_t k = 0; k < index; ++k)
        known += std::strlen(known) + 1;
    int32_t length = 0;
    if (*known == '~') {
        std::memcpy(name, "CRC-", 4);
        length = 4;
        ++known;
    }
    while (*known && *known != '|')
        name[length++] = *known++;
    *nameLength = length;
    int32_t none = 0;
    return ReadChecksumAlgorithm(name, length, algorithm, &none, &none) == ALGORITHM_READ;
}
