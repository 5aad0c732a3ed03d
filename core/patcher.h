// SPDX-License-Identifier: MIT
/*
 * In-place checksum patcher for Intel HEX files.
 *
 * PatchFileInPlace walks the file at path through file channel 1 and rewrites, in place, the
 * two checksum characters of every well-formed record line: ":" followed only by hexadecimal
 * digits, exactly 11 + 2 x its byte count long, perhaps followed by a blank or a tab and any
 * text, a comment (RecordInLine, core/record.h). A checksum that is right in value is right in
 * either case and is not written; a wrong one is written in the record's case, or in that of
 * the record before it as found where it has no letters (RecordDigitSet, core/record.h). Every
 * other byte stays as it is: line ends (CR LF, LF, CR, zero byte), blank lines, other lines,
 * comments; a file whose checksums are all right is not written at all, and keeps its modification
 * time. A last record line without a line end that is written gets the line end of the line before
 * it: LF, CR LF or CR; CR LF when there is none or that one is a zero byte. Returns 1 when the file
 * was patched, 0 when it could not be opened (empty path, missing file, folder, no access, sharing
 * conflict), -1 when a read or write failed on the way; a missing file is never created. A failure
 * ends the walk, and what was written before it stays: every record has either its old checksum or
 * its right one.
 */
#pragma once

#include "core/record.h"

#include <cstdint>

int32_t PatchFileInPlace(const char *path);

/*
 * WalkHexFile walks a file as PatchFileInPlace does, in one of two modes: WALK_PATCH patches it
 * (PatchFileInPlace is this mode without a sink); WALK_CHECK opens it for reading only and
 * writes nothing, so that not even its modification time changes; it shares the file with
 * programs that hold it open for writing. A UTF-8 byte-order mark
 * (EF BB BF) at the very start stays as it is, and the record right behind it is the first
 * line's record.
 *
 * Findings go to the sink, when one is given, one by one in line order, as they are found:
 * every line that starts with ":" but is not a well-formed record, every record whose checksum
 * is wrong in value (in both modes: patching rewrites those), and, when patching, the line end
 * added behind a last record (right after that record's finding, if it has one). Lines count
 * from 1; CR LF, LF, CR and a zero byte each end a line. The tally, when given, counts the
 * well-formed records and each kind of finding, and tells how the walk ended. Returns as
 * PatchFileInPlace: 1, 0 (no findings then) or -1.
 *
 * The visitor, when one is given, sees every well-formed record in line order before its
 * checksum is looked at (and before that line's finding goes to the sink): the line, where the
 * record starts in the file, and its characters from ":" to its checksum field, without a
 * comment. When patching it may change the record's data digits to other hexadecimal digits in
 * place and return the position of the first it changed (":" being 0): the record's checksum is
 * then made right for its new bytes, in the record's case as it was found, without a
 * finding, and the changes go back to the file with it (a last record without a line end gets
 * one then). Otherwise, and always when checking, it changes nothing and returns 0. It also
 * sees, with length 0, every other line that does not start with ":" and holds more than blanks
 * and tabs (among its first LONGEST_RECORD characters at least): record points to the line's
 * text, which it leaves as it is, and it returns 0.
 */
enum WalkMode : int32_t { WALK_PATCH, WALK_CHECK };
enum FindingKind : int32_t { FINDING_CHECKSUM, FINDING_MALFORMED, FINDING_LINE_END };
// The kinds of line end, a lone line-end byte's kind its two low bits (which tell the three apart).
enum LineEndKind : int32_t {
    LINE_END_ZERO = 0,
    LINE_END_CR = '\r' & 3,
    LINE_END_LF = '\n' & 3,
    LINE_END_CR_LF = 3,
};

struct Finding {
    int64_t line; // counted from 1; line end: the last record's
    FindingKind kind;
    char written[2];   // checksum: the two characters as they stood
    char right[2];     // checksum: the right ones, as written: in the record's case
    int64_t length;    // malformed: the line's characters (without a byte-order mark)
    int64_t notDigit;  // malformed: position of its first character that is no digit, or 0
    int64_t expected;  // malformed: the length its byte count asks for, or -1 without one
    RecordFault fault; // malformed: all that is known of it (core/record.h)
};

struct WalkTally {
    int64_t records;       // well-formed records
    int64_t checksums;     // checksum findings
    int64_t malformed;     // malformed findings
    int64_t unsettled;     // records a patch without a visitor changes (in either mode): their
                           // checksum is wrong in value; a last record without a line end gets
                           // one only then
    int64_t lineEndsAdded; // line-end findings: 0, or 1 for the last record
    int64_t linesDone;     // lines read and, when patching, written as they should be
    uint32_t failure;      // the system's code of the failed open, read or write; 0: none
    bool failedWriting;
    bool lastRecordOpen; // the file's last line is a record without a line end (in either mode)
    int64_t lineEnds[4]; // the lines ended by each kind of line end (LineEndKind); the walk
                         // without a buffer does not tell a lone byte behind a line too long for
                         // a record
};

using FindingSink = void (*)(void *context, const Finding &finding);
using RecordVisitor = int32_t (*)(void *context, int64_t line, int64_t position, char *record,
                                  int32_t length);

int32_t WalkHexFile(const char *path, WalkMode mode, FindingSink sink, void *context,
                    WalkTally *tally, RecordVisitor visitor = nullptr,
                    void *visitorContext = nullptr);

/*
 * WalkHexChannel is the same walk over a channel that is open already (for WALK_PATCH, open for
 * reading and writing), from where it stands; it leaves the channel open, and the tally, which
 * must be given, tells how the walk went: 1, or -1 when a read or write failed. WalkHexFile uses
 * the channel WALK_CHANNEL, which is free between its calls.
 */
constexpr int32_t WALK_CHANNEL = 1;
// Closes a walk's channel: a close that fails after patching fails the walk, with no line surely
// done. The walk's outcome, 1 or -1.
int32_t CloseWalkChannel(int32_t channel, WalkMode mode, WalkTally *tally);
int32_t WalkHexChannel(int32_t channel, WalkMode mode, FindingSink sink, void *context,
                       WalkTally *tally, RecordVisitor visitor = nullptr,
                       void *visitorContext = nullptr);
