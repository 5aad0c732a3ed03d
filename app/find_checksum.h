// SPDX-License-Identifier: MIT
/*
 * --find-checksum: which checksum gives a file's values. A FileWalk (app/file_walks.h) of
 * COMMAND_FIND: the file is walked into its image over the values' ranges and places, refused as
 * a printed value is (app/image_values.h), and every algorithm known by name (app/values.h), the
 * most common first, is tried with each word form (bytes, w32le, w16le, w32be, w16be; a CRC
 * reads big-endian words as the bytes they are, a digest bytes alone), plain and negated (sums),
 * with the gaps filled with FF and, where a range has gaps, 00, and in both byte orders: a value
 * given (RANGE=VALUE) matches in either order; a value stored (RANGE@ADDRESS) in the order that
 * reads it, over the ranges as given where the value's bytes lie outside them, else over the ranges
 * cut off before ADDRESS. What matches every value of the call is reported (ReportFound) as the
 * options that give it: a --checksum of the same algorithm for each value, and --fill 0x00 where
 * the fill is 00. A CRC's register is computed once for all algorithms that differ in xorout alone.
 * Nothing is written.
 *
 * Memory: the values computed, main heap (a shortage ends the process).
 */
#pragma once

#include "app/options.h"
#include "app/report.h"

void FindChecksumsFile(const CommandLine &command, const char *path, Report &report);
