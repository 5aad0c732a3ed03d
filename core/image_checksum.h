// SPDX-License-Identifier: MIT
/*
 * Checksums over the bytes of an image: CRCs of any parameters and byte or word sums, computed
 * piece by piece.
 *
 * An algorithm is a ChecksumAlgorithm: a CRC with the catalogue's parameters (width, poly, init,
 * xorout, refin, refout), or a sum of 8, 16 or 32 bits; either over bytes, or over words of 2 or
 * 4 bytes in either order; a sum maybe negated; or a digest of the system's cryptography,
 * SHA-256 or SHA-512 (runtime/platform.h), over bytes. (app/values.h reads one by its name.)
 *
 * An ImageChecksum is begun for one algorithm, then takes bytes in any number of pieces, and
 * runs of one repeated byte (the fill of gaps) of any length; a piece of 0 bytes, or fewer,
 * changes nothing. Words are taken across pieces; a CRC takes each word's bytes most
 * significant first, a sum adds the words. EndImageChecksum gives a CRC's or a sum's value of
 * everything taken so far (whole words), in the algorithm's width, and leaves the sum as it was,
 * so that more may follow. EndImageValue gives any algorithm's value as its bytes, most
 * significant first (a digest's in its own order); a digest is ended by it, and every digest
 * begun must be (the system's object is freed then); a digest the system cannot begin ends the
 * process as a shortage of memory does (exit code 3). Begin fills the CRC's tables inside the
 * ImageChecksum (16 KiB; 2 KiB in the Windows program, which takes a byte at a time). Nothing
 * else fails; a zero-filled algorithm is none, its width 0 and its value 0. ValueBytes writes a
 * value's bytes as they are stored: in either byte order (a digest's always in its own).
 */
#pragma once

#include <cstddef>
#include <cstdint>

enum ChecksumKind : uint8_t { CHECKSUM_NONE, CHECKSUM_CRC, CHECKSUM_SUM, CHECKSUM_DIGEST };

struct ChecksumAlgorithm {
    ChecksumKind kind;
    uint16_t bits;      // of the value: 8, 16, 32 or 64; a digest's 256 or 512
    bool refIn, refOut; // a CRC's: each byte taken least significant bit first; its value reflected
    uint8_t wordSize;   // the bytes of a word: 1, 2 or 4
    bool wordsBigEndian;         // the words' byte order
    bool negated;                // a sum's two's complement
    uint64_t poly, init, xorOut; // a CRC's, as the catalogue gives them
};

int32_t ChecksumWidth(const ChecksumAlgorithm &algorithm); // in bytes: 1, 2, 4, 8, 32 or 64

// A value: width bytes, most significant first (a digest's in its own order).
constexpr int32_t MOST_VALUE_BYTES = 64;
struct ChecksumValue {
    uint8_t bytes[MOST_VALUE_BYTES];
    int32_t width;
};
ChecksumValue ValueOfNumber(uint64_t number, int32_t width);
inline bool SameValue(const ChecksumValue &a, const ChecksumValue &b) {
    for (int32_t k = 0; k < a.width; ++k)
        if (a.bytes[k] != b.bytes[k]) return false;
    return a.width == b.width;
}

#ifdef _WIN32
constexpr int32_t CRC_SLICES = 1;
#else
constexpr int32_t CRC_SLICES = 8; // slicing by 8: eight bytes take eight independent look-ups
#endif

struct ImageChecksum {
    ChecksumAlgorithm algorithm;
    uint64_t state;     // a CRC's register (reflected, or in the upper bits), or the sum
    uint8_t pending[4]; // the bytes of a word begun
    int32_t pendingCount;
    uint64_t tables[CRC_SLICES][256]; // a CRC's: table k gives a byte followed by k more
    void *digest;                     // a digest's, the system's (runtime/platform.h)
};

void BeginImageChecksum(ImageChecksum &sum, const ChecksumAlgorithm &algorithm);
void AddImageBytes(ImageChecksum &sum, const uint8_t *bytes, ptrdiff_t count);
void AddImageFill(ImageChecksum &sum, uint8_t fill, uint64_t count); // count copies of fill
uint64_t EndImageChecksum(const ImageChecksum &sum);
ChecksumValue EndImageValue(ImageChecksum &sum);

// The value's bytes as stored (out holds its width), and the value that stored bytes hold.
void ValueBytes(const ChecksumValue &value, const ChecksumAlgorithm &algorithm, bool bigEndian,
                uint8_t *out);
ChecksumValue StoredBytesValue(const uint8_t *bytes, const ChecksumAlgorithm &algorithm,
                               bool bigEndian);
