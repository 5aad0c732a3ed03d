// SPDX-License-Identifier: MIT
/*
 * What the calls that read or write by address share (app/file_walks.h, app/set_files.h): the
 * ranges a call's images take, a value stored in an image, and the image's rules for a call.
 *
 * RangesOf gives each --checksum value's ranges and place and each --set value's bytes, the places
 * and the --set values written when writing, else read; ReleaseRanges frees them. RefuseImage
 * reports why a file's image refuses the call, if it does: unknown, a written byte not in exactly
 * one record, a byte read with different values. Memory comes from the main heap (a shortage ends
 * the process).
 */
#pragma once

#include "app/options.h"
#include "app/report.h"
#include "core/hex_image.h"

#include <cstdint>

struct CallRanges {
    ImageRange *ranges; // owned, main heap; null when there are none
    int32_t count;
};

CallRanges RangesOf(const CommandLine &command, bool writing);
void ReleaseRanges(CallRanges &ranges);
// A job's value over the image: its ranges one after another, each in address order, the bytes
// that no record holds as fill.
uint64_t ChecksumOfJob(const HexImage &image, const ChecksumJob &job, uint8_t fill);
// The value stored at a job's place, as its bytes are ordered, and the line of the record that
// holds its first byte; false when no record holds them all.
bool StoredValue(const HexImage &image, const ChecksumJob &job, uint64_t *value, int64_t *line);
bool RefuseImage(const CommandLine &command, const HexImage &image, const Report &report,
                 bool writing);
