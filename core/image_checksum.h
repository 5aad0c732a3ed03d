// SPDX-License-Identifier: MIT
/*
 * Checksums over the bytes of an image: CRCs of any parameters and byte or word sums, computed
 * piece by piece.
 *
 * An algorithm is a ChecksumAlgorithm: a CRC with the catalogue's parameters (width, poly, init,
 * xorout, refin, refout), or a sum of 8, 16 or 32 bits; either over bytes, or over words of 2 or
 * 4 bytes in either order; a sum maybe negated. (app/values.h reads one by its name.)
 *
 * An ImageChecksum is begun for one algorithm, then takes bytes in any number of pieces, and
 * runs of one repeated byte (the fill of gaps) of any length; a piece of 0 bytes, or fewer,
 * changes nothing. Words are taken across pieces; a CRC takes each word's bytes most
 * significant first, a sum adds the words. EndImageChecksum gives the value of everything taken
 * so far (whole words), in the algorithm's width, and leaves the sum as it was, so that more may
 * follow. Begin fills the CRC's tables inside the ImageChecksum (16 KiB; 2 KiB in the Windows
 * program, which takes a byte at a time). Nothing fails; a zero-filled algorithm is none, its
 * width 0 and its value 0. ChecksumBytes writes a value's first `width` bytes (1 to 8) to out in
 * either byte order, the rest of out as it was.
 */
#pragma once

#include <cstddef>
#include <cstdint>

enum ChecksumKind : uint8_t { CHECKSUM_NONE, CHECKSUM_CRC, CHECKSUM_SUM };

struct ChecksumAlgorithm {
    ChecksumKind kind;
    uint8_t bits;       // of the value: 8, 16, 32 or 64
    bool refIn, refOut; // a CRC's: each byte taken least significant bit first; its value reflected
    uint8_t wordSize;   // the bytes of a word: 1, 2 or 4
    bool wordsBigEndian;         // the words' byte order
    bool negated;                // a sum's two's complement
    uint64_t poly, init, xorOut; // a CRC's, as the catalogue gives them
};

int32_t ChecksumWidth(const ChecksumAlgorithm &algorithm); // in bytes: 1, 2, 4 or 8

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
};

void BeginImageChecksum(ImageChecksum &sum, const ChecksumAlgorithm &algorithm);
void AddImageBytes(ImageChecksum &sum, const uint8_t *bytes, ptrdiff_t count);
void AddImageFill(ImageChecksum &sum, uint8_t fill, uint64_t count); // count copies of fill
uint64_t EndImageChecksum(const ImageChecksum &sum);

void ChecksumBytes(uint64_t value, int32_t width, bool bigEndian, uint8_t out[8]);
