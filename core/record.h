/*
 * The one rule for what an Intel HEX record line is, and its checksum.
 *
 * A record line is ":" followed only by hexadecimal digits of either case. It is well-formed
 * when it is exactly 11 + 2 x its byte count characters long (the byte count is the first digit
 * pair): byte count, address, type, data and the checksum field. The same line without its
 * checksum field is 9 + 2 x byte count long. ClassifyRecord says which of the two a line of the
 * given length is, or that it is neither, and gives the right checksum of the record's bytes:
 * the two's complement of their sum, which HexPairValue and CompleteRecordChecksum
 * (core/checksum.h) also give for such a line; for a line that is neither, checksum stays as
 * it was. The line needs no zero byte; at most
 * LONGEST_RECORD of its bytes are read. Nothing fails: any bytes give an answer.
 */
#pragma once

#include <cstdint>

constexpr int32_t LONGEST_RECORD = 11 + 2 * 255;

enum RecordShape : int32_t {
    NOT_A_RECORD = 0,
    RECORD_WITH_CHECKSUM = 1,    // 11 + 2 x byte count characters
    RECORD_WITHOUT_CHECKSUM = 2, // 9 + 2 x byte count characters
};

RecordShape ClassifyRecord(const char *line, int64_t length, uint8_t *checksum); // set for records
void ChecksumDigits(uint8_t checksum, char digits[2]); // two upper-case hexadecimal digits

// Why a line of the given length that starts with ":" is not a well-formed record, from its
// first `stored` bytes (at most the whole line; no more than LONGEST_RECORD + 2 are looked at):
// the position, counted from 1 with the ":" as 1, of its first character that is not a
// hexadecimal digit (0 when there is none among them); and
// the length its byte count asks for (11 + 2 x byte count), or -1 when it has no byte count.
struct RecordFault {
    int64_t notDigit;
    int64_t expected;
};
RecordFault DiagnoseRecord(const char *line, int64_t stored);
