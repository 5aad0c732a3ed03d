// SPDX-License-Identifier: MIT
#include "app/command_line.h"
#include "app/report.h"
#include "app/report_json.h"
#include "app/texts.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// A count with its noun at the workspace's end, after COUNTS_BETWEEN when it is not the first
// (*any); nothing for a count below `least`.
void AppendCount(int64_t count, int64_t least, const char *one, const char *more, bool *any) {
    if (count < least) return;
    if (*any)
        LeftPart(texts::COUNTS_BETWEEN, StringLength(texts::COUNTS_BETWEEN), WorkspacePosition());
    FormatCount(count, one, more, WorkspacePosition());
    *any = true;
}

// The values that differ, checksum values and --set values, of those asked (-1: none asked).
void AppendDiffering(int64_t checksums, int64_t sets, int64_t least, bool *any) {
    AppendCount(checksums, least, texts::ONE_VALUE_DIFFERS, texts::VALUES_DIFFER, any);
    AppendCount(sets, least, texts::ONE_SET_DIFFERS, texts::SETS_DIFFER, any);
}

Field PathOf(const Report &report) {
    return {report.path, report.pathLength};
}

// The summary of a file read whole: SUMMARY_PATCHED, SUMMARY_CHECKED, SUMMARY_STRICT with the
// structure findings, SUMMARY_CHECKSUMS with the values that differ, SUMMARY_SET with the
// records set.
void WriteSummary(const Report &report) {
    const WalkTally &tally = report.tally;
    const char *text = report.summary;
    if (tally.records == 0) WriteTemplate(texts::NO_RECORDS, {PathOf(report), Decimal(1)});
    // The counts with their nouns, one after another in the workspace.
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
    if (text == texts::SUMMARY_FOUND)
        FormatCount(report.matches, report.matches ? texts::ONE_MATCH : texts::NO_MATCH,
                    report.matches ? texts::MATCHES : texts::NO_MATCH, at[2]);
    else if (bool any = false; text == texts::SUMMARY_CHECKSUMS)
        AppendDiffering(report.checksumsDiffer, report.setsDiffer, 0, &any);
    else if (text == texts::SUMMARY_STRICT)
        FormatCount(report.structure, texts::ONE_STRUCTURE_FINDING, texts::STRUCTURE_FINDINGS,
                    at[2]);
    else
        FormatCount(report.recordsSet, nullptr, "%1", at[2]);
    at[3] = WorkspacePosition();
    auto count = [&at](int32_t i) { return Field{WorkspaceAt(at[i]), at[i + 1] - at[i]}; };
    WriteTemplate(text, {PathOf(report), count(0), Decimal(tally.checksums), count(1), count(2)});
}

// Quiet, what was found in a file in one line on the failures' stream; nothing for a file in
// which nothing was found.
void WriteQuietFindings(const Report &report) {
    const WalkTally &tally = report.tally;
    WorkspaceScope scope;
    int32_t start = WorkspacePosition();
    bool any = false;
    if (tally.records == 0)
        AppendCount(1, 1, texts::NO_RECORDS_FOUND, texts::NO_RECORDS_FOUND, &any);
    if (!report.patching)
        AppendCount(tally.checksums, 1, texts::ONE_CHECKSUM_WRONG, texts::CHECKSUMS_WRONG, &any);
    AppendCount(tally.malformed, 1,
                report.patching ? texts::ONE_LINE_LEFT : texts::ONE_LINE_MALFORMED,
                report.patching ? texts::LINES_LEFT : texts::LINES_MALFORMED, &any);
    AppendCount(report.structure, 1, texts::ONE_STRUCTURE_FINDING, texts::STRUCTURE_FINDINGS, &any);
    AppendDiffering(report.checksumsDiffer, report.setsDiffer, 1, &any);
    if (report.matches == 0) AppendCount(1, 1, texts::NO_MATCH, texts::NO_MATCH, &any);
    if (!any) return;
    WriteFailure(texts::QUIET_FINDINGS,
                 {PathOf(report), {WorkspaceAt(start), WorkspacePosition() - start}});
}

// Something stands in a file read whole that was asked to be looked at: a wrong checksum (but
// in a patch, which corrects it), a line that is no well-formed record, no record at all, a
// structure finding, a value that differs.
bool FoundIn(const Report &report) {
    if (!report.read || !report.summary) return false;
    const WalkTally &tally = report.tally;
    return (!report.patching && tally.checksums > 0) || tally.malformed > 0 || tally.records == 0 ||
           report.structure > 0 || report.checksumsDiffer > 0 || report.setsDiffer > 0 ||
           report.matches == 0;
}

const char *ModeOf(CommandMode mode) {
    switch (mode) {
    case COMMAND_CHECK: return texts::JSON_MODE_CHECK;
    case COMMAND_STRICT: return texts::JSON_MODE_STRICT;
    case COMMAND_SET: return texts::JSON_MODE_SET;
    case COMMAND_PRINT: return texts::JSON_MODE_PRINT;
    case COMMAND_INFO: return texts::JSON_MODE_INFO;
    case COMMAND_FIND: return texts::JSON_MODE_FIND;
    default: return texts::JSON_MODE_PATCH;
    }
}

} // namespace

void BeginFileReport(Report &report, const CommandLine &command, const char *path, bool patching) {
    OpenStandardOutput();
    BeginReport(report, path, patching);
    report.form = command.json ? FORM_JSON : command.quiet ? FORM_QUIET : FORM_TEXT;
    report.mode = ModeOf(command.mode);
    report.named = command.fileCount > 1;
    report.checksumsDiffer = report.setsDiffer = report.recordsSet = report.recordsAdded = -1;
    report.matches = command.mode == COMMAND_FIND ? 0 : -1;
    report.merges = command.merges;
    report.mergeCount = command.mergeCount;
}

void ReportFileFailure(Report &report, const char *text, Fields fields) {
    WriteFailure(text, fields);
    bool first = !report.failed;
    report.failed = true;
    if (!first || report.form != FORM_JSON) return;
    // The words after "FILE: ", for the JSON object (every failure names its file first).
    WorkspaceScope scope;
    Field words = FormatWords(text, fields, *fields.begin());
    int32_t kept = words.length < static_cast<int32_t>(sizeof report.failure)
                       ? words.length
                       : static_cast<int32_t>(sizeof report.failure);
    std::memcpy(report.failure, words.text, static_cast<size_t>(kept));
    report.failureLength = kept;
}

int32_t EndFileReport(Report &report) {
    int32_t exitCode = report.failed ? EXIT_FAILED : FoundIn(report) ? EXIT_FOUND_WRONG : EXIT_DONE;
    if (!report.failed && report.read && report.summary) {
        if (report.form == FORM_TEXT) WriteSummary(report);
        if (report.form == FORM_QUIET) WriteQuietFindings(report);
    }
    if (report.form == FORM_JSON) JsonEnd(report, exitCode);
    return exitCode;
}
