// SPDX-License-Identifier: MIT
/*
 * The image of an Intel HEX file as every feature that reads or writes by address takes it: the
 * bytes that its data records hold in given address ranges, placed by core/addresses.h.
 *
 * BeginHexImage takes the ranges, in any order, overlapping or not. HexImageVisitor and
 * HexImageSink are the visitor and the sink of a checking walk (core/patcher.h) whose context is
 * the HexImage. Of every data record before the end-of-file record they keep the part in each
 * range as a run (records on consecutive lines at consecutive addresses, of one byte count, make
 * one run), in any order; of a record that holds a byte of a written range also where it stands
 * in the file; and they note what makes the image unknown. Memory: the ranges' bytes and a run
 * for each record that does not continue the one before it.
 *
 * EndHexImage sorts the runs by address (then line). Then the image answers by one rule:
 * - a byte that is read may be held by several records that agree: ReadConflict gives the lowest
 *   address that two records hold with different values, and their lines (first == 0: none);
 * - a byte that is written needs exactly one record: WriteHolders gives the lowest byte of a
 *   stretch that none or two hold, with the lines of its first two holders, else of a record
 *   after the end-of-file record that would hold it (refused == false: every byte has one);
 * - HeldAlike tells whether a record (placed, from ":" on) holds at each of its addresses what
 *   the first record that holds it holds there, as the bytes are read (below);
 * - NextImageRange gives the ranges of addresses that records hold, those that meet merged, in
 *   rising order: the one from run *next on (0 for the first), *next moved past it; false when
 *   there is none;
 * - ReadImageBytes reads bytes in rising order up to the first that no record holds, and gives
 *   how many it read (count: all), with the line of the first; ImageHoldsAny tells whether a
 *   record holds any byte from first to last;
 *   OverlayImageBytes puts values in place of the bytes held at their addresses; AddImageRange
 *   gives a checksum the bytes from first to last in address order, those that no record holds
 *   as the fill.
 *
 * Memory comes from the main heap (runtime/registry.h): a shortage ends the process (exit code
 * 3). Zero-filled, a HexImage is empty; ReleaseHexImage frees what it holds.
 */
#pragma once

#include "core/addresses.h"
#include "core/image_checksum.h"
#include "core/patcher.h"

#include <cstddef>
#include <cstdint>

// A range of addresses, both ends included, up to 0xFFFFFFFF.
struct ImageRange {
    uint32_t first, last;
    bool written;
};

// The bytes of records of `each` bytes on lines one after another, at addresses one after
// another.
struct ImageRun {
    uint32_t address;
    uint32_t count;
    int64_t line; // of the record that holds its first byte
    uint32_t at;  // of its first byte in the image's bytes
    uint32_t each;
};

// A record that holds a byte of a written range, as the walk found it.
struct ImageRecord {
    int64_t line;
    int64_t position; // in the file
    RecordPlace place;
    int32_t length; // from ":" to its checksum field
    uint64_t fingerprint;
    const char *caseBefore; // the digits of the record before it (core/record.h), or null
};

struct HexImage {
    ImageRange *ranges; // owned, main heap: the ranges given, merged where they meet, in order
    int32_t rangeCount;
    ImageRange *written; // owned, main heap: those written, merged, in order
    int32_t writtenCount;
    int32_t rangeHint, writtenHint; // the ranges found last
    ImageRun *runs;                 // owned, main heap
    ptrdiff_t runCount, runCapacity;
    uint32_t *reach; // owned, main heap, once sorted: the highest address of runs[0] to runs[i]
    uint8_t *bytes;  // owned, main heap
    ptrdiff_t byteCount, byteCapacity;
    ImageRecord *records; // owned, main heap: those that hold written bytes, in line order
    ptrdiff_t recordCount, recordCapacity;
    ImageRun *late; // owned, main heap: records after the end-of-file record in written ranges
    ptrdiff_t lateCount, lateCapacity;
    AddressWalk addresses;
    int64_t lastLine;     // the line of the record that the last run ends with
    const char *lastCase; // the case of the record before, with written ranges
    int64_t wrongLine;    // the first line whose record has a wrong checksum (the sink's); 0: none
};

struct ImageConflict {
    uint32_t address;
    int64_t first, second; // lines; 0: no conflict
};

struct WriteRefusal {
    bool refused;
    uint32_t address;
    int64_t first, second; // the lines of the records that hold it; 0: none
    int64_t late;          // when none holds it: a record's after the end-of-file record, or 0
};

void BeginHexImage(HexImage &image, const ImageRange *ranges, int32_t rangeCount);
int32_t HexImageVisitor(void *image, int64_t line, int64_t position, char *record, int32_t length);
void HexImageSink(void *image, const Finding &finding);
void EndHexImage(HexImage &image);

ImageConflict ReadConflict(const HexImage &image);
bool HeldAlike(const HexImage &image, const RecordPlace &place, const char *record);
bool NextImageRange(const HexImage &image, ptrdiff_t *next, ImageRange *range);
WriteRefusal WriteHolders(const HexImage &image, uint32_t address, int32_t count);
int32_t ReadImageBytes(const HexImage &image, uint32_t address, int32_t count, uint8_t *out,
                       int64_t *line);
bool ImageHoldsAny(const HexImage &image, uint32_t first, uint32_t last);
void OverlayImageBytes(HexImage &image, uint32_t address, const uint8_t *bytes, int32_t count);
void AddImageRange(ImageChecksum &sum, const HexImage &image, uint32_t first, uint32_t last,
                   uint8_t fill);
// Frees all but the records found (what a write needs).
void ReleaseImageBytes(HexImage &image);
void ReleaseHexImage(HexImage &image);
// FNV-1a over a record's characters: tells the record a walk found from any other.
uint64_t RecordFingerprint(const char *record, int32_t length);
