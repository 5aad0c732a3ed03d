// SPDX-License-Identifier: MIT
/*
 * The map of an Intel HEX file that --info shows: its structure checked as --strict checks it
 * (core/structure_check.h), the addresses its data records hold (check.held, placed by
 * core/addresses.h), the records of each type, its start address and the case of its records.
 *
 * FileInfoVisitor is a RecordVisitor (core/patcher.h) whose context is a FileInfo that
 * BeginFileInfo made ready, with the sink of its findings (EndStructureCheck's too). The
 * structure's findings go to the sink as they are found, but for data held twice: each such finding
 * is kept with its record's place, and CompareHeldTwice walks the file again for the bytes of those
 * records' addresses (an image of them alone, core/hex_image.h) and hands each finding to `each` in
 * line order, with whether the records before it that hold those addresses hold the same values
 * there. It returns as the walk does (1, 0 or -1, with its tally). Memory grows with the ranges
 * held (as --strict) and the records held twice. ReleaseFileInfo frees what a FileInfo holds. A
 * shortage of memory ends the process (exit code 3).
 */
#pragma once

#include "core/patcher.h"
#include "core/structure_check.h"

#include <cstdint>

struct HeldTwice {
    StructureFinding finding;
    RecordPlace place;
};

struct FileInfo {
    StructureSink sink;
    void *context;
    StructureCheck check;
    int64_t types[6];  // the records of types 00 to 05
    int64_t cases[2];  // the records in upper case and in lower case (RecordCase, core/record.h)
    int32_t startType; // of the last start address record (03 or 05) before the end; 0: none
    uint8_t start[4];  // its data bytes
    HeldTwice *twice;  // owned, main heap: the findings of data held twice, in line order
    int64_t twiceCount, twiceCapacity;
};

using HeldTwiceSink = void (*)(void *context, const StructureFinding &finding, bool alike);

void BeginFileInfo(FileInfo &info, StructureSink sink, void *context);
int32_t FileInfoVisitor(void *info, int64_t line, int64_t position, char *record, int32_t length);
int32_t CompareHeldTwice(const FileInfo &info, const char *path, HeldTwiceSink each, void *context,
                         WalkTally *tally);
void ReleaseFileInfo(FileInfo &info);
