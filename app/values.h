// SPDX-License-Identifier: MIT
/*
 * The grammar of every value the command line takes, in one place: each read from its text into
 * a typed value (core/byte_settings.h, core/image_checksum.h, app/options.h), or refused with
 * the reason that names it; names in any letter case, as hexadecimal digits are.
 *
 * - A number (ReadSettingNumber): decimal, or 0x (0X) and hexadecimal digits; one that starts
 *   with 0 and goes on in decimal digits (08001000) is ambiguous (AmbiguousLength), decimal to
 *   some readers and hexadecimal to others, and refused as such wherever a number is taken.
 *   An ADDRESS is a number up to 0xFFFFFFFF.
 * - ADDRESS=BYTES of --set (AddByteSetting): BYTES an even number of hexadecimal digits, or a
 *   typed value: TYPE:NUMBER with TYPE one of u8, u16le, u16be, u32le, u32be, u64le, u64be
 *   (NumberTypeNamed), refused where it does not fit, however many digits it has
 *   (SETTING_NO_FIT); str:TEXT for the bytes of TEXT as given (UTF-8), strz:TEXT for the same
 *   and a zero byte. 1 to 255 bytes, the last at 0xFFFFFFFF at most (an ADDRESS past it is
 *   SETTING_PAST_END). The value is kept in the list with its argument number.
 * - ALGORITHM (ReadChecksumAlgorithm): NAME, or crc-W/poly=0xP with /init=0xI, /xorout=0xX,
 *   /refin and /refout in any order after it (W 8, 16, 32 or 64; init and xorout 0 without them,
 *   refin and refout off: the CRC catalogue's parameters), then /w16le, /w16be, /w32le or /w32be
 *   (the bytes read as words of that size and order), and /neg on a sum (its two's complement),
 *   each part once; a digest takes no part. The names: every CRC of 8, 16, 32 and 64 bits of the
 *   public CRC catalogue by its name and its aliases, the most common also by a short name
 *   (crc8, crc16-arc, crc16-ccitt, crc16-kermit, crc16-modbus, crc16-xmodem, crc32, crc32c,
 *   crc32-bzip2, crc32-mpeg2, crc64); sum8, sum16, sum32 (the sum modulo 2^8, 2^16, 2^32);
 *   sha256 (SHA-256) and sha512 (SHA-512). crc-16 and its like are catalogue names alone, and
 *   crc-W with a CRC parameter after it. ALGORITHM_READ, or why not (a value wider than W: where
 *   its 0x starts in text, and its length, in *stretch and *stretchLength).
 * - ALGORITHM:START-END[+START-END...][@ADDRESS[:be] | =VALUE] of --checksum
 *   (ReadChecksumJob), ADDRESS:COUNT or ADDRESS:TYPE of --get (ReadGetJob), BYTE of --fill
 *   (ReadFillByte): FAULT_NONE (true), or the first fault from the left, with the stretch of the
 *   text that it names, if any.
 *
 * Memory: a --checksum value's ranges and name, main heap (a shortage ends the process).
 */
#pragma once

#include "app/options.h"
#include "core/byte_settings.h"
#include "core/image_checksum.h"

#include <cstddef>
#include <cstdint>

bool ReadSettingNumber(const char **at, const char *ends, uint64_t most, uint64_t *number,
                       bool *tooLarge = nullptr);
// The length of an ambiguous number up to one of ends, to refuse it; else 0.
int32_t AmbiguousLength(const char *text, const char *ends);

// A number type: its width in bytes (0: none) and byte order.
struct NumberType {
    int32_t width;
    bool bigEndian;
};
// The type the first length characters of name spell.
NumberType NumberTypeNamed(const char *name, size_t length);
SettingRead AddByteSetting(ByteSettingList &list, const char *text, int32_t argument);

enum AlgorithmRead : int32_t {
    ALGORITHM_READ,
    ALGORITHM_UNKNOWN,     // no name, an unknown part, a part twice, crc-W without poly
    ALGORITHM_TOO_WIDE,    // a value wider than W bits
    ALGORITHM_NEGATED_CRC, // /neg on a CRC
};
AlgorithmRead ReadChecksumAlgorithm(const char *text, int32_t length, ChecksumAlgorithm &algorithm,
                                    int32_t *stretch, int32_t *stretchLength);

// The index-th algorithm known by name, the most common first, and the name the tool gives it
// (in name: room for MOST_NAME_LENGTH); false past the last.
constexpr int32_t MOST_NAME_LENGTH = 32;
bool KnownAlgorithm(int32_t index, ChecksumAlgorithm &algorithm, char *name, int32_t *nameLength);

CommandFault ReadChecksumJob(const char *text, ChecksumJob &job, const char **stretch,
                             int32_t *faultLength);
CommandFault ReadGetJob(const char *text, GetJob &get, const char **stretch, int32_t *faultLength);
bool ReadFillByte(const char *text, uint8_t *fill);
// START-END[+START-END...][=BYTE] of --pad (the pad owns its ranges when it is read);
// FILE[@ADDRESS] of --merge (the merge owns its path); START-END of --binary. False when the
// value is none of these (a number with a leading 0 neither).
bool ReadPadJob(const char *text, PadJob &pad);
bool ReadMergeJob(const char *text, MergeJob &merge);
bool ReadBinaryRange(const char *text, ChecksumRange *range);
// START-END[+START-END...]=VALUE or START-END[+START-END...]@ADDRESS of --find-checksum (the job
// owns its ranges when it is read), VALUE a number, or 0x and up to 128 hexadecimal digits.
bool ReadFindJob(const char *text, FindJob &find);
// VALUE of =VALUE, to its end: a number (decimal, or 0x and up to 16 digits), or 0x and up to 128
// hexadecimal digits (a digest), into value's MOST_VALUE_BYTES, most significant first, the last
// at the end; false when it is neither.
bool ReadGivenValue(const char *text, uint8_t *value);
