// SPDX-License-Identifier: MIT
/*
 * The tests' one rule for Intel HEX records, written apart from the product. A record line is
 * ":" followed only by hexadecimal digits of either case, 11 + 2 x its byte count long with its
 * checksum field, 9 + 2 x byte count without; its checksum is the two's complement of the sum of
 * its bytes (byte count, address, type, data), in upper-case digits.
 *
 * Complete models CompleteRecordChecksum on any text: digit pairs are read leniently (a
 * character that is no digit is passed over), the last four characters are taken for the old
 * checksum and the line end, and the checksum of the pairs the byte count names follows.
 */
#pragma once

#include <string>

namespace reference {

enum Shape { NOT_A_RECORD, WITH_CHECKSUM, WITHOUT_CHECKSUM };

Shape ShapeOf(const std::string &line);
std::string RightDigits(const std::string &line);  // of a record of either shape
int PairValue(const std::string &line, size_t at); // the pair at index at, read leniently
std::string Complete(const std::string &line);

} // namespace reference
