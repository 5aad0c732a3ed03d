// SPDX-License-Identifier: MIT
#include "app/report.h"

#include "app/texts.h"
#include "runtime/arguments.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>
#include <initializer_list>

namespace {

// Failures natively on the standard error; on Windows in the report, with the rest.
constexpr StreamKind FAILURES = NATIVE ? STREAM_ERROR : STREAM_OUTPUT;

// One field of a report template, with its length.
struct Field {
    Field(const char *field) : text(field), length(StringLength(field)) {} // NOLINT: a text is one
    Field(const char *field, int32_t size) : text(field), length(size) {}
    const char *text;
    int32_t length;
};

using Fields = std::initializer_list<Field>;

// A report template taken apart: each run of its text and the field behind it (-1 after the
// last run).
struct Pieces {
    static constexpr int32_t MOST = 10; // nine fields and the run after the last
    struct Piece {
        const char *text;
        int32_t length;
        int32_t field;
    } pieces[MOST];
    int32_t count;
    int32_t fixed; // the length of the runs together
};

bool IsFieldMark(const char *at) {
    return at[0] == '%' && at[1] >= '1' && at[1] <= '9';
}

void TakeApart(const char *text, Pieces &out) {
    out.count = 0;
    out.fixed = 0;
    const char *run = text;
    for (const char *at = text;; ++at) {
        bool end = *at == 0;
        if (!end && !IsFieldMark(at)) continue;
        if (out.count == Pieces::MOST) return; // no template has more fields
        auto length = static_cast<int32_t>(at - run);
        out.pieces[out.count++] = {run, length, end ? -1 : at[1] - '1'};
        out.fixed += length;
        if (end) return;
        run = ++at + 1;
    }
}

using Put = void (*)(const char *bytes, int32_t length, StreamKind kind);

// A line of a template taken apart, its runs and fields handed to put one at a time.
void PutPieces(const Pieces &line, Fields fields, Put put, StreamKind kind) {
    for (int32_t i = 0; i < line.count; ++i) {
        const Pieces::Piece &piece = line.pieces[i];
        put(piece.text, piece.length, kind);
        if (piece.field >= 0 && static_cast<size_t>(piece.field) < fields.size())
            put(fields.begin()[piece.field].text, fields.begin()[piece.field].length, kind);
    }
}

// A line of a template taken apart, made in the output's buffer with one copy for each piece;
// only a line longer than the buffer goes out piece by piece.
void WritePieces(const Pieces &line, Fields fields, StreamKind kind = STREAM_OUTPUT) {
    int32_t length = line.fixed;
    for (const Field &field : fields)
        length += field.length;
    char *out = OutputRoom(length, kind);
    if (!out) {
        PutPieces(line, fields, WriteOutputBytes, kind);
        return;
    }
    char *at = out;
    for (int32_t i = 0; i < line.count; ++i) {
        const Pieces::Piece &piece = line.pieces[i];
        std::memcpy(at, piece.text, static_cast<size_t>(piece.length));
        at += piece.length;
        if (piece.field < 0 || static_cast<size_t>(piece.field) >= fields.size()) continue;
        const Field &field = fields.begin()[piece.field];
        std::memcpy(at, field.text, static_cast<size_t>(field.length));
        at += field.length;
    }
    OutputFilled(static_cast<int32_t>(at - out), kind);
}

// A report template (app/texts.h) with its fields put in where %1 to %9 stand.
void WriteTemplate(const char *text, Fields fields, StreamKind kind = STREAM_OUTPUT) {
    Pieces line;
    TakeApart(text, line);
    WritePieces(line, fields, kind);
}

// The same as a String at the result start.
void FormatTemplate(const char *text, Fields fields, int32_t resultStart) {
    Pieces line;
    TakeApart(text, line);
    LeftPart("", 0, resultStart);
    PutPieces(
        line, fields,
        [](const char *bytes, int32_t length, StreamKind) {
            LeftPart(bytes, length, WorkspacePosition());
        },
        STREAM_OUTPUT);
}

// A number as a template's field.
struct Decimal {
    explicit Decimal(int64_t value) : length(FormatDecimal(value, digits)) {}
    operator Field() const { return {digits, length}; } // NOLINT: a number is a field
    char digits[DECIMAL_TEXT_SIZE];
    int32_t length;
};

// A number as a template's field: 0x and at least `fewest` upper-case hexadecimal digits; an
// address has eight, a checksum's value two a byte.
struct Address {
    explicit Address(uint64_t value, int32_t fewest = 8) {
        int32_t digits = fewest;
        while (digits < 16 && value >> 4 * digits)
            ++digits;
        text[0] = '0';
        text[1] = 'x';
        for (int32_t i = 0; i < digits; ++i)
            text[2 + i] = HEX_DIGITS[value >> 4 * (digits - 1 - i) & 15];
        length = 2 + digits;
    }
    operator Field() const { return {text, length}; } // NOLINT: an address is a field
    char text[18];
    int32_t length;
};

Field PathOf(const Report &report) {
    return {report.path, report.pathLength};
}

// A count with its noun, from the template for 1 (when there is one) or the one for any other
// number, at the result start.
void FormatCount(int64_t count, const char *one, const char *more, int32_t resultStart) {
    FormatTemplate(count == 1 && one ? one : more, {Decimal(count)}, resultStart);
}

// Why an open, read or write failed, in words at the result start; natively the system's own
// (strerror), but for the refusals that are the tool's own.
void FormatReason(uint32_t failure, int32_t resultStart) {
    static constexpr const char *REASONS[] = {
        nullptr,
        texts::REASON_NOT_FOUND,
        texts::REASON_FOLDER,
        texts::REASON_READ_ONLY,
        texts::REASON_ACCESS_DENIED,
        texts::REASON_IN_USE,
        texts::REASON_LOCKED,
        texts::REASON_PATH_TOO_LONG,
        texts::REASON_DISK_FULL,
        texts::REASON_NETWORK_GONE,
        texts::REASON_NOT_REGULAR,
        texts::REASON_CHANGED,
    };
    static_assert(sizeof REASONS / sizeof REASONS[0] == FAILURE_CHANGED + 1);
    FailureKind kind = ClassifyFailure(failure);
    bool own = kind == FAILURE_NOT_REGULAR || kind == FAILURE_CHANGED;
    if (const char *reason = NATIVE && !own ? nullptr : REASONS[kind]) {
        LeftPart(reason, StringLength(reason), resultStart);
        return;
    }
    char words[512];
    if (int32_t length = FailureText(failure, words, sizeof words); length > 0) {
        LeftPart(words, length, resultStart);
        return;
    }
    FormatCount(failure, nullptr, texts::REASON_SYSTEM_ERROR, resultStart);
}

// A line on the failures' stream, in its place among the findings on a terminal.
void WriteFailure(const char *text, Fields fields) {
    if (!OpenStandardOutput(FAILURES)) return;
    if (NATIVE) FlushStandardOutput();
    WriteTemplate(text, fields, FAILURES);
    if (NATIVE) FlushStandardOutput(FAILURES);
}

// The line number in digits at at: the last one's digits with the difference added, digit by
// digit, which costs little where lines follow each other closely. The last digits are copied
// whole first and kept up to date a byte at a time, so that no copy reads bytes stored just
// before it. Returns the number of digits.
int32_t PutLineNumber(FindingLine &line, int64_t value, char *at) {
    std::memcpy(at, line.number, 16);
    if (line.numberLength > 16) std::memcpy(at + 16, line.number + 16, 16);
    int64_t add = value - line.numberValue;
    line.numberValue = value;
    for (int32_t i = line.numberLength - 1; add > 0 && i >= 0; --i) {
        int64_t digit = line.number[i] - '0' + add;
        at[i] = line.number[i] = static_cast<char>('0' + digit % 10);
        add = digit / 10;
    }
    if (add != 0) {
        line.numberLength = FormatDecimal(value, line.number);
        std::memcpy(at, line.number, static_cast<size_t>(line.numberLength));
    }
    return line.numberLength;
}

// A checksum finding's line, a million of which may follow each other: its three parts copied
// in whole sixteen bytes into the output's buffer (the room asked for covers what is copied
// past the line's end) and the checksums put in their places.
void WriteChecksumLine(Report &report, const Finding &finding) {
    FindingLine &line = report.checksumLine;
    constexpr int32_t MOST =
        FindingLine::HEAD_ROOM + FindingLine::NUMBER_ROOM + FindingLine::TAIL_ROOM;
    char *out = !NATIVE || line.headLength < 0 ? nullptr : OutputRoom(MOST);
    if (!out) {
        WriteTemplate(
            report.patching ? texts::CHECKSUM_CORRECTED : texts::CHECKSUM_WRONG,
            {PathOf(report), Decimal(finding.line), {finding.written, 2}, {finding.right, 2}});
        return;
    }
    for (int32_t i = 0; i < line.headLength; i += 16)
        std::memcpy(out + i, line.head + i, 16);
    char *at = out + line.headLength;
    at += PutLineNumber(line, finding.line, at);
    std::memcpy(at, line.tail, FindingLine::TAIL_ROOM);
    // A byte at a time, as the finding was just made.
    at[line.writtenAt] = finding.written[0];
    at[line.writtenAt + 1] = finding.written[1];
    at[line.rightAt] = finding.right[0];
    at[line.rightAt + 1] = finding.right[1];
    OutputFilled(static_cast<int32_t>(at + line.tailLength - out));
}

// A --checksum value's line.
void WriteImageChecksumLine(const char *text, const Report &report, int64_t line,
                            const ChecksumJob &job, uint32_t value, uint32_t stored) {
    int32_t width = ChecksumWidth(job.algorithm);
    WriteTemplate(text, {PathOf(report), Decimal(line), ChecksumShortName(job.algorithm),
                         Address(job.first), Address(job.last), Address(value, 2 * width),
                         Address(job.address),
                         width == 1      ? ""
                         : job.bigEndian ? texts::BIG_ENDIAN_ORDER
                                         : texts::LITTLE_ENDIAN_ORDER,
                         Address(stored, 2 * width)});
}

} // namespace

