// SPDX-License-Identifier: MIT
/*
 * A file that gains bytes no record holds: new data records in the file's own style, every line
 * of the file staying byte for byte and in its order.
 *
 * The bytes to add come as runs (GrowthRun) in rising address order, none overlapping and none
 * held by a record of the file; each holds its own bytes, or one byte over all of it (a pad).
 * GrowHexFile reads the file from the channel `from` twice (a checking walk, core/patcher.h, then
 * its bytes as they stand) and writes it to the channel `to` with the new records among its
 * lines. Each run goes:
 * - after the record that holds the byte just below it under the same base, at the start of the
 *   next line that holds more than blanks (or the file's end), in records of that record's
 *   length;
 * - else before the record that holds the byte just above it;
 * - else before the end-of-file record (at the file's end where there is none);
 * in the last two cases in records of the file's most common data-record length (16 where there
 * are none). Records never cross a 64 KiB boundary: an address record (02 in a file that uses 02
 * records and none of type 04, for addresses below 1 MiB; else 04) comes wherever the base must
 * change, and the base in effect before comes back behind them where a data record follows.
 * Their digits take the case of the record before them (before the first record, its own;
 * upper case where there is none with letters), their line ends that of the line before them (the
 * file's commonest where there is none, or it is a zero byte: CR LF, LF or CR). A last line without
 * a line end that new records follow gets the file's commonest line end.
 *
 * The file's image must be known (core/addresses.h): the caller reads it first. Returns 1, or -1
 * when a read or write failed (ChannelFailure of either channel tells); *added counts the lines
 * added.
 */
#pragma once

#include <cstdint>

struct GrowthRun {
    uint32_t first, last;
    const uint8_t *bytes; // borrowed: last - first + 1 bytes; null: fill over all of them
    uint8_t fill;
};

int32_t GrowHexFile(int32_t from, int32_t to, const GrowthRun *runs, int32_t runCount,
                    int64_t *added);
