// SPDX-License-Identifier: MIT
#include "app/report.h"

#include "app/report_json.h"
#include "app/report_lines.h"
#include "app/texts.h"
#include "runtime/arguments.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>
#include <initializer_list>

namespace {

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
    int32_t start = WorkspacePosition();
    for (int32_t i = 0; i < 2 * job.rangeCount; ++i) {
        const ChecksumRange &range = job.ranges[i / 2];
        const char *before = i % 2 ? texts::RANGE_TO : i ? texts::MORE_RANGES : "";
        Address address(i % 2 ? range.last : range.first);
        LeftPart(before, StringLength(before), WorkspacePosition());
        AppendToWorkspace(address.text, address.length);
    }
    return {WorkspaceAt(start), WorkspacePosition() - start};
}

// A number as a quoted JSON string, in text (room for 20).
Field Quoted(const Address &number, char *text) {
    text[0] = '"';
    std::memcpy(text + 1, number.text, static_cast<size_t>(number.length));
    text[number.length + 1] = '"';
    return {text, number.length + 2};
}

// A --checksum value as an item of the JSON object's values; stored, line and place only for a
// value with a place.
void JsonChecksum(Report &report, const ChecksumJob &job, uint64_t value, const char *state,
                  int64_t line, uint64_t stored) {
    int32_t width = ChecksumWidth(job.algorithm);
    WorkspaceScope scope;
    int32_t ranges = WorkspacePosition();
    RangesOf(job);
    int32_t name = WorkspacePosition();
    JsonString(job.name, job.nameLength);
    int32_t end = WorkspacePosition();
    char place[20], held[20];
    Decimal lineNumber(line);
    bool placed = !job.printed;
    JsonItem(report, JSON_IN_VALUES, texts::JSON_CHECKSUM_VALUE,
             {{WorkspaceAt(name), end - name},
              {WorkspaceAt(ranges), name - ranges},
              Address(value, 2 * width),
              state,
              placed ? Field(lineNumber) : Field(texts::JSON_NULL),
              placed ? Quoted(Address(job.address), place) : Field(texts::JSON_NULL),
              !placed || width == 1 ? texts::JSON_NULL
              : job.bigEndian       ? texts::JSON_BIG_ENDIAN
                                    : texts::JSON_LITTLE_ENDIAN,
              placed ? Quoted(Address(stored, 2 * width), held) : Field(texts::JSON_NULL)});
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
                            uint64_t value, uint64_t stored) {
    int32_t width = ChecksumWidth(job.algorithm);
    WorkspaceScope scope;
    WriteTemplate(text, {PathOf(report), Decimal(line), Field{job.name, job.nameLength},
                         RangesOf(job), Address(value, 2 * width), Address(job.address),
                         width == 1      ? ""
                         : job.bigEndian ? texts::BIG_ENDIAN_ORDER
                                         : texts::LITTLE_ENDIAN_ORDER,
                         Address(stored, 2 * width)});
}

} // namespace

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
    Address address(finding.address);
    Field fields[] = {PathOf(report), line, TypeField(finding.type, type), count, other,
                      address,        more};
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

namespace {

// A line of the map with counts: %2 the first of them, %3 the next, and so on.
void WriteCounts(Report &report, const char *text, const int64_t *counts, int32_t count) {
    char digits[8][DECIMAL_TEXT_SIZE];
    Field fields[9];
    fields[0] = PathOf(report);
    for (int32_t i = 0; i < count; ++i)
        fields[i + 1] = {digits[i], FormatDecimal(counts[i], digits[i])};
    WriteFields(text, fields, count + 1);
}

} // namespace

