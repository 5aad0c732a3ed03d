// SPDX-License-Identifier: MIT
/*
 * Checksums over the bytes of an image: four CRCs and three byte sums, computed piece by piece.
 *
 * Each algorithm has a short lower-case name, matched exactly, and the CRCs also the name of
 * the CRC catalogue, matched in either case (one alias as well):
 *   crc32         CRC-32/ISO-HDLC                      4 bytes
 *   crc32-mpeg2   CRC-32/MPEG-2                        4 bytes
 *   crc16-xmodem  CRC-16/XMODEM                        2 bytes
 *   crc16-ccitt   CRC-16/IBM-3740, CRC-16/CCITT-FALSE  2 bytes
 *   sum8, sum16, sum32: the bytes' sum modulo 2^8, 2^16, 2^32; 1, 2 and 4 bytes
 * ChecksumAlgorithmNamed gives CHECKSUM_NONE for any other name; for CHECKSUM_NONE
 * ChecksumShortName gives "" and ChecksumWidth 0.
 *
 * An ImageChecksum is begun for one algorithm, then takes bytes in any number of pieces, and
 * runs of one repeated byte (the fill of gaps) of any length; a piece of 0 bytes, or fewer,
 * changes nothing. EndImageChecksum gives the value of everything taken so far, in the
 * algorithm's width, and leaves the sum as it was, so that more may follow. The CRC tables are
 * filled on first use, into zero-initialised storage (24 KiB in all); one thread only. Nothing
 * fails; a sum begun for CHECKSUM_NONE stays 0. ChecksumBytes writes a value's first `width`
 * bytes (1 to 4) to out in either byte order, the rest of out as it was.
 */
#pragma once

#include <cstdint>

enum ChecksumAlgorithm : int32_t {
    CHECKSUM_NONE = 0,
    CHECKSUM_CRC32,        // CRC-32/ISO-HDLC
    CHECKSUM_CRC32_MPEG2,  // CRC-32/MPEG-2
    CHECKSUM_CRC16_XMODEM, // CRC-16/XMODEM
    CHECKSUM_CRC16_CCITT,  // CRC-16/IBM-3740
    CHECKSUM_SUM8,
    CHECKSUM_SUM16,
    CHECKSUM_SUM32,
};

struct ImageChecksum {
    ChecksumAlgorithm algorithm;
    uint32_t state; // a CRC's register (a 16-bit one in the upper half), or the sum
};

// The algorithm a name of length bytes (no zero byte needed) stands for; CHECKSUM_NONE for none.
ChecksumAlgorithm ChecksumAlgorithmNamed(const char *name, int32_t length);
const char *ChecksumShortName(ChecksumAlgorithm algorithm); // "crc32", ...
int32_t ChecksumWidth(ChecksumAlgorithm algorithm);         // in bytes: 1, 2 or 4

void BeginImageChecksum(ImageChecksum &sum, ChecksumAlgorithm algorithm);
void AddImageBytes(ImageChecksum &sum, const uint8_t *bytes, int64_t count);
void AddImageFill(ImageChecksum &sum, uint8_t fill, uint64_t count); // count copies of fill
uint32_t EndImageChecksum(const ImageChecksum &sum);

void ChecksumBytes(uint32_t value, int32_t width, bool bigEndian, uint8_t out[4]);
