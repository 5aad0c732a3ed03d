// SPDX-License-Identifier: MIT
/*
 * The bytes that a file's data records hold in given address ranges, for checksums over them.
 *
 * BeginImageRuns takes the ranges (first and last address, both included; borrowed until
 * ReleaseImageRuns). CollectImageRuns is the visitor of a checking walk (core/patcher.h): of every
 * data record up to the end-of-file record (core/addresses.h places them; a record after it holds
 * no address, as for --set) it keeps the part in each range as a run: its address, its bytes and
 * the record's line (records that follow each other make one run). Records may come in any order;
 * memory grows with the bytes in the ranges, not with the file.
 *
 * SortImageRuns orders the runs by address (then line) and gives the lowest address that two
 * records hold with different values, and their lines; a conflict with first == 0 is none.
 * OverlayImageBytes puts values in place of the bytes held at their addresses, wherever runs hold
 * them (bytes set before a checksum is taken, or a checksum stored where another range reads it).
 * ReadImageBytes reads count bytes (1 to 4) from address: true when runs hold each one, and the
 * line of the record that holds the first. ImageChecksumOver takes a sorted image's bytes from
 * first to last in address order, the addresses that no run holds as the fill byte
 * (core/image_checksum.h).
 *
 * Memory comes from the main heap (runtime/registry.h): a shortage ends the process (exit code
 * 3). Zero-filled, an ImageRuns is empty; ReleaseImageRuns frees what it holds.
 */
#pragma once

#include "core/image_checksum.h"

#include <cstdint>

// Ranges lie at 0xFFFFFFFF at most, and so do the runs in them.
struct ImageRange {
    uint32_t first, last;
};

// The bytes of records of `each` bytes on lines one after another, at addresses one after
// another, as a file's data records mostly are.
struct ImageRun {
    uint32_t address;
    uint32_t count;
    int64_t line; // of the record that holds its first byte
    uint32_t at;  // of its first byte in the image's bytes
    uint32_t each;
};

struct ImageRuns {
    const ImageRange *ranges; // borrowed
    int32_t rangeCount;
    ImageRun *runs; // owned, main heap
    int64_t runCount, runCapacity;
    uint8_t *bytes; // owned, main heap
    int64_t byteCount, byteCapacity;
    uint64_t base;    // of the walk: the records' address base
    int64_t endLine;  // of the walk: the end-of-file record's line, or 0
    int64_t lastLine; // of the walk: the line of the record that the last run ends with
};

struct ImageConflict {
    uint32_t address;
    int64_t first, second; // lines; 0: no conflict
};

void BeginImageRuns(ImageRuns &image, const ImageRange *ranges, int32_t rangeCount);
int32_t CollectImageRuns(void *context, int64_t line, int64_t position, char *record,
                         int32_t length);
ImageConflict SortImageRuns(ImageRuns &image);
void OverlayImageBytes(ImageRuns &image, uint32_t address, const uint8_t *bytes, int32_t count);
bool ReadImageBytes(const ImageRuns &image, uint32_t address, int32_t count, uint8_t *out,
                    int64_t *line);
uint32_t ImageChecksumOver(const ImageRuns &image, ChecksumAlgorithm algorithm, uint32_t first,
                           uint32_t last, uint8_t fill);
void ReleaseImageRuns(ImageRuns &image);