// The checksum finding's template, "%1" and "%2" in front, the other fields two characters wide,
// put together in advance: the path with the runs around it, and the rest with two places. Only
// natively: the Windows program, which has to fit in 88 KiB, makes each line from its template.
void BeginReport(Report &report, const char *path, bool patching) {
    report.path = path;
    report.pathLength = StringLength(path);
    report.patching = patching;
    FindingLine &line = report.checksumLine;
    line = FindingLine{};
    line.number[0] = '0';
    line.numberLength = 1;
    if (!NATIVE) return;
    Pieces pieces;
    TakeApart(patching ? texts::CHECKSUM_CORRECTED : texts::CHECKSUM_WRONG, pieces);
    const Pieces::Piece *piece = pieces.pieces;
    int32_t head = piece[0].length + report.pathLength + piece[1].length;
    line.headLength =
        head <= FindingLine::HEAD_ROOM && pieces.fixed + 4 <= FindingLine::TAIL_ROOM ? head : -1;
    if (line.headLength < 0) return;
    std::memcpy(line.head, piece[0].text, static_cast<size_t>(piece[0].length));
    std::memcpy(line.head + piece[0].length, path, static_cast<size_t>(report.pathLength));
    std::memcpy(line.head + head - piece[1].length, piece[1].text,
                static_cast<size_t>(piece[1].length));
    for (int32_t i = 2; i < pieces.count; ++i) {
        std::memcpy(line.tail + line.tailLength, piece[i].text,
                    static_cast<size_t>(piece[i].length));
        line.tailLength += piece[i].length;
        if (piece[i].field < 0) break;
        (piece[i].field == 2 ? line.writtenAt : line.rightAt) = line.tailLength;
        line.tailLength += 2;
    }
}

