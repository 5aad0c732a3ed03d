// SPDX-License-Identifier: MIT
/*
 * The report's lines: a template of app/texts.h with its fields put in where %1 to %9 stand,
 * written to a stream (WriteTemplate; WriteFailure on the failures' stream: natively the standard
 * error, on Windows the output) or made as a String at the result start (FormatTemplate,
 * FormatCount). Natively the line of a checksum finding, which a report may hold a million
 * times, is made in the output's buffer from a FindingLine put together once per file
 * (PrepareFindingLine, WriteFindingLine); on Windows from its template. Nothing fails: where
 * there is no stream, nothing is written.
 */
#pragma once

#include "app/options.h"
#include "core/image_checksum.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstdint>
#include <initializer_list>

// Failures natively on the standard error; on Windows in the report, with the rest.
constexpr StreamKind FAILURES = NATIVE ? STREAM_ERROR : STREAM_OUTPUT;

// One field of a report template, with its length.
struct Field {
    Field() = default; // unset, for an array filled before it is read
    Field(const char *field) : text(field), length(StringLength(field)) {} // NOLINT: a text is one
    Field(const char *field, int32_t size) : text(field), length(size) {}
    const char *text;
    int32_t length;
};

using Fields = std::initializer_list<Field>;

// A number as a template's field.
struct Decimal {
    explicit Decimal(int64_t value) : length(FormatDecimal(value, digits)) {}
    operator Field() const { return {digits, length}; } // NOLINT: a number is a field
    char digits[DECIMAL_TEXT_SIZE];
    int32_t length;
};

// An address as a template's field: 0x and eight upper-case hexadecimal digits.
struct Address {
    explicit Address(uint32_t value); // (one function for the report's many addresses)
    operator Field() const { return {text, length}; } // NOLINT: an address is a field
    static constexpr int32_t length = 10;
    char text[length + 1]; // (room for a ninth digit)
};

// A checksum's value as a template's field: 0x and two upper-case hexadecimal digits a byte; a
// digest's bytes as lower-case digits alone, as digests are written.
struct ValueDigits {
    ValueDigits(const ChecksumValue &value, const ChecksumAlgorithm &algorithm);
    operator Field() const { return {text, length}; } // NOLINT: a value is a field
    char text[2 + 2 * MOST_VALUE_BYTES];
    int32_t length;
};

// The line of a checksum finding, made ready once per file: what stands before its line number
// (while the path fits in head) and after it, with the places of the two checksums; and the
// line number written last, in digits.
struct FindingLine {
    static constexpr int32_t HEAD_ROOM = 256, TAIL_ROOM = 64, NUMBER_ROOM = 32;
    char head[HEAD_ROOM];
    char tail[TAIL_ROOM];
    char number[NUMBER_ROOM];
    int32_t headLength; // -1: the line is made from its template
    int32_t tailLength, writtenAt, rightAt, numberLength;
    int64_t numberValue;
};

void WriteFields(const char *text, const Field *fields, int32_t count,
                 StreamKind kind = STREAM_OUTPUT);
inline void WriteTemplate(const char *text, Fields fields, StreamKind kind = STREAM_OUTPUT) {
    WriteFields(text, fields.begin(), static_cast<int32_t>(fields.size()), kind);
}
void FormatTemplate(const char *text, Fields fields, int32_t resultStart);
// A count with its noun, from the template for 1 (when there is one) or the one for any other
// number, at the result start.
void FormatCount(int64_t count, const char *one, const char *more, int32_t resultStart);
// A line made in the workspace without what leads up to its words ("checksumme: FILE: ",
// "FILE:LINE: ", "FILE(LINE): ": named, the field that names the file, and what follows it up to
// a blank) and without its line end: the words alone (the caller's WorkspaceScope ends them).
Field FormatWords(const char *text, Fields fields, Field named);
void WriteFailure(const char *text, Fields fields);
// Failures go to FAILURES, unless a quiet call sends them to the error stream on Windows too, so
// that its output holds the values asked for alone.
void SendFailuresTo(StreamKind kind);
// The template of a checksum finding ("%1" the path, "%2" the line, %3 and %4 two characters).
void PrepareFindingLine(FindingLine &line, const char *text, Field path);
void WriteFindingLine(FindingLine &line, const char *text, Field path, int64_t number,
                      const char written[2], const char right[2]);
