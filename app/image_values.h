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

// The kinds of values a call names.
enum ValueKind : int32_t { VALUE_CHECKSUM, VALUE_SET, VALUE_GET };

// Calls visit(kind, index) for each --checksum, --set and --get value of the call in the order
// the options were given, until it returns false; false then.
template <typename Visit> bool EachValueInOrder(const CommandLine &command, Visit visit) {
    int64_t after = -1; // the key of the value visited last: its argument, kind and index
    for (;;) {
        int64_t least = INT64_MAX;
        auto consider = [&](ValueKind kind, int32_t index, int32_t argument) {
            int64_t key = (int64_t{argument} * 3 + kind) << 32 | index;
            if (key > after && key < least) least = key;
        };
        for (int32_t k = 0; k < command.checksumCount; ++k)
            consider(VALUE_CHECKSUM, k, command.checksums[k].argument);
        for (int32_t i = 0; i < command.settings.count; ++i)
            consider(VALUE_SET, i, command.settings.items[i].argument);
        for (int32_t i = 0; i < command.getCount; ++i)
            consider(VALUE_GET, i, command.gets[i].argument);
        if (least == INT64_MAX) return true;
        if (!visit(static_cast<ValueKind>((least >> 32) % 3), static_cast<int32_t>(least)))
            return false;
        after = least;
    }
}

struct CallRanges {
    ImageRange *ranges; // owned, main heap; null when there are none
    int32_t count;
};

CallRanges RangesOf(const CommandLine &command, bool writing);
void ReleaseRanges(CallRanges &ranges);
// A job's value over the image: its ranges one after another, each in address order, the bytes
// that no record holds as fill.
ChecksumValue ChecksumOfJob(const HexImage &image, const ChecksumJob &job, uint8_t fill);

// The value stored at a job's place, as its bytes are ordered, and the line of the record that
// holds its first byte: the number of its bytes held before the first that no record holds (the
// value's width: all of them, and the value is read).
int32_t StoredValue(const HexImage &image, const ChecksumJob &job, ChecksumValue *value,
                    int64_t *line);
// What a refused call did not do on the file: NOTHING_SET, NOTHING_COMPARED or NOTHING_READ.
const char *NothingDone(const CommandLine &command, bool writing);
bool RefuseImage(const CommandLine &command, const HexImage &image, Report &report, bool writing);
// The same for what the image itself is (unknown, a wrong checksum, bytes read with different
// values), leaving out the call's values: for a new version that comes to hold them later.
bool RefuseImageItself(const CommandLine &command, const HexImage &image, Report &report,
                       bool writing);
