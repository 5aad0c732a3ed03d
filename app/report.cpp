// SPDX-License-Identifier: MIT
#include "app/report.h"

#include "app/report_fields.h"

#include "app/report_json.h"
#include "app/report_lines.h"
#include "app/texts.h"
#include "runtime/arguments.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>
#include <initializer_list>

namespace report_fields {

Field PathOf(const Report &report) {
    return {report.path, report.pathLength};
}

// With -o, what is wrong with the input's content names the input.
Field InputOf(const Report &report) {
    return report.input ? Field(report.input) : PathOf(report);
}

// Bytes as two hexadecimal digits each, a blank between them, in text (room for 3 x count).
Field BytesField(const uint8_t *bytes, int32_t count, char *text) {
    for (int32_t k = 0; k < count; ++k) {
        text[3 * k] = HEX_DIGITS[bytes[k] >> 4];
        text[3 * k + 1] = HEX_DIGITS[bytes[k] & 15];
        text[3 * k + 2] = ' ';
    }
    return {text, count > 0 ? 3 * count - 1 : 0};
}

// A record's type, as its two digits.
Field TypeField(int32_t type, char *text) {
    auto byte = static_cast<uint8_t>(type);
    return BytesField(&byte, 1, text);
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
        texts::REASON_EXISTS,
    };
    static_assert(sizeof REASONS / sizeof REASONS[0] == FAILURE_EXISTS + 1);
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

// The reason as a field, made in the workspace (the caller's WorkspaceScope ends it).
Field ReasonOf(uint32_t failure) {
    int32_t start = WorkspacePosition();
    FormatReason(failure, start);
    return {WorkspaceAt(start), WorkspacePosition() - start};
}

// A --checksum value's ranges, one after another, made in the workspace (the caller's
// WorkspaceScope ends them).
Field RangesOf(const ChecksumJob &job) {
    return RangesOf(job.ranges, job.rangeCount);
}

Field RangesOf(const ChecksumRange *ranges, int32_t count) {
    int32_t start = WorkspacePosition();
    for (int32_t i = 0; i < 2 * count; ++i) {
        const ChecksumRange &range = ranges[i / 2];
        const char *before = i % 2 ? texts::RANGE_TO : i ? texts::MORE_RANGES : "";
        Address address(i % 2 ? range.last : range.first);
        LeftPart(before, StringLength(before), WorkspacePosition());
        AppendToWorkspace(address.text, address.length);
    }
    return {WorkspaceAt(start), WorkspacePosition() - start};
}

// A number as a quoted JSON string, in text (room for its length and 2).
Field Quoted(Field number, char *text) {
    text[0] = '"';
    std::memcpy(text + 1, number.text, static_cast<size_t>(number.length));
    text[number.length + 1] = '"';
    return {text, number.length + 2};
}

// A --checksum value as an item of the JSON object's values; stored, line and place only for a
// value with a place.
void JsonChecksum(Report &report, const ChecksumJob &job, const ChecksumValue &value,
                  const char *state, int64_t line, const ChecksumValue &stored) {
    int32_t width = ChecksumWidth(job.algorithm);
    WorkspaceScope scope;
    int32_t ranges = WorkspacePosition();
    RangesOf(job);
    int32_t name = WorkspacePosition();
    JsonString(job.name, job.nameLength);
    int32_t end = WorkspacePosition();
    char place[20], held[sizeof ValueDigits::text + 2];
    Decimal lineNumber(line);
    bool placed = !job.printed;
    JsonItem(report, JSON_IN_VALUES, texts::JSON_CHECKSUM_VALUE,
             {{WorkspaceAt(name), end - name},
              {WorkspaceAt(ranges), name - ranges},
              ValueDigits(value, job.algorithm),
              state,
              placed ? Field(lineNumber) : Field(texts::JSON_NULL),
              placed ? Quoted(Address(job.address), place) : Field(texts::JSON_NULL),
              !placed || width == 1 || job.algorithm.kind == CHECKSUM_DIGEST ? texts::JSON_NULL
              : job.bigEndian ? texts::JSON_BIG_ENDIAN
                              : texts::JSON_LITTLE_ENDIAN,
              placed || job.expected ? Quoted(ValueDigits(stored, job.algorithm), held)
                                     : Field(texts::JSON_NULL)});
}

// A value printed alone, quiet: led by the file's name when the call names several files.
void WriteQuietValue(Report &report, Field value) {
    if (report.named)
        WriteTemplate(texts::QUIET_VALUE_OF, {PathOf(report), value});
    else
        WriteTemplate(texts::CHECKSUM_VALUE, {value});
}

// A --checksum value's line.
void WriteImageChecksumLine(const char *text, Report &report, int64_t line, const ChecksumJob &job,
                            const ChecksumValue &value, const ChecksumValue &stored) {
    int32_t width = ChecksumWidth(job.algorithm);
    WorkspaceScope scope;
    WriteTemplate(text, {PathOf(report), Decimal(line), Field{job.name, job.nameLength},
                         RangesOf(job), ValueDigits(value, job.algorithm), Address(job.address),
                         width == 1 || job.algorithm.kind == CHECKSUM_DIGEST ? ""
                         : job.bigEndian ? texts::BIG_ENDIAN_ORDER
                                         : texts::LITTLE_ENDIAN_ORDER,
                         ValueDigits(stored, job.algorithm)});
}

} // namespace report_fields

using namespace report_fields;