namespace {

// The map as the JSON object's "map": its ranges, start address, records by type and case, and
// lines by their ends.
void JsonFileInfo(Report &report, const FileInfo &info, const WalkTally &tally) {
    JsonAt(report, JSON_IN_MAP);
    WriteTemplate(texts::JSON_MAP_RANGES, {});
    ImageRange range{};
    ptrdiff_t next = 0;
    for (bool first = true;
         !info.image.addresses.unknownLine && NextImageRange(info.image, &next, &range);
         first = false) {
        if (!first) WriteTemplate(texts::JSON_BETWEEN, {});
        WriteTemplate(texts::JSON_MAP_RANGE, {Address(range.first), Address(range.last),
                                              Decimal(int64_t{range.last} - range.first + 1)});
    }
    const StructureCheck &check = info.check;
    char start[12] = {'"', '0', 'x'};
    std::memcpy(start + 3, check.start, 8);
    start[11] = '"';
    Field fields[9] = {check.startType ? Field(start, 12) : Field(texts::JSON_NULL)};
    Decimal counts[8] = {Decimal(check.counts[0]), Decimal(check.counts[1]),
                         Decimal(check.counts[2]), Decimal(check.counts[3]),
                         Decimal(check.counts[4]), Decimal(check.counts[5]),
                         Decimal(check.counts[6]), Decimal(check.counts[7])};
    for (int32_t i = 0; i < 8; ++i)
        fields[i + 1] = counts[i];
    WriteFields(texts::JSON_MAP_COUNTS, fields, 9);
    WriteTemplate(texts::JSON_MAP_ENDS, {Decimal(tally.lineEnds[0]), Decimal(tally.lineEnds[1]),
                                         Decimal(tally.lineEnds[2]), Decimal(tally.lineEnds[3])});
}

} // namespace