// One finding: CHECKSUM_CORRECTED or CHECKSUM_WRONG for a checksum, LINE_END_ADDED, or
// NOT_A_DIGIT, NO_BYTE_COUNT or WRONG_LENGTH for a line that is not a well-formed record.
void ReportFinding(void *context, const Finding &finding) {
    Report &report = *static_cast<Report *>(context);
    if (finding.kind == FINDING_CHECKSUM) {
        WriteChecksumLine(report, finding);
        return;
    }
    Decimal line(finding.line);
    if (finding.kind == FINDING_LINE_END) {
        WriteTemplate(texts::LINE_END_ADDED, {PathOf(report), line});
        return;
    }
    const char *left = report.patching ? texts::LEFT_UNCHANGED : "";
    if (finding.notDigit > 0) {
        WriteTemplate(texts::NOT_A_DIGIT, {PathOf(report), line, Decimal(finding.notDigit), left});
    } else if (finding.expected < 0) {
        WriteTemplate(texts::NO_BYTE_COUNT, {PathOf(report), line, left});
    } else {
        WriteTemplate(texts::WRONG_LENGTH, {PathOf(report), line, Decimal(finding.length),
                                            Decimal(finding.expected), left});
    }
}

void ReportStructure(void *context, const StructureFinding &finding) {
    static constexpr const char *TEXTS[] = {
        texts::AFTER_END, texts::UNKNOWN_TYPE, texts::WRONG_BYTE_COUNT, texts::HELD_BEFORE,
        texts::NO_END,    texts::NOT_RECORD,   texts::ADDRESS_FIELD,    texts::PAST_4G,
        texts::NO_DATA,   texts::WRAPS};
    const Report &report = *static_cast<const Report *>(context);
    const char type[2] = {HEX_DIGITS[finding.type >> 4 & 15], HEX_DIGITS[finding.type & 15]};
    WriteTemplate(TEXTS[finding.kind], {PathOf(report),
                                        Decimal(finding.line),
                                        {type, 2},
                                        Decimal(finding.count),
                                        Decimal(finding.other),
                                        Address(finding.address)});
}