// The checksum finding's line put together in advance (app/report_lines.h).
void BeginReport(Report &report, const char *path, bool patching) {
    report.path = path;
    report.pathLength = StringLength(path);
    report.patching = patching;
    PrepareFindingLine(report.checksumLine,
                       patching ? texts::CHECKSUM_CORRECTED : texts::CHECKSUM_WRONG,
                       PathOf(report));
}

namespace {

void JsonFinding(Report &report, const Finding &finding) {
    Decimal line(finding.line);
    if (finding.kind == FINDING_CHECKSUM) {
        JsonItem(report, JSON_IN_FINDINGS, texts::JSON_WRONG_CHECKSUM,
                 {line, {finding.written, 2}, {finding.right, 2}});
        return;
    }
    WorkspaceScope scope;
    const char *left = report.patching ? texts::LEFT_UNCHANGED : "";
    Field words =
        finding.kind == FINDING_LINE_END
            ? FormatWords(texts::LINE_END_ADDED, {PathOf(report), line}, PathOf(report))
        : finding.notDigit > 0
            ? FormatWords(texts::NOT_A_DIGIT,
                          {PathOf(report), line, Decimal(finding.notDigit), left}, PathOf(report))
        : finding.expected < 0
            ? FormatWords(texts::NO_BYTE_COUNT, {PathOf(report), line, left}, PathOf(report))
            : FormatWords(
                  texts::WRONG_LENGTH,
                  {PathOf(report), line, Decimal(finding.length), Decimal(finding.expected), left},
                  PathOf(report));
    Field escaped = JsonString(words.text, words.length);
    JsonItem(
        report, JSON_IN_FINDINGS, texts::JSON_FINDING,
        {line,
         finding.kind == FINDING_LINE_END ? texts::JSON_KIND_LINE_END : texts::JSON_KIND_MALFORMED,
         escaped});
}

} // namespace

// One finding: CHECKSUM_CORRECTED or CHECKSUM_WRONG for a checksum, LINE_END_ADDED, or
// NOT_A_DIGIT, NO_BYTE_COUNT or WRONG_LENGTH for a line that is not a well-formed record.
void ReportFinding(void *context, const Finding &finding) {
    Report &report = *static_cast<Report *>(context);
    if (report.form == FORM_JSON) {
        JsonFinding(report, finding);
        return;
    }
    if (finding.kind == FINDING_CHECKSUM) {
        WriteFindingLine(report.checksumLine,
                         report.patching ? texts::CHECKSUM_CORRECTED : texts::CHECKSUM_WRONG,
                         PathOf(report), finding.line, finding.written, finding.right);
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

// A finding on the structure; with --info, data held twice with whether the record holds there
// what the record that holds it first holds, and a record of a type none of 00 to 05 counted
// for the map (a file may hold thousands).
void ReportStructure(void *context, const StructureFinding &finding) {
    static constexpr const char *TEXTS[] = {
        texts::AFTER_END, texts::UNKNOWN_TYPE, texts::WRONG_BYTE_COUNT, texts::HELD_BEFORE,
        texts::NO_END,    texts::NOT_RECORD,   texts::ADDRESS_FIELD,    texts::PAST_4G,
        texts::NO_DATA,   texts::WRAPS};
    Report &report = *static_cast<Report *>(context);
    char type[3];
    FileInfo *info = report.info;
    if (info && finding.kind == STRUCTURE_TYPE) {
        OtherType &other = info->otherTypes[finding.type & 255];
        if (other.count++ == 0) other.first = finding.line;
        return;
    }
    const char *more = "";
    // (From the line that makes the image unknown on, a record's data lies where the last base
    // before it puts it, which need not be where it belongs: nothing to compare.)
    int64_t unknownFrom = info ? info->image.addresses.unknownLine : 0;
    if (info && finding.kind == STRUCTURE_OVERLAP && (!unknownFrom || finding.line < unknownFrom))
        more = HeldAlike(info->image, *info->check.place, info->check.record) ? texts::SAME_VALUES
                                                                              : texts::OTHER_VALUES;
    Decimal line(finding.line), count(finding.count), other(finding.other);
    // nine digits, the first one past 0xFFFFFFFF (where a record's data may end), else eight
    Address address(static_cast<uint32_t>(finding.address >> 4));
    address.text[10] = HEX_DIGITS[finding.address & 15];
    bool wide = finding.address >> 32;
    if (!wide) {
        address.text[1] = '0';
        address.text[2] = 'x';
    }
    Field where{address.text + (wide ? 0 : 1), wide ? 11 : 10};
    Field fields[] = {PathOf(report), line, TypeField(finding.type, type), count, other,
                      where,          more};
    if (report.form != FORM_JSON) {
        WriteFields(TEXTS[finding.kind], fields, 7);
        return;
    }
    WorkspaceScope scope;
    Field words = FormatWords(
        TEXTS[finding.kind],
        {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], more}, PathOf(report));
    JsonItem(report, JSON_IN_FINDINGS, texts::JSON_FINDING,
             {line, texts::JSON_KIND_STRUCTURE, JsonString(words.text, words.length)});
}

void ReportStretch(void *context, int64_t line, uint64_t from, uint64_t to) {
    Report &report = *static_cast<Report *>(context);
    if (report.form == FORM_JSON) {
        JsonItem(report, JSON_IN_FINDINGS, texts::JSON_BYTES_SET,
                 {Decimal(line), Address(from), Address(to - 1)});
        return;
    }
    WriteTemplate(to - from == 1 ? texts::BYTE_SET : texts::BYTES_SET,
                  {PathOf(report), Decimal(line), Address(from), Address(to - 1)});
}