void ReportFileInfo(Report &report, const FileInfo &info, const WalkTally &tally) {
    if (report.form == FORM_JSON) {
        JsonFileInfo(report, info, tally);
        return;
    }
    ImageRange range{};
    ptrdiff_t next = 0;
    while (!info.image.addresses.unknownLine && NextImageRange(info.image, &next, &range))
        WriteTemplate(texts::INFO_RANGE, {PathOf(report), Address(range.first), Address(range.last),
                                          Decimal(int64_t{range.last} - range.first + 1)});
    const StructureCheck &check = info.check;
    if (check.startType == TYPE_SEGMENT_START) { // a segment and offset, and where they point
        uint32_t segment = 0, offset = 0;
        for (int32_t k = 0; k < 4; ++k) {
            segment = segment << 4 | static_cast<uint32_t>(HexDigitValue(check.start[k]));
            offset = offset << 4 | static_cast<uint32_t>(HexDigitValue(check.start[4 + k]));
        }
        WriteTemplate(texts::INFO_START_SEGMENT, {PathOf(report),
                                                  {check.start, 4},
                                                  {check.start + 4, 4},
                                                  Address(segment * 16 + offset)});
    } else if (check.startType == TYPE_LINEAR_START) {
        WriteTemplate(texts::INFO_START_LINEAR, {PathOf(report), {check.start, 8}});
    }
    WriteCounts(report, texts::INFO_RECORDS, check.counts, 6);
    for (int32_t number = TYPE_LINEAR_START + 1; number < 256; ++number) {
        const OtherType &other = info.otherTypes[number];
        char type[3];
        if (other.count)
            WriteTemplate(other.count == 1 ? texts::INFO_OTHER_TYPE : texts::INFO_OTHER_TYPES,
                          {PathOf(report), Decimal(other.count), TypeField(number, type),
                           Decimal(other.first)});
    }
    WriteCounts(report, texts::INFO_CASE, check.counts + 6, 2);
    WriteCounts(report, texts::INFO_LINE_ENDS, tally.lineEnds, 4);
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

void ReportFailure(Report &report, int32_t walked, const WalkTally &tally, bool input) {
    WorkspaceScope scope;
    Field reason = ReasonOf(tally.failure);
    if (walked == 0)
        ReportFileFailure(report, texts::CANNOT_BE_OPENED,
                          {input ? InputOf(report) : PathOf(report), reason});
    else
        ReportFileFailure(report, tally.failedWriting ? texts::NOT_WRITTEN : texts::NOT_READ,
                          {PathOf(report), Decimal(tally.linesDone), reason});
}

void ReportImageUnknown(Report &report, const AddressWalk &addresses, const char *nothing) {
    char type[3];
    ReportFileFailure(report,
                      addresses.unknown == IMAGE_ADDRESS_RECORD ? texts::IMAGE_ADDRESS_RECORD
                                                                : texts::IMAGE_MALFORMED,
                      {InputOf(report), Decimal(addresses.unknownLine),
                       TypeField(addresses.unknownType, type), Decimal(addresses.unknownCount),
                       nothing});
}

void ReportWrongChecksum(Report &report, int64_t line, const char *nothing) {
    ReportFileFailure(report, texts::WRONG_CHECKSUM_REFUSED,
                      {InputOf(report), Decimal(line), nothing});
}

void ReportRangeNotHeld(Report &report, const ChecksumRange &range, const char *nothing) {
    ReportFileFailure(report, texts::RANGE_NOT_HELD,
                      {InputOf(report), Address(range.first), Address(range.last), nothing});
}

void ReportSetRefusal(Report &report, const WriteRefusal &refusal) {
    const char *text = refusal.first  ? texts::SET_IN_TWO_RECORDS
                       : refusal.late ? texts::SET_AFTER_END
                                      : texts::SET_IN_NO_RECORD;
    ReportFileFailure(report, text,
                      {InputOf(report), Address(refusal.address),
                       Decimal(refusal.first ? refusal.first : refusal.late),
                       Decimal(refusal.second)});
}

void ReportSetChanged(Report &report) {
    ReportFileFailure(report, texts::SET_CHANGED, {PathOf(report)});
}

void ReportSetIncomplete(Report &report) {
    ReportFileFailure(report, texts::SET_INCOMPLETE, {PathOf(report)});
}

void ReportSetNamedTwice(Report &report, const char *earlier) {
    ReportFileFailure(report, texts::SET_NAMED_TWICE, {PathOf(report), earlier});
}

void ReportNotCopied(Report &report, uint32_t failure, bool writing) {
    WorkspaceScope scope;
    ReportFileFailure(report, writing ? texts::OUTPUT_NOT_WRITTEN : texts::NOT_COPIED,
                      {writing ? PathOf(report) : InputOf(report), ReasonOf(failure)});
}

void ReportMergeNotRead(Report &report, const char *merged, uint32_t failure, const char *why) {
    WorkspaceScope scope;
    ReportFileFailure(report, texts::MERGE_NOT_READ,
                      {InputOf(report), merged, why ? Field(why) : ReasonOf(failure)});
}

void ReportMergeDiffers(Report &report, const char *merged, uint32_t address, int64_t line,
                        int64_t mergedLine) {
    ReportFileFailure(
        report, texts::MERGE_DIFFERS,
        {InputOf(report), merged, Address(address), Decimal(line), Decimal(mergedLine)});
}

void ReportBinaryHoles(Report &report, const HexImage &image) {
    WorkspaceScope scope;
    int32_t start = WorkspacePosition();
    ImageRange range{};
    for (ptrdiff_t next = 0; NextImageRange(image, &next, &range);) {
        if (WorkspacePosition() > start) AppendString(texts::CYCLE_NEXT);
        Address first(range.first), last(range.last);
        AppendToWorkspace(first.text, first.length);
        AppendString(texts::RANGE_TO);
        AppendToWorkspace(last.text, last.length);
    }
    ReportFileFailure(report, texts::BINARY_HOLES,
                      {PathOf(report), {WorkspaceAt(start), WorkspacePosition() - start}});
}

void ReportRecordsAdded(Report &report, int64_t added) {
    report.recordsAdded = added;
    if (report.form == FORM_TEXT)
        WriteTemplate(added == 1 ? texts::ONE_RECORD_ADDED : texts::RECORDS_ADDED,
                      {PathOf(report), Decimal(added)});
}

void ReportMerged(Report &report, const char *merged, bool startDiffers) {
    if (report.form != FORM_TEXT) return;
    WriteTemplate(texts::MERGED, {PathOf(report), merged});
    if (startDiffers) WriteTemplate(texts::MERGE_START_DIFFERS, {PathOf(report), merged});
}

void ReportSetSkipped(Report &report) {
    ReportFileFailure(report, texts::SET_SKIPPED, {PathOf(report)});
}

void ReportChecksumWritten(Report &report, int64_t line, const ChecksumJob &job, uint64_t value,
                           bool inPlace) {
    if (report.form == FORM_JSON) {
        JsonChecksum(report, job, value,
                     job.printed ? texts::JSON_STATE_PRINTED
                     : inPlace   ? texts::JSON_STATE_IN_PLACE
                                 : texts::JSON_STATE_STORED,
                     line, value);
        return;
    }
    const char *text = job.printed ? texts::CHECKSUM_PRINTED
                       : inPlace   ? texts::CHECKSUM_MATCHES
                                   : texts::CHECKSUM_STORED;
    WriteImageChecksumLine(text, report, line, job, value, value);
}

void ReportChecksumChecked(Report &report, int64_t line, const ChecksumJob &job, uint64_t value,
                           uint64_t stored) {
    if (report.form == FORM_JSON) {
        JsonChecksum(report, job, value,
                     value == stored ? texts::JSON_STATE_IN_PLACE : texts::JSON_STATE_DIFFERS, line,
                     stored);
        return;
    }
    WriteImageChecksumLine(value == stored ? texts::CHECKSUM_MATCHES : texts::CHECKSUM_DIFFERS,
                           report, line, job, value, stored);
}

void ReportSetChecked(Report &report, int64_t line, const ByteSetting &setting,
                      const uint8_t *held) {
    char heldText[3 * 255], setText[3 * 255];
    bool same = std::memcmp(held, setting.bytes, static_cast<size_t>(setting.count)) == 0;
    Field heldBytes = BytesField(held, setting.count, heldText),
          setBytes = BytesField(setting.bytes, setting.count, setText);
    if (report.form == FORM_JSON) {
        JsonItem(report, JSON_IN_VALUES, texts::JSON_SET_VALUE,
                 {Address(setting.address), setBytes, heldBytes,
                  same ? texts::JSON_STATE_IN_PLACE : texts::JSON_STATE_DIFFERS, Decimal(line)});
        return;
    }
    WriteTemplate(same ? texts::SET_AS_SET : texts::SET_DIFFERS,
                  {PathOf(report), Decimal(line), Address(setting.address), heldBytes, setBytes});
}

void ReportGot(Report &report, int64_t line, const GetJob &get, const uint8_t *held) {
    if (!OpenStandardOutput()) return;
    char text[3 * 255];
    Field value = BytesField(held, get.count, text);
    if (get.typed) { // the number in decimal, as unsigned
        uint64_t number = 0;
        for (int32_t k = 0; k < get.count; ++k)
            number |= uint64_t{held[get.bigEndian ? get.count - 1 - k : k]} << 8 * k;
        value = {text, FormatUnsigned(number, text)};
    }
    if (report.form == FORM_JSON)
        JsonItem(report, JSON_IN_VALUES, texts::JSON_GET_VALUE,
                 {Address(get.address), value, Decimal(line)});
    else if (report.form == FORM_QUIET)
        WriteQuietValue(report, value);
    else
        WriteTemplate(texts::GOT, {PathOf(report), Decimal(line), Address(get.address), value});
}

void ReportGetNotHeld(Report &report, uint32_t address) {
    ReportFileFailure(report, texts::GET_NOT_HELD, {PathOf(report), Address(address)});
}

void ReportSetNotHeld(Report &report, uint32_t address) {
    ReportFileFailure(report, texts::SET_NOT_HELD, {PathOf(report), Address(address)});
}

void ReportChecksumPrinted(Report &report, const ChecksumJob &job, uint64_t value) {
    int32_t width = ChecksumWidth(job.algorithm);
    if (!OpenStandardOutput()) return;
    if (report.form == FORM_JSON) {
        JsonChecksum(report, job, value, texts::JSON_STATE_PRINTED, 0, 0);
        return;
    }
    if (report.form == FORM_QUIET) {
        WriteQuietValue(report, Address(value, 2 * width));
        return;
    }
    WriteImageChecksumLine(texts::CHECKSUM_PRINTED, report, 0, job, value, value);
}

void ReportChecksumConflict(Report &report, const ImageConflict &conflict, const char *nothing) {
    ReportFileFailure(report, texts::CHECKSUM_CONFLICT,
                      {InputOf(report), Address(conflict.address), Decimal(conflict.first),
                       Decimal(conflict.second), nothing});
}

void ReportChecksumNotStored(Report &report, uint64_t address) {
    ReportFileFailure(report, texts::CHECKSUM_NOT_STORED, {PathOf(report), Address(address)});
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
                                            texts::CHECKSUM_CYCLE,
                                            texts::SET_NO_FIT,
                                            texts::NO_GET_VALUE,
                                            texts::GET_INVALID,
                                            texts::GET_WITH_WRITE,
                                            texts::NO_OUTPUT_VALUE,
                                            texts::OUTPUT_TWICE,
                                            texts::OUTPUT_NOT_WRITING,
                                            texts::OUTPUT_FILES,
                                            texts::OUTPUT_IS_INPUT,
                                            texts::CHECKSUM_TOO_WIDE,
                                            texts::CHECKSUM_NEGATED,
                                            texts::CHECKSUM_WORDS,
                                            texts::INFO_WITH,
                                            texts::SET_NUMBER_AMBIGUOUS,
                                            texts::GET_PAST_END,
                                            texts::GET_AMBIGUOUS,
                                            texts::GET_COUNT_AMBIGUOUS,
                                            texts::STRICT_WITH_SET,
                                            texts::STRICT_WITH_CHECKSUM,
                                            texts::NO_PAD_VALUE,
                                            texts::PAD_INVALID,
                                            texts::NO_MERGE_VALUE,
                                            texts::MERGE_INVALID,
                                            texts::OVERLAP_INVALID,
                                            texts::BINARY_INVALID,
                                            texts::GROW_NOT_WRITING,
                                            texts::GROW_FILES,
                                            texts::BINARY_NO_OUTPUT};
    static_assert(sizeof TEXTS / sizeof TEXTS[0] == FAULT_BINARY_NO_OUTPUT + 1);
    OwnedString one, other;
    TakeArgument(command.faultArgument, one);
    TakeArgument(command.otherArgument, other);
    const char *value = ValueText(command, command.faultArgument, one.Text());
    int32_t start = WorkspacePosition();
    Field first{value};
    // The values of a cycle in its order, in the workspace: each argument, then its value moved
    // over the option's name before it (--checksum=VALUE).
    for (int32_t i = 0; i < command.cycleLength; ++i) {
        AppendString(i == 0                        ? ""
                     : i + 1 < command.cycleLength ? texts::CYCLE_NEXT
                                                   : texts::CYCLE_LAST);
        int32_t at = WorkspacePosition(), index = command.cycle[i];
        ArgumentAt(index, at);
        LeftPart(WorkspaceAt(at + command.valueStarts[index]), WorkspacePosition() - at, at);
        first = {WorkspaceAt(start), WorkspacePosition() - start};
    }
    WriteFailure(TEXTS[command.fault], {first,
                                        ValueText(command, command.otherArgument, other.Text()),
                                        {value + command.faultStart, command.faultLength}});
    WriteFailure(texts::TRY_HELP, {});
    SetWorkspacePosition(start);
}

