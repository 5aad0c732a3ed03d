// SPDX-License-Identifier: MIT
#include "core/image_checksum.h"

#include <cstring>

namespace {

enum ChecksumKind : uint8_t { KIND_NONE, CRC_REFLECTED, CRC_FORWARD, BYTE_SUM };

// A CRC's register as its loop keeps it. A reflected CRC (least significant bit first) keeps
// its polynomial and register reflected; a forward CRC (most significant bit first) narrower
// than 32 bits sits in the register's upper bits, its polynomial and initial value shifted up
// with it, so that one forward loop serves both widths.
struct Algorithm {
    const char *shortName;
    const char *catalogueName; // upper case; null for the sums
    const char *alias;         // upper case; or null
    int32_t width;             // in bytes
    ChecksumKind kind;
    int32_t table; // of crcTables
    uint32_t polynomial, initial, finalXor;
};

constexpr Algorithm ALGORITHMS[] = {
    {"", nullptr, nullptr, 0, KIND_NONE, 0, 0, 0, 0},
    {"crc32", "CRC-32/ISO-HDLC", nullptr, 4, CRC_REFLECTED, 0, 0xEDB88320u, 0xFFFFFFFFu,
     0xFFFFFFFFu},
    {"crc32-mpeg2", "CRC-32/MPEG-2", nullptr, 4, CRC_FORWARD, 1, 0x04C11DB7u, 0xFFFFFFFFu, 0},
    {"crc16-xmodem", "CRC-16/XMODEM", nullptr, 2, CRC_FORWARD, 2, 0x10210000u, 0, 0},
    {"crc16-ccitt", "CRC-16/IBM-3740", "CRC-16/CCITT-FALSE", 2, CRC_FORWARD, 2, 0x10210000u,
     0xFFFF0000u, 0},
    {"sum8", nullptr, nullptr, 1, BYTE_SUM, 0, 0, 0, 0},
    {"sum16", nullptr, nullptr, 2, BYTE_SUM, 0, 0, 0, 0},
    {"sum32", nullptr, nullptr, 4, BYTE_SUM, 0, 0, 0, 0},
};
constexpr int32_t ALGORITHM_COUNT = sizeof ALGORITHMS / sizeof ALGORITHMS[0];

// Slicing by 8: table k gives what a byte does to the register when k more bytes follow it,
// so that eight bytes take eight independent look-ups. Three sets of eight tables of 256
// (CRC-16/XMODEM and CRC-16/IBM-3740 share one), 24 KiB of zero-initialised storage filled on
// first use, so that the program's image does not carry them. A filled set's entry 1 is never
// 0: no CRC polynomial divides a lone power of x.
uint32_t crcTables[3][8][256];

const Algorithm &AlgorithmOf(ChecksumAlgorithm algorithm) {
    return ALGORITHMS[algorithm > 0 && algorithm < ALGORITHM_COUNT ? algorithm : 0];
}

void FillTables(uint32_t (&tables)[8][256], const Algorithm &crc) {
    bool reflected = crc.kind == CRC_REFLECTED;
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = reflected ? i : i << 24;
        for (int32_t bit = 0; bit < 8; ++bit)
            value = reflected ? value >> 1 ^ (value & 1 ? crc.polynomial : 0)
                              : value << 1 ^ (value >> 31 ? crc.polynomial : 0);
        tables[0][i] = value;
    }
    for (int32_t k = 1; k < 8; ++k)
        for (int32_t i = 0; i < 256; ++i) {
            uint32_t before = tables[k - 1][i];
            tables[k][i] = reflected ? before >> 8 ^ tables[0][before & 255]
                                     : before << 8 ^ tables[0][before >> 24];
        }
}

