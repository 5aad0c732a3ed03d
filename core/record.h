// SPDX-License-Identifier: MIT
/*
 * The one rule for what an Intel HEX record line is, and its checksum.
 *
 * A record line is ":" followed only by hexadecimal digits of either case. It is well-formed
 * when it is exactly 11 + 2 x its byte count characters long (the byte count is the first digit
 * pair): byte count, address, type, data and the checksum field. The same line without its
 * checksum field is 9 + 2 x byte count long. ClassifyRecord says which of the two a line of the
 * given length is, or that it is neither, and gives the right checksum of the record's bytes:
 * the two's complement of their sum; for a line that is neither, checksum stays as it was. The
 * line needs no zero byte; at most LONGEST_RECORD of its bytes are read. Nothing fails: any
 * bytes give an answer.
 *
 * Text typed or pasted by hand need not be a record, and is read leniently: HexPairValue reads
 * one byte value from at most the first two characters of a String (hexadecimal digits of
 * either case shift and add, any other character is skipped), and the lenient checksum sums
 * the byte count and then count + 3 such pairs after it (address, type, data), the ones beyond
 * the text counting 0. For a well-formed record both readings give the same checksum.
 *
 * A record keeps its case: RecordCase gives the digits of its hexadecimal letters, from the byte
 * count through the checksum field as they stand: lower case (LOWER_HEX_DIGITS) when they are
 * all lower case, else upper case (HEX_DIGITS); null when it has none. RecordDigitSet gives the
 * digits written into a record: its own case, else that of the record before it (before, null
 * when there is none or it has no letters either), else upper case. ChecksumDigits writes a
 * checksum in the digits given, upper case unless told.
 *
 * CompleteRecordChecksum takes a line that ends in its old two-character checksum and a
 * two-character line end (CR LF), and gives the line without those four characters followed by
 * the lenient checksum in two upper-case digits (":" and "" give "00"). CompleteRecordLine is
 * the window's completion of what the user typed: its text up to the first line end; a
 * well-formed record gets its checksum field replaced, one without its checksum field gets one
 * appended, and anything else is taken to end in its checksum field, which the lenient checksum
 * replaces. Both give their result at the result start (runtime/strings.h); every other
 * character stays as it is.
 */
#pragma once

#include "runtime/strings.h"

#include <cstdint>

constexpr int32_t LONGEST_RECORD = 11 + 2 * 255;

enum RecordShape : int32_t {
    NOT_A_RECORD = 0,
    RECORD_WITH_CHECKSUM = 1,    // 11 + 2 x byte count characters
    RECORD_WITHOUT_CHECKSUM = 2, // 9 + 2 x byte count characters
};

inline constexpr char LOWER_HEX_DIGITS[] = "0123456789abcdef";

RecordShape ClassifyRecord(const char *line, int64_t length, uint8_t *checksum); // set for records
// A record's case; length: its characters from ":" through its checksum field (11 at least).
const char *RecordCase(const char *record, int32_t length);
const char *RecordDigitSet(const char *record, int32_t length, const char *before);
// The rule itself, for a record's case (own) and that of the record before it, each null for none.
inline const char *CaseDigits(const char *own, const char *before) {
    return own ? own : before ? before : HEX_DIGITS;
}
// The checksum in two hexadecimal digits of the digit set (HEX_DIGITS or LOWER_HEX_DIGITS).
inline void ChecksumDigits(uint8_t checksum, char digits[2], const char *digitSet = HEX_DIGITS) {
    digits[0] = digitSet[checksum >> 4];
    digits[1] = digitSet[checksum & 15];
}
// Writes the right checksum of a well-formed record (length: from ":" through its checksum field)
// into its checksum field, in the digits given.
void RemakeChecksum(char *record, int32_t length, const char *digitSet);
int32_t HexDigitValue(int c); // 0 to 15 for a hexadecimal digit of either case, else -1

int32_t HexPairValue(const char *pair);
char *CompleteRecordChecksum(const char *line, int32_t resultStart);
char *CompleteRecordLine(const char *text, int32_t resultStart);

// The record a line holds, as files patch and check it: a line that is a record with its
// checksum field, or such a record followed by a blank or a tab and any text (a comment, as
// some programmer tools write behind each record so that people can read the file). Of the
// line the first `stored` bytes are at hand: all of it, or more than LONGEST_RECORD bytes.
// Returns the record's length (the whole line, or the part before the blank), 0 when the line
// holds no record; *checksum as ClassifyRecord gives it.
int64_t RecordInLine(const char *line, int64_t stored, uint8_t *checksum);
// The record at the start of a line, taken fast: when the line starts with ":" and a byte count,
// and its first 11 + 2 x byte count characters, no more than stored, are digits after the ":",
// returns that length, and in *total the sum of the record's bytes with its checksum field,
// modulo 256: 0 when the checksum is right. What follows the record is not looked at. Else 0.
int32_t RecordSum(const char *line, int64_t stored, uint8_t *total);
// The value of the digit pair with the given index of a record (0: its byte count, 1 and 2: its
// address, 3: its type, 4 on: its data), for records RecordInLine found.
uint8_t RecordPair(const char *record, int32_t index);

// Why a line of the given length that starts with ":" is not a well-formed record, from its
// first `stored` bytes (at most the whole line; no more than LONGEST_RECORD + 2 are looked at):
// the position, counted from 1 with the ":" as 1, of its first character that is not a
// hexadecimal digit (0 when there is none among them); and
// the length its byte count asks for (11 + 2 x byte count), or -1 when it has no byte count;
// and, when its first nine characters are digits, the byte count, address and type they give.
struct RecordFault {
    int64_t notDigit;
    int64_t expected;
    bool headed; // count, offset and type are known
    int32_t count, offset, type;
};
RecordFault DiagnoseRecord(const char *line, int64_t stored);