void ReportStretch(void *context, int64_t line, uint64_t from, uint64_t to) {
    const Report &report = *static_cast<const Report *>(context);
    WriteTemplate(to - from == 1 ? texts::BYTE_SET : texts::BYTES_SET,
                  {PathOf(report), Decimal(line), Address(from), Address(to - 1)});
}

void ReportFailure(const Report &report, int32_t walked, const WalkTally &tally) {
    OwnedString reason;
    int32_t start = WorkspacePosition();
    FormatReason(tally.failure, start);
    reason.TakeResult(start);
    if (walked == 0)
        WriteFailure(texts::CANNOT_BE_OPENED, {PathOf(report), reason.Text()});
    else
        WriteFailure(tally.failedWriting ? texts::NOT_WRITTEN : texts::NOT_READ,
                     {PathOf(report), Decimal(tally.linesDone), reason.Text()});
}

void ReportSummary(const Report &report, const WalkTally &tally, const char *text, int64_t extra) {
    if (tally.records == 0) WriteTemplate(texts::NO_RECORDS, {PathOf(report), Decimal(1)});
    OwnedString records, lines, more;
    int32_t start = WorkspacePosition();
    FormatCount(tally.records, texts::ONE_RECORD, texts::RECORDS, start);
    records.TakeResult(start);
    if (report.patching)
        FormatCount(tally.malformed, texts::ONE_LINE_LEFT, texts::LINES_LEFT, start);
    else
        FormatCount(tally.malformed, texts::ONE_LINE_MALFORMED, texts::LINES_MALFORMED, start);
    lines.TakeResult(start);
    bool strict = text == texts::SUMMARY_STRICT, values = text == texts::SUMMARY_CHECKSUMS;
    FormatCount(extra,
                strict   ? texts::ONE_STRUCTURE_FINDING
                : values ? texts::ONE_VALUE_DIFFERS
                         : nullptr,
                strict   ? texts::STRUCTURE_FINDINGS
                : values ? texts::VALUES_DIFFER
                         : "%1",
                start);
    more.TakeResult(start);
    WriteTemplate(text, {PathOf(report), records.Text(), Decimal(tally.checksums), lines.Text(),
                         more.Text()});
}

void ReportImageUnknown(const Report &report, const AddressWalk &addresses, bool setting) {
    const char type[2] = {HEX_DIGITS[addresses.unknownType >> 4 & 15],
                          HEX_DIGITS[addresses.unknownType & 15]};
    WriteFailure(addresses.unknown == IMAGE_ADDRESS_RECORD ? texts::IMAGE_ADDRESS_RECORD
                                                           : texts::IMAGE_MALFORMED,
                 {PathOf(report),
                  Decimal(addresses.unknownLine),
                  {type, 2},
                  Decimal(addresses.unknownCount),
                  setting ? texts::NOTHING_SET : texts::NOTHING_COMPARED});
}

void ReportSetRefusal(const Report &report, const WriteRefusal &refusal) {
    const char *text = refusal.first  ? texts::SET_IN_TWO_RECORDS
                       : refusal.late ? texts::SET_AFTER_END
                                      : texts::SET_IN_NO_RECORD;
    WriteFailure(text,
                 {PathOf(report), Address(refusal.address),
                  Decimal(refusal.first ? refusal.first : refusal.late), Decimal(refusal.second)});
}

void ReportSetChanged(const Report &report) {
    WriteFailure(texts::SET_CHANGED, {PathOf(report)});
}

