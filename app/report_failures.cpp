// SPDX-License-Identifier: MIT
// The report's failures and refusals, the values it prints, the command line's faults and the
// report's end (app/report.h).
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

using namespace report_fields;

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

void ReportChecksumWritten(Report &report, int64_t line, const ChecksumJob &job,
                           const ChecksumValue &value, bool inPlace) {
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

void ReportChecksumChecked(Report &report, int64_t line, const ChecksumJob &job,
                           const ChecksumValue &value, const ChecksumValue &stored) {
    if (report.form == FORM_JSON) {
        JsonChecksum(report, job, value,
                     SameValue(value, stored) ? texts::JSON_STATE_IN_PLACE
                                              : texts::JSON_STATE_DIFFERS,
                     line, stored);
        return;
    }
    bool same = SameValue(value, stored);
    WriteImageChecksumLine(job.expected
                               ? same ? texts::CHECKSUM_AS_EXPECTED : texts::CHECKSUM_NOT_EXPECTED
                           : same ? texts::CHECKSUM_MATCHES
                                  : texts::CHECKSUM_DIFFERS,
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

void ReportChecksumPrinted(Report &report, const ChecksumJob &job, const ChecksumValue &value) {
    if (!OpenStandardOutput()) return;
    if (report.form == FORM_JSON) {
        JsonChecksum(report, job, value, texts::JSON_STATE_PRINTED, 0, value);
        return;
    }
    if (report.form == FORM_QUIET) {
        WriteQuietValue(report, ValueDigits(value, job.algorithm));
        return;
    }
    WriteImageChecksumLine(texts::CHECKSUM_PRINTED, report, 0, job, value, value);
}

void ReportFound(Report &report, Field options) {
    if (!OpenStandardOutput()) return;
    if (report.form == FORM_JSON) {
        WorkspaceScope scope;
        JsonItem(report, JSON_IN_VALUES, texts::JSON_FOUND,
                 {JsonString(options.text, options.length)});
    } else {
        WriteQuietValue(report, options);
    }
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
                                            texts::BINARY_NO_OUTPUT,
                                            texts::NO_FIND_VALUE,
                                            texts::FIND_INVALID,
                                            texts::FIND_WITH,
                                            texts::CHECKSUM_EXPECTED_WITH};
    static_assert(sizeof TEXTS / sizeof TEXTS[0] == FAULT_CHECKSUM_EXPECTED + 1);
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
