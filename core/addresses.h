// SPDX-License-Identifier: MIT
/*
 * Where the data of Intel HEX records lies.
 *
 * Data byte i of a well-formed data record (type 00) lies at base + offset + i, offset being the
 * record's address field. The base is 0 before any record; the latest extended linear address
 * record above (type 04) sets it to the value of its two data bytes shifted 16 bits left, the
 * latest extended segment address record (type 02) to theirs shifted 4 bits left, wherever in
 * the file they stand. A type 02 or 04 record with another number of data bytes sets nothing.
 * Addresses are 64-bit numbers: base + offset + i does not wrap at 4 GiB.
 *
 * PlaceRecord reads a record as RecordInLine (core/record.h) finds it, from ":" to its checksum
 * field, and moves the base on. Nothing fails.
 */
#pragma once

#include <cstdint>

enum RecordType : int32_t {
    TYPE_DATA = 0,
    TYPE_END = 1,
    TYPE_SEGMENT = 2,       // extended segment address
    TYPE_SEGMENT_START = 3, // start segment address
    TYPE_LINEAR = 4,        // extended linear address
    TYPE_LINEAR_START = 5,  // start linear address
};

struct RecordPlace {
    int32_t type;
    int32_t count;    // data bytes
    uint64_t address; // of data byte 0: base + offset
};

RecordPlace PlaceRecord(uint64_t *base, const char *record);
