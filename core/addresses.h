// SPDX-License-Identifier: MIT
/*
 * Where the data of Intel HEX records lies: the one rule of every feature that reads or writes
 * by address (--set, --checksum, --strict).
 *
 * An AddressWalk takes a file's well-formed records in line order (PlaceRecord), and its lines
 * that hold no record (NoteOtherLine, NoteMalformedLine). Data byte i of a data record (type 00)
 * with address field offset lies at
 * - base + offset + i before any address record, and under a type 04 record, whose two data
 *   bytes shifted 16 bits left are the base; addresses are 64-bit and do not wrap at 4 GiB;
 * - base + ((offset + i) mod 64 KiB) under a type 02 record, whose two data bytes shifted 4 bits
 *   left are the base: its data wraps within its 64 KiB segment.
 * Records from the first end-of-file record (type 01) on hold no address (afterEnd); they are
 * placed all the same, so that a caller can name one that would hold an address.
 *
 * The image is unknown from the first line before the end-of-file record that starts, after
 * blanks and tabs, with ":" but holds no well-formed record, or that is a type 02 or 04 record
 * with a byte count other than 2 (which sets no base): unknownLine names it. Nothing fails.
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
    uint64_t address; // of data byte 0
    int32_t before;   // the data bytes before a wrap: count unless the record's data wraps
    uint64_t wrapped; // where data byte `before` lies when it wraps: its segment's start
    bool afterEnd;    // at or after the first end-of-file record: it holds no address
};

enum ImageUnknown : int32_t { IMAGE_KNOWN, IMAGE_MALFORMED_LINE, IMAGE_ADDRESS_RECORD };

struct AddressWalk {
    uint64_t base;
    bool segmented;      // the base is a type 02 record's
    int64_t endLine;     // of the first end-of-file record; 0: none yet
    int64_t unknownLine; // the first line that makes the image unknown; 0: none
    ImageUnknown unknown;
    int32_t unknownType, unknownCount; // IMAGE_ADDRESS_RECORD: the record's type and byte count
};

// A record as RecordInLine (core/record.h) finds it, from ":" to its checksum field.
RecordPlace PlaceRecord(AddressWalk &walk, int64_t line, const char *record);
// A line that holds no record and does not start with ":": its text, of which some character
// among the first is no blank or tab (as a walk's visitor sees it, core/patcher.h).
void NoteOtherLine(AddressWalk &walk, int64_t line, const char *text);
// A line that starts with ":" but is no well-formed record.
void NoteMalformedLine(AddressWalk &walk, int64_t line);

// Calls visit(address, first data byte, count) for the one or two stretches of a data record's
// data: the bytes before a wrap, then those after it.
template <typename Visit> void EachStretch(const RecordPlace &place, Visit visit) {
    if (place.before > 0) visit(place.address, 0, place.before);
    if (place.before < place.count) visit(place.wrapped, place.before, place.count - place.before);
}
