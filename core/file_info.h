// SPDX-License-Identifier: MIT
/*
 * The map of an Intel HEX file that --info shows, from two walks over it: first the image of its
 * data below 4 GiB (core/hex_image.h, one range over all of them: the ranges held and the values
 * of data held twice), then its structure checked as --strict checks it (core/structure_check.h),
 * the records of each type, its start address and the case of its records.
 *
 * BeginFileInfo makes a FileInfo ready: HexImageVisitor is the first walk's visitor, with
 * &info.image, and EndHexImage ends it; FileInfoVisitor is the second's (a RecordVisitor,
 * core/patcher.h), with the FileInfo, whose check's sink and context the caller sets. Its sink
 * may read the record (its text and check.place) and the image, sorted by then. Memory: the file's
 * data, and what --strict keeps. ReleaseFileInfo frees what a FileInfo holds. A shortage of memory
 * ends the process (exit code 3).
 */
#pragma once

#include "core/hex_image.h"
#include "core/structure_check.h"

#include <cstdint>

struct FileInfo {
    HexImage image;
    StructureCheck check;
    const char *record; // borrowed from the walk: the record looked at, while it is
    int64_t counts[8];  // the records of types 00 to 05, then those in upper case and in lower
                        // case (RecordCase, core/record.h)
    int32_t startType;  // of the last start address record (03 or 05) before the end; 0: none
    char start[8];      // its data's digits, in upper case
};

void BeginFileInfo(FileInfo &info);
int32_t FileInfoVisitor(void *info, int64_t line, int64_t position, char *record, int32_t length);
void ReleaseFileInfo(FileInfo &info);