void ReportSetIncomplete(const Report &report) {
    WriteFailure(texts::SET_INCOMPLETE, {PathOf(report)});
}

void ReportSetNamedTwice(const Report &report, const char *earlier) {
    WriteFailure(texts::SET_NAMED_TWICE, {PathOf(report), earlier});
}

void ReportSetSkipped(const Report &report) {
    WriteFailure(texts::SET_SKIPPED, {PathOf(report)});
}

void ReportChecksumStored(const Report &report, int64_t line, const ChecksumJob &job,
                          uint32_t value) {
    WriteImageChecksumLine(texts::CHECKSUM_STORED, report, line, job, value, value);
}

void ReportChecksumChecked(const Report &report, int64_t line, const ChecksumJob &job,
                           uint32_t value, uint32_t stored) {
    WriteImageChecksumLine(value == stored ? texts::CHECKSUM_MATCHES : texts::CHECKSUM_DIFFERS,
                           report, line, job, value, stored);
}

void ReportChecksumConflict(const Report &report, const ImageConflict &conflict, bool setting) {
    WriteFailure(texts::CHECKSUM_CONFLICT,
                 {PathOf(report), Address(conflict.address), Decimal(conflict.first),
                  Decimal(conflict.second), setting ? texts::NOTHING_SET : ""});
}

void ReportChecksumNotStored(const Report &report, uint64_t address) {
    WriteFailure(texts::CHECKSUM_NOT_STORED, {PathOf(report), Address(address)});
}

// The fault's line: %1 its value (or argument), %2 the other one, %3 the stretch of the value
// that it names.
void ReportCommandFault(const CommandLine &command) {
    static constexpr const char *TEXTS[] = {nullptr,
                                            texts::UNKNOWN_OPTION,
                                            texts::NO_SET_VALUE,
                                            texts::STANDARD_INPUT,
                                            texts::SET_INVALID,
                                            texts::SET_PAST_END,
                                            texts::SET_OVERLAP,
                                            texts::NO_CHECKSUM_VALUE,
                                            texts::NO_FILL_VALUE,
                                            texts::CHECKSUM_INVALID,
                                            texts::FILL_INVALID,
                                            texts::SET_AMBIGUOUS,
                                            texts::CHECKSUM_ALGORITHM,
                                            texts::CHECKSUM_REVERSED,
                                            texts::CHECKSUM_IN_RANGE,
                                            texts::CHECKSUM_SUFFIX,
                                            texts::CHECKSUM_PAST_END,
                                            texts::CHECKSUM_AMBIGUOUS,
                                            texts::FILL_ALONE,
                                            texts::SET_CHECKSUM_OVERLAP,
                                            texts::CHECKSUM_OVERLAP,
                                            texts::CHECKSUM_CYCLE};
    static_assert(sizeof TEXTS / sizeof TEXTS[0] == FAULT_CHECKSUM_CYCLE + 1);
    OwnedString one, other;
    TakeArgument(command.faultArgument, one);
    TakeArgument(command.otherArgument, other);
    const char *value = SettingText(one.Text());
    // (SettingText cuts a value given alone that reads like --set=VALUE: the stretch may lie past.)
    bool inside = command.faultStart + command.faultLength <= StringLength(value);
    WriteFailure(TEXTS[command.fault],
                 {value,
                  SettingText(other.Text()),
                  {value + (inside ? command.faultStart : 0), inside ? command.faultLength : 0}});
    WriteFailure(texts::TRY_HELP, {});
}

bool EndReport() {
    FlushStandardOutput();
    FlushStandardOutput(STREAM_ERROR);
    uint32_t failure = StandardOutputFailure();
    if (!failure) failure = StandardOutputFailure(STREAM_ERROR);
    if (!failure) return true;
    if (ReaderGone(failure)) return false;
    OwnedString reason;
    int32_t start = WorkspacePosition();
    FormatReason(failure, start);
    reason.TakeResult(start);
    // The line goes where it still can: the error stream, or on Windows, where failures are
    // part of the report, a working output.
    StreamKind kind = !NATIVE && StandardOutputFailure(STREAM_ERROR) ? STREAM_OUTPUT : STREAM_ERROR;
    if (OpenStandardOutput(kind)) {
        WriteTemplate(texts::REPORT_NOT_WRITTEN, {reason.Text()}, kind);
        FlushStandardOutput(kind);
    }
    return false;
}
