// SPDX-License-Identifier: MIT
/*
 * The structure of an Intel HEX file beyond the shape and checksum of each record.
 *
 * CheckRecordStructure is a RecordVisitor (core/patcher.h) whose context is a StructureCheck: it
 * takes the well-formed records of a file in line order, and its other lines that are not blank
 * and do not start with ":", changes nothing, and finds
 * - such a line: not a record (text, a record with blanks in front of its ":");
 * - a record after the end-of-file record (type 01), naming the first end-of-file record's line;
 * - a record type other than 00 to 05;
 * - a record of type 01, 02, 03, 04 or 05 whose byte count is not 0, 2, 4, 2 or 4;
 * - a record of type 02 or 04 whose address field is not 0000;
 * - a data record whose bytes wrap within their 64 KiB segment (under a type 02 record): the
 *   address where they go on;
 * - a data record whose bytes run past 0xFFFFFFFF: the address of its last byte;
 * - data at addresses that an earlier data record holds (addresses as core/addresses.h places
 *   them, held as core/address_ranges.h keeps them): the lowest such address of the record, and
 *   the line that holds it.
 * EndStructureCheck, given the number of the file's last line, finds a file without an
 * end-of-file record, then one without a data record (each on that line, or on line 1 in an
 * empty file); given -1 (the walk did not reach the end) it finds nothing. Either way it frees
 * the check's memory.
 * Each finding goes to the sink at once, in line order (those of one record in the order above),
 * and is counted; the sink may read the record and its place. It also counts the records of each
 * type 00 to 05 and of each case, and keeps the last start address before the end-of-file record.
 * A zero-filled StructureCheck, its sink set or not, is ready for a file. A shortage of memory ends
 * the process (exit code 3).
 */
#pragma once

#include "core/address_ranges.h"
#include "core/addresses.h"

#include <cstdint>

enum StructureKind : int32_t {
    STRUCTURE_AFTER_END,
    STRUCTURE_TYPE,
    STRUCTURE_BYTE_COUNT,
    STRUCTURE_OVERLAP,
    STRUCTURE_NO_END,
    STRUCTURE_NOT_RECORD,
    STRUCTURE_ADDRESS_FIELD,
    STRUCTURE_PAST_4G,
    STRUCTURE_NO_DATA,
    STRUCTURE_WRAPS,
};

struct StructureFinding {
    int64_t line;
    StructureKind kind;
    int32_t type;     // type, byte count: the record's type
    int32_t count;    // byte count: the record's byte count
    uint64_t address; // overlap: the lowest address held before; past 0xFFFFFFFF: the last byte's;
                      // wraps: where the data goes on
    int64_t other;    // overlap: the line that holds it; after the end: the end-of-file record's;
                      // byte count: the byte count of such a record
};

using StructureSink = void (*)(void *context, const StructureFinding &finding);

struct StructureCheck {
    StructureSink sink;
    void *context;
    AddressWalk addresses;
    bool data;                // a data record was found
    const char *record;       // borrowed from the walk: the record looked at last, while it looks
    const RecordPlace *place; // that record's place, while it is looked at
    int64_t counts[8];  // the records of types 00 to 05, then those in upper and in lower case
                        // (RecordCase, core/record.h)
    int32_t startType;  // of the last start address record (03, 05) before the end; 0: none
    char start[8];      // its data's digits, in upper case
    HeldAddresses held; // owned; freed by EndStructureCheck
    int64_t findings;
};

int32_t CheckRecordStructure(void *check, int64_t line, int64_t position, char *record,
                             int32_t length);
void EndStructureCheck(StructureCheck &check, int64_t lastLine);
