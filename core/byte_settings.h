// SPDX-License-Identifier: MIT
/*
 * Bytes set at addresses in the data records of files (--set ADDRESS=BYTES), all or nothing.
 *
 * A ByteSettingList holds the values as given, each with the number of the argument that named
 * it (app/values.h reads them). AddByteSettingValue keeps one of 1 to 255 bytes, the first at its
 * address and each next one at the next address, or says why not.
 * SortByteSettings orders the settings by address (n log n) and returns the index of the first
 * that overlaps the next, or -1. LayeredByteSettings gives a new list, sorted: the bytes of under
 * where over sets none, and over.
 *
 * Each file is walked twice (core/patcher.h), through one channel that stays open for writing
 * from before the first walk to after the second. The first walk only reads, into the file's
 * image (core/hex_image.h), which says whether every byte set lies in exactly one data record and
 * keeps those records as it found them.
 *
 * The second walk writes, with a SetWrite: SetHeldBytes as the visitor of a patching walk, or
 * SetFoundBytes, which reads back only the records found and writes them, for a file that
 * patching would otherwise leave as it is. Each byte goes in as two hexadecimal digits in the
 * record's case (RecordDigitSet, core/record.h, as the file was found), over the digits that hold
 * it, only in a record that is still the one the first walk found, unchanged; each stretch of set
 * addresses in a record goes to the sink. SetWriteComplete tells whether every record found was
 * met so and every set byte placed; SetFoundBytes itself stops at the first record that differs,
 * as a failed read (FAILURE_CODE_CHANGED), before writing it.
 *
 * Memory comes from the main heap (runtime/registry.h): a shortage ends the process (exit code
 * 3). Zero-filled, each type is empty; each Release frees its own.
 */
#pragma once

#include "core/hex_image.h"
#include "core/patcher.h"

#include <cstddef>
#include <cstdint>

struct ByteSetting {
    uint64_t address;
    int32_t count;
    int32_t argument; // the number of the argument that named it
    uint8_t bytes[255];
};

struct ByteSettingList {
    ByteSetting *items; // owned, main heap; freed by ReleaseByteSettings
    int32_t count;
    int32_t capacity;
    int64_t bytes; // set in all
};

enum SettingRead : int32_t {
    SETTING_ADDED,
    SETTING_INVALID,
    SETTING_PAST_END,
    SETTING_NO_FIT,
    SETTING_AMBIGUOUS, // a typed value's NUMBER: all of the value after its last ":"
};

// One stretch [from, to) of set addresses in the data record on line.
using SetStretchSink = void (*)(void *context, int64_t line, uint64_t from, uint64_t to);

struct SetWrite {
    const ByteSettingList *list; // borrowed: the values, sorted
    const HexImage *image;       // borrowed: the records found
    AddressWalk addresses;       // of the walk
    const char *lastCase;        // of the record before, as found
    ptrdiff_t next;              // the record found that comes next
    int64_t placed;              // set bytes placed
    bool differed;               // a record that holds set bytes is not as the first walk found it
    SetStretchSink sink;
    void *context;
    int64_t records; // records with bytes set
};

// A value, kept in the list: SETTING_ADDED, or SETTING_INVALID for one of no bytes.
SettingRead AddByteSettingValue(ByteSettingList &list, const ByteSetting &setting);
int32_t SortByteSettings(ByteSettingList &list);
ByteSettingList LayeredByteSettings(const ByteSettingList &under, const ByteSettingList &over);
void ReleaseByteSettings(ByteSettingList &list);

SetWrite BeginSetWrite(const ByteSettingList &list, const HexImage &image, SetStretchSink sink,
                       void *context);
int32_t SetHeldBytes(void *write, int64_t line, int64_t position, char *record, int32_t length);
int32_t SetFoundBytes(int32_t channel, SetWrite &write, WalkTally *tally);
bool SetWriteComplete(const SetWrite &write);
