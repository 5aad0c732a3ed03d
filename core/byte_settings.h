// SPDX-License-Identifier: MIT
/*
 * Bytes set at addresses in the data records of files (--set ADDRESS=BYTES), all or nothing.
 *
 * A ByteSettingList holds the values as given. AddByteSetting reads ADDRESS=BYTES: ADDRESS
 * decimal or 0x hexadecimal (0X too); BYTES an even number of hexadecimal digits of either case,
 * or a typed value: TYPE:NUMBER with TYPE one of u8, u16le, u16be, u32le, u32be, u64le, u64be
 * and NUMBER decimal or 0x hexadecimal, refused where it does not fit, however many digits it
 * has (SETTING_NO_FIT), and where it starts with 0 and goes on in decimal digits
 * (SETTING_AMBIGUOUS, as AmbiguousLength finds it); str:TEXT for the bytes of TEXT as given
 * (UTF-8), strz:TEXT for the same and a zero byte. Type names and str, strz in any letter case.
 * 1 to 255 bytes, the first at ADDRESS and each next one at the next address, the last at
 * 0xFFFFFFFF at most (an ADDRESS past it too is SETTING_PAST_END). It keeps the setting with its
 * argument number, or says why not.
 * SortByteSettings orders the settings by address (n log n) and returns the index of the first
 * that overlaps the next, or -1.
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

SettingRead AddByteSetting(ByteSettingList &list, const char *text, int32_t argument);
// The number types of typed values (u8, u16le, u16be, u32le, u32be, u64le, u64be, in any letter
// case): the width in bytes and byte order of the one the first length characters of name spell;
// width 0 for none.
struct NumberType {
    int32_t width;
    bool bigEndian;
};
NumberType NumberTypeNamed(const char *name, size_t length);
// A value made otherwise (the place of a --checksum value), kept as AddByteSetting keeps one.
SettingRead AddByteSettingValue(ByteSettingList &list, const ByteSetting &setting);
// A number, decimal or 0x (0X) hexadecimal, from *at up to one of the characters of ends (or
// the text's end): false when it is empty, holds another character or is more than most (then,
// digits all through, *tooLarge, whatever their count); *at is moved past it. ADDRESS of
// ADDRESS=BYTES is such a number.
bool ReadSettingNumber(const char **at, const char *ends, uint64_t most, uint64_t *number,
                       bool *tooLarge = nullptr);
// A number that starts with 0 and goes on in decimal digits (08001000) up to one of ends is
// decimal to some readers and hexadecimal to others: its length, to refuse it; else 0.
int32_t AmbiguousLength(const char *text, const char *ends);
int32_t SortByteSettings(ByteSettingList &list);
void ReleaseByteSettings(ByteSettingList &list);

SetWrite BeginSetWrite(const ByteSettingList &list, const HexImage &image, SetStretchSink sink,
                       void *context);
int32_t SetHeldBytes(void *write, int64_t line, int64_t position, char *record, int32_t length);
int32_t SetFoundBytes(int32_t channel, SetWrite &write, WalkTally *tally);
bool SetWriteComplete(const SetWrite &write);
