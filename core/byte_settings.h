// SPDX-License-Identifier: MIT
/*
 * Bytes set at addresses in the data records of files (--set ADDRESS=BYTES), all or nothing.
 *
 * A ByteSettingList holds the values as given. AddByteSetting reads ADDRESS=BYTES: ADDRESS
 * decimal or 0x hexadecimal (0X too); BYTES an even number of hexadecimal digits of either case,
 * 1 to 255 bytes, the first at ADDRESS and each next one at the next address, the last at
 * 0xFFFFFFFF at most. It keeps the setting with its argument number, or says why not.
 * SortByteSettings orders the settings by address and returns the index of the first that
 * overlaps the next, or -1.
 *
 * Each file is walked twice (core/patcher.h), through one channel that stays open for writing
 * from before the first walk to after the second. Addresses are placed as core/addresses.h
 * places them, up to the file's end-of-file record: a record after it holds no address, since
 * no loader reads it.
 *
 * The first walk only reads; FindSetHolders is its visitor and NoteSetMalformed its sink, both
 * with a SetSearch. For every set byte it notes the lines of the first two data records that
 * hold it, or else the line of a record after the end-of-file record or of a malformed record
 * that would, and it notes each record that holds set bytes as it stood: line, position,
 * address, length and a fingerprint of its characters. FindSetRefusal then gives the lowest
 * address that no record holds or two hold, if any: the settings may be written only when there
 * is none.
 *
 * The second walk writes, with a SetWrite made from the search: SetHeldBytes as the visitor of a
 * patching walk, or SetFoundBytes, which reads back only the records found and writes them, for a
 * file that patching would otherwise leave as it is. Each byte goes in as two hexadecimal digits
 * in the record's case (core/record.h), over the digits that hold it, only in a record that is
 * still the one the first walk found, unchanged; each stretch of set addresses in a record goes
 * to the sink. SetWriteComplete tells whether every record found was met so and every set byte
 * placed; SetFoundBytes itself stops at the first record that differs, as a failed read
 * (FAILURE_CODE_CHANGED), before writing it.
 *
 * Memory comes from the main heap (runtime/registry.h): a shortage ends the process (exit code
 * 3). Zero-filled, each type is empty; each Release frees its own.
 */
#pragma once

#include "core/patcher.h"

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

enum SettingRead : int32_t { SETTING_ADDED, SETTING_INVALID, SETTING_PAST_END };

// A data record that holds set bytes, as the first walk found it.
struct SetRecord {
    int64_t line;
    int64_t position; // in the file
    uint64_t address; // of its data byte 0
    int32_t length;   // from ":" to its checksum field
    uint64_t fingerprint;
};

// The records that hold one set byte: the lines of the first two data records, and the line of
// the first record that would hold it but does not count (after the end-of-file record: > 0;
// malformed: < 0, negated).
struct SetHolders {
    int64_t first, second, excluded;
};

struct SetSearch {
    const ByteSettingList *list; // borrowed
    SetHolders *holders;         // owned, main heap: one for each set byte in address order
    SetRecord *found;            // owned, main heap: room for one for each set byte
    int64_t foundCount;
    uint64_t base;   // of the walk (core/addresses.h)
    int64_t endLine; // of the end-of-file record; 0: none yet
};

struct SetRefusal {
    bool refused;
    uint64_t address;
    int64_t first, second; // the lines of the records that hold it; 0: none
    int64_t excluded;      // as in SetHolders, when none holds it
};

// One stretch [from, to) of set addresses in the data record on line.
using SetStretchSink = void (*)(void *context, int64_t line, uint64_t from, uint64_t to);

struct SetWrite {
    const SetSearch *search; // borrowed
    uint64_t base;
    int64_t endLine;
    int64_t next;   // the record found that comes next
    int64_t placed; // set bytes placed
    bool differed;  // a record that holds set bytes is not as the first walk found it
    SetStretchSink sink;
    void *context;
    int64_t records; // records that hold set bytes
};

SettingRead AddByteSetting(ByteSettingList &list, const char *text, int32_t argument);
// A value made otherwise (the place of a --checksum value), kept as AddByteSetting keeps one.
SettingRead AddByteSettingValue(ByteSettingList &list, const ByteSetting &setting);
// A number, decimal or 0x (0X) hexadecimal, from *at up to one of the characters of ends (or
// the text's end): false when it is empty, holds another character or is more than most; *at
// is moved past it. ADDRESS of ADDRESS=BYTES is such a number.
bool ReadSettingNumber(const char **at, const char *ends, uint64_t most, uint64_t *number);
int32_t SortByteSettings(ByteSettingList &list);
void ReleaseByteSettings(ByteSettingList &list);

void BeginSetSearch(SetSearch &search, const ByteSettingList &list);
int32_t FindSetHolders(void *search, int64_t line, int64_t position, char *record, int32_t length);
void NoteSetMalformed(void *search, const Finding &finding);
SetRefusal FindSetRefusal(const SetSearch &search);
void ReleaseSetSearch(SetSearch &search);

SetWrite BeginSetWrite(const SetSearch &search, SetStretchSink sink, void *context);
int32_t SetHeldBytes(void *write, int64_t line, int64_t position, char *record, int32_t length);
int32_t SetFoundBytes(int32_t channel, SetWrite &write, WalkTally *tally);
bool SetWriteComplete(const SetWrite &write);
