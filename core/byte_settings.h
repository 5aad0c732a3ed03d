// SPDX-License-Identifier: MIT
/*
 * Bytes set at addresses in the data records of a file (--set ADDRESS=BYTES), all or nothing.
 *
 * AddByteSetting reads ADDRESS=BYTES: ADDRESS decimal or 0x hexadecimal (0X too), at most
 * 0xFFFFFFFF; BYTES an even number of hexadecimal digits of either case, 1 to 255 bytes, the
 * first at ADDRESS and each next one at the next address. It keeps the setting with its argument
 * number and returns true, or false for text that is no such thing. SortByteSettings orders the
 * settings by address and returns the index of the first that overlaps the next, or -1.
 *
 * Two walks over a file (core/patcher.h) take the settings, addresses as core/addresses.h places
 * them; BeginSetWalk starts each. The first (WALK_CHECK) only reads, with FindSetHolders as its
 * visitor: it notes for every set byte the lines of the first two data records that hold it, and
 * where in the file each record that holds set bytes lies. FindSetRefusal then gives the lowest
 * address held by no record or by two, if any: the settings may be written only when there is none.
 * The second patches. Each byte goes in as two hexadecimal digits over the data digits that hold
 * it, in upper case, unless the record's digits hold lower case and no upper case; each stretch of
 * set addresses in a record goes to the sink, and the records that hold set bytes are counted.
 * A file that patching would otherwise leave as it is (its first walk's tally counts nothing
 * unsettled and no malformed line) needs only those records: SetFoundBytes reads each one where
 * the first walk found it and writes it back; it returns as WalkHexFile, and its tally counts
 * the records of the first walk (the last first walk: second walks over other files keep what it
 * found). Any other file is walked again, patched, with SetHeldBytes as the visitor.
 *
 * Memory comes from the main heap (runtime/registry.h): a shortage ends the process (exit code
 * 3); ReleaseByteSettings frees it. A zero-filled ByteSettings is empty.
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

// A data record that holds set bytes, as the first walk found it.
struct SetRecord {
    int64_t line;
    int64_t position; // in the file
    uint64_t address; // of its data byte 0
    int32_t length;   // from ":" to its checksum field
};

// One stretch [from, to) of set addresses in the data record on line.
using SetStretchSink = void (*)(void *context, int64_t line, uint64_t from, uint64_t to);

struct ByteSettings {
    ByteSetting *items; // owned, main heap; freed by ReleaseByteSettings
    int32_t count;
    int32_t capacity;
    int64_t bytes;    // set in all
    int64_t *holders; // owned, main heap: for each set byte in order, the first two lines
    SetRecord *found; // owned, main heap: room for one per set byte
    int64_t foundCount;
    int64_t seen;  // records the walk saw
    uint64_t base; // of the walk (core/addresses.h)
    SetStretchSink sink;
    void *context;
    int64_t records; // records of the second walk that hold set bytes
};

struct SetRefusal {
    bool refused;
    uint64_t address;
    int64_t first, second; // the lines of the records that hold it; 0: none
};

bool AddByteSetting(ByteSettings &settings, const char *text, int32_t argument);
int32_t SortByteSettings(ByteSettings &settings);
void BeginSetWalk(ByteSettings &settings, WalkMode walk); // WALK_CHECK: the first
int32_t FindSetHolders(void *settings, int64_t line, int64_t position, char *record,
                       int32_t length);
SetRefusal FindSetRefusal(const ByteSettings &settings);
int32_t SetHeldBytes(void *settings, int64_t line, int64_t position, char *record, int32_t length);
int32_t SetFoundBytes(const char *path, ByteSettings &settings, WalkTally *tally);
void ReleaseByteSettings(ByteSettings &settings);
