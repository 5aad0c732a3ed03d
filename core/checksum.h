/*
 * Intel HEX record checksum completion.
 *
 * HexPairValue reads one byte value from at most the first two characters of a String:
 * hexadecimal digits of either case shift and add, any other character is skipped.
 *
 * CompleteRecordChecksum takes a record line that ends in its old two-character checksum and
 * a two-character line end (CR LF), and writes at resultStart the line without those four
 * characters followed by the recomputed checksum as two upper-case digits. Every other
 * character is kept as it is. It never fails: short or malformed lines still give a result
 * (":" and "" give "00"). The result follows the workspace convention of runtime/strings.h.
 */
#pragma once

#include <cstdint>

int32_t HexPairValue(const char *pair);
char *CompleteRecordChecksum(const char *line, int32_t resultStart);