uint32_t Little32(const uint8_t *at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint32_t Big32(const uint8_t *at) {
    return static_cast<uint32_t>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
}

// The Windows program, which has to fit in 88 KiB, takes a byte at a time.
#ifdef _WIN32
constexpr bool SLICED = false;
#else
constexpr bool SLICED = true;
#endif

uint32_t AddReflected(const uint32_t (&t)[8][256], uint32_t crc, const uint8_t *at, int64_t count) {
    for (; SLICED && count >= 8; count -= 8, at += 8) {
        uint32_t low = crc ^ Little32(at), high = Little32(at + 4);
        crc = t[7][low & 255] ^ t[6][low >> 8 & 255] ^ t[5][low >> 16 & 255] ^ t[4][low >> 24] ^
              t[3][high & 255] ^ t[2][high >> 8 & 255] ^ t[1][high >> 16 & 255] ^ t[0][high >> 24];
    }
    for (; count > 0; --count)
        crc = crc >> 8 ^ t[0][(crc ^ *at++) & 255];
    return crc;
}

uint32_t AddForward(const uint32_t (&t)[8][256], uint32_t crc, const uint8_t *at, int64_t count) {
    for (; SLICED && count >= 8; count -= 8, at += 8) {
        uint32_t high = crc ^ Big32(at), low = Big32(at + 4);
        crc = t[7][high >> 24] ^ t[6][high >> 16 & 255] ^ t[5][high >> 8 & 255] ^ t[4][high & 255] ^
              t[3][low >> 24] ^ t[2][low >> 16 & 255] ^ t[1][low >> 8 & 255] ^ t[0][low & 255];
    }
    for (; count > 0; --count)
        crc = crc << 8 ^ t[0][crc >> 24 ^ *at++];
    return crc;
}

// Whether the name's length bytes are the known name's, letters in either case when anyCase
// (known names are upper case then).
bool SameName(const char *name, int32_t length, const char *known, bool anyCase) {
    if (!known) return false;
    for (int32_t i = 0; i < length; ++i) {
        char c = name[i];
        if (anyCase && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (known[i] == 0 || c != known[i]) return false;
    }
    return known[length] == 0;
}

} // namespace

ChecksumAlgorithm ChecksumAlgorithmNamed(const char *name, int32_t length) {
    for (int32_t k = 1; k < ALGORITHM_COUNT; ++k) {
        const Algorithm &known = ALGORITHMS[k];
        if (SameName(name, length, known.shortName, false) ||
            SameName(name, length, known.catalogueName, true) ||
            SameName(name, length, known.alias, true))
            return static_cast<ChecksumAlgorithm>(k);
    }
    return CHECKSUM_NONE;
}

const char *ChecksumShortName(ChecksumAlgorithm algorithm) {
    return AlgorithmOf(algorithm).shortName;
}

int32_t ChecksumWidth(ChecksumAlgorithm algorithm) {
    return AlgorithmOf(algorithm).width;
}

void BeginImageChecksum(ImageChecksum &sum, ChecksumAlgorithm algorithm) {
    const Algorithm &known = AlgorithmOf(algorithm);
    sum.algorithm = algorithm;
    sum.state = known.initial;
    bool crc = known.kind == CRC_REFLECTED || known.kind == CRC_FORWARD;
    if (crc && crcTables[known.table][0][1] == 0) FillTables(crcTables[known.table], known);
}

void AddImageBytes(ImageChecksum &sum, const uint8_t *bytes, int64_t count) {
    const Algorithm &known = AlgorithmOf(sum.algorithm);
    switch (known.kind) {
    case CRC_REFLECTED:
        sum.state = AddReflected(crcTables[known.table], sum.state, bytes, count);
        break;
    case CRC_FORWARD:
        sum.state = AddForward(crcTables[known.table], sum.state, bytes, count);
        break;
    case BYTE_SUM:
        for (int64_t i = 0; i < count; ++i)
            sum.state += bytes[i];
        break;
    case KIND_NONE: break;
    }
}

// A sum takes the run at once (modulo 2^32 the count's lower 32 bits are all that count); a CRC
// takes it from a buffer of fill bytes, again and again.
void AddImageFill(ImageChecksum &sum, uint8_t fill, uint64_t count) {
    ChecksumKind kind = AlgorithmOf(sum.algorithm).kind;
    if (kind == KIND_NONE || count == 0) return;
    if (kind == BYTE_SUM) {
        sum.state += fill * static_cast<uint32_t>(count);
        return;
    }
    uint8_t run[512];
    std::memset(run, fill, sizeof run);
    for (; count > sizeof run; count -= sizeof run)
        AddImageBytes(sum, run, sizeof run);
    AddImageBytes(sum, run, static_cast<int64_t>(count));
}

uint32_t EndImageChecksum(const ImageChecksum &sum) {
    const Algorithm &known = AlgorithmOf(sum.algorithm);
    if (known.width == 0) return 0;
    int32_t unused = 32 - 8 * known.width;
    uint32_t value = sum.state ^ known.finalXor;
    return (known.kind == CRC_FORWARD ? value >> unused : value) & 0xFFFFFFFFu >> unused;
}

void ChecksumBytes(uint32_t value, int32_t width, bool bigEndian, uint8_t out[4]) {
    if (width > 4) width = 4;
    for (int32_t k = 0; k < width; ++k)
        out[k] = static_cast<uint8_t>(value >> 8 * (bigEndian ? width - 1 - k : k));
}