bool EndReport(FilesWritten files) {
    FlushStandardOutput();
    FlushStandardOutput(STREAM_ERROR);
    uint32_t failure = StandardOutputFailure();
    if (!failure) failure = StandardOutputFailure(STREAM_ERROR);
    if (!failure) return true;
    if (ReaderGone(failure)) return false;
    WorkspaceScope scope;
    Field reason = ReasonOf(failure);
    // The line goes where it still can: the error stream, or on Windows, where failures are
    // part of the report, a working output.
    StreamKind kind = !NATIVE && StandardOutputFailure(STREAM_ERROR) ? STREAM_OUTPUT : STREAM_ERROR;
    const char *written = !files.written                  ? texts::FILES_NONE_WRITTEN
                          : files.written < files.toWrite ? texts::FILES_SOME_WRITTEN
                          : files.toWrite == 1            ? texts::FILE_WRITTEN
                                                          : texts::FILES_ALL_WRITTEN;
    if (OpenStandardOutput(kind)) {
        int32_t start = WorkspacePosition();
        FormatTemplate(written, {Decimal(files.written), Decimal(files.toWrite)}, start);
        WriteTemplate(texts::REPORT_NOT_WRITTEN,
                      {reason, {WorkspaceAt(start), WorkspacePosition() - start}}, kind);
        FlushStandardOutput(kind);
    }
    return false;
}
