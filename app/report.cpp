// SPDX-License-Identifier: MIT
#include "app/report.h"

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
        LeftPart(address.text, address.length, WorkspacePosition());
    }
    return {WorkspaceAt(start), WorkspacePosition() - start};
}

// A --checksum value's line.
void WriteImageChecksumLine(const char *text, const Report &report, int64_t line,
                            const ChecksumJob &job, uint64_t value, uint64_t stored) {
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

// One finding: CHECKSUM_CORRECTED or CHECKSUM_WRONG for a checksum, LINE_END_ADDED, or
// NOT_A_DIGIT, NO_BYTE_COUNT or WRONG_LENGTH for a line that is not a well-formed record.
void ReportFinding(void *context, const Finding &finding) {
    Report &report = *static_cast<Report *>(context);
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
// what the record that holds it first holds.
void ReportStructure(void *context, const StructureFinding &finding) {
    static constexpr const char *TEXTS[] = {
        texts::AFTER_END, texts::UNKNOWN_TYPE, texts::WRONG_BYTE_COUNT, texts::HELD_BEFORE,
        texts::NO_END,    texts::NOT_RECORD,   texts::ADDRESS_FIELD,    texts::PAST_4G,
        texts::NO_DATA,   texts::WRAPS};
    const Report &report = *static_cast<const Report *>(context);
    char type[3];
    const FileInfo *info = report.info;
    const char *more = "";
    if (info && finding.kind == STRUCTURE_OVERLAP)
        more = HeldAlike(info->image, *info->check.place, info->check.record) ? texts::SAME_VALUES
                                                                              : texts::OTHER_VALUES;
    WriteTemplate(TEXTS[finding.kind],
                  {PathOf(report), Decimal(finding.line), TypeField(finding.type, type),
                   Decimal(finding.count), Decimal(finding.other), Address(finding.address), more});
}

namespace {

// A line of the map with counts: %2 the first of them, %3 the next, and so on.
void WriteCounts(const Report &report, const char *text, const int64_t *counts, int32_t count) {
    char digits[8][DECIMAL_TEXT_SIZE];
    Field fields[9];
    fields[0] = PathOf(report);
    for (int32_t i = 0; i < count; ++i)
        fields[i + 1] = {digits[i], FormatDecimal(counts[i], digits[i])};
    WriteFields(text, fields, count + 1);
}

} // namespace

void ReportFileInfo(Report &report, const FileInfo &info, const WalkTally &tally) {
    ImageRange range{};
    for (ptrdiff_t next = 0; NextImageRange(info.image, &next, &range);)
        WriteTemplate(texts::INFO_RANGE, {PathOf(report), Address(range.first), Address(range.last),
                                          Decimal(int64_t{range.last} - range.first + 1)});
    const StructureCheck &check = info.check;
    const char type[2] = {'0', static_cast<char>('0' + check.startType)};
    if (check.startType)
        WriteTemplate(texts::INFO_START, {PathOf(report), {check.start, 8}, {type, 2}});
    WriteCounts(report, texts::INFO_RECORDS, check.counts, 8);
    WriteCounts(report, texts::INFO_LINE_ENDS, tally.lineEnds, 4);
}

void ReportStretch(void *context, int64_t line, uint64_t from, uint64_t to) {
    const Report &report = *static_cast<const Report *>(context);
    WriteTemplate(to - from == 1 ? texts::BYTE_SET : texts::BYTES_SET,
                  {PathOf(report), Decimal(line), Address(from), Address(to - 1)});
}

void ReportFailure(const Report &report, int32_t walked, const WalkTally &tally) {
    WorkspaceScope scope;
    Field reason = ReasonOf(tally.failure);
    if (walked == 0)
        WriteFailure(texts::CANNOT_BE_OPENED, {PathOf(report), reason});
    else
        WriteFailure(tally.failedWriting ? texts::NOT_WRITTEN : texts::NOT_READ,
                     {PathOf(report), Decimal(tally.linesDone), reason});
}

void ReportSummary(const Report &report, const WalkTally &tally, const char *text, int64_t extra) {
    if (tally.records == 0) WriteTemplate(texts::NO_RECORDS, {PathOf(report), Decimal(1)});
    // The three counts with their nouns, one after another in the workspace.
    WorkspaceScope scope;
    int32_t at[4];
    at[0] = WorkspacePosition();
    FormatCount(tally.records, texts::ONE_RECORD, texts::RECORDS, at[0]);
    at[1] = WorkspacePosition();
    if (report.patching)
        FormatCount(tally.malformed, texts::ONE_LINE_LEFT, texts::LINES_LEFT, at[1]);
    else
        FormatCount(tally.malformed, texts::ONE_LINE_MALFORMED, texts::LINES_MALFORMED, at[1]);
    at[2] = WorkspacePosition();
    bool strict = text == texts::SUMMARY_STRICT, values = text == texts::SUMMARY_CHECKSUMS;
    FormatCount(extra,
                strict   ? texts::ONE_STRUCTURE_FINDING
                : values ? texts::ONE_VALUE_DIFFERS
                         : nullptr,
                strict   ? texts::STRUCTURE_FINDINGS
                : values ? texts::VALUES_DIFFER
                         : "%1",
                at[2]);
    at[3] = WorkspacePosition();
    auto count = [&at](int32_t i) { return Field{WorkspaceAt(at[i]), at[i + 1] - at[i]}; };
    WriteTemplate(text, {PathOf(report), count(0), Decimal(tally.checksums), count(1), count(2)});
}

void ReportImageUnknown(const Report &report, const AddressWalk &addresses, bool setting) {
    char type[3];
    WriteFailure(addresses.unknown == IMAGE_ADDRESS_RECORD ? texts::IMAGE_ADDRESS_RECORD
                                                           : texts::IMAGE_MALFORMED,
                 {PathOf(report), Decimal(addresses.unknownLine),
                  TypeField(addresses.unknownType, type), Decimal(addresses.unknownCount),
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

void ReportNotCopied(const Report &report, uint32_t failure, bool writing) {
    WorkspaceScope scope;
    WriteFailure(writing ? texts::OUTPUT_NOT_WRITTEN : texts::NOT_COPIED,
                 {PathOf(report), ReasonOf(failure)});
}

void ReportSetSkipped(const Report &report) {
    WriteFailure(texts::SET_SKIPPED, {PathOf(report)});
}

void ReportChecksumWritten(const Report &report, int64_t line, const ChecksumJob &job,
                           uint64_t value, bool inPlace) {
    const char *text = job.printed ? texts::CHECKSUM_PRINTED
                       : inPlace   ? texts::CHECKSUM_MATCHES
                                   : texts::CHECKSUM_STORED;
    WriteImageChecksumLine(text, report, line, job, value, value);
}

void ReportChecksumChecked(const Report &report, int64_t line, const ChecksumJob &job,
                           uint64_t value, uint64_t stored) {
    WriteImageChecksumLine(value == stored ? texts::CHECKSUM_MATCHES : texts::CHECKSUM_DIFFERS,
                           report, line, job, value, stored);
}

void ReportSetChecked(const Report &report, int64_t line, const ByteSetting &setting,
                      const uint8_t *held) {
    char heldText[3 * 255], setText[3 * 255];
    bool same = std::memcmp(held, setting.bytes, static_cast<size_t>(setting.count)) == 0;
    WriteTemplate(same ? texts::SET_AS_SET : texts::SET_DIFFERS,
                  {PathOf(report), Decimal(line), Address(setting.address),
                   BytesField(held, setting.count, heldText),
                   BytesField(setting.bytes, setting.count, setText)});
}

void ReportGot(const Report &report, int64_t line, const GetJob &get, const uint8_t *held,
               bool quiet) {
    if (!OpenStandardOutput()) return;
    char text[3 * 255];
    Field value = BytesField(held, get.count, text);
    if (get.typed) { // the number in decimal, as unsigned
        uint64_t number = 0;
        for (int32_t k = 0; k < get.count; ++k)
            number |= uint64_t{held[get.bigEndian ? get.count - 1 - k : k]} << 8 * k;
        value = {text, FormatUnsigned(number, text)};
    }
    if (quiet)
        WriteTemplate(texts::CHECKSUM_VALUE, {value});
    else
        WriteTemplate(texts::GOT, {PathOf(report), Decimal(line), Address(get.address), value});
}

void ReportGetNotHeld(const Report &report, uint32_t address) {
    WriteFailure(texts::GET_NOT_HELD, {PathOf(report), Address(address)});
}

void ReportSetNotHeld(const Report &report, const ByteSetting &setting) {
    WriteFailure(texts::SET_NOT_HELD, {PathOf(report), Address(setting.address)});
}

void ReportChecksumPrinted(const Report &report, const ChecksumJob &job, uint64_t value,
                           bool quiet) {
    int32_t width = ChecksumWidth(job.algorithm);
    if (!OpenStandardOutput()) return;
    if (quiet) {
        WriteTemplate(texts::CHECKSUM_VALUE, {Address(value, 2 * width)});
        return;
    }
    WriteImageChecksumLine(texts::CHECKSUM_PRINTED, report, 0, job, value, value);
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
                                            texts::STRICT_WITH_CHECKSUM};
    static_assert(sizeof TEXTS / sizeof TEXTS[0] == FAULT_STRICT_WITH_CHECKSUM + 1);
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

bool EndReport() {
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
    if (OpenStandardOutput(kind)) {
        WriteTemplate(texts::REPORT_NOT_WRITTEN, {reason}, kind);
        FlushStandardOutput(kind);
    }
    return false;
}
