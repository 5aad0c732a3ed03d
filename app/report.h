// SPDX-License-Identifier: MIT
/*
 * The report of a call, in the words of app/texts.h: each file's findings, summary and failure,
 * and the command line's own faults.
 *
 * A Report is one file's, and its outcome record: BeginFileReport makes it for a call, each line
 * led by the file's path as given. Its sinks (ReportFinding, ReportStructure, ReportStretch) take
 * what the walks find, and the Report* functions what the call made of the file; each writes its
 * line (app/report_lines.h) in the report's form and notes what it tells in the record. The
 * caller notes the rest (the walk's tally, a summary to give). EndFileReport then makes of the
 * record, each by one rule, the file's summary (text), its one line of findings (quiet), the end
 * of its JSON object (--json, app/report_json.h) and its exit code.
 *
 * Findings, summaries and values go to the standard output; failures natively to the standard
 * error, on Windows with the rest, and with -q or --json to the standard error in both programs
 * (runtime/standard_output.h). Nothing fails: where there is no stream, nothing is written.
 *
 * EndReport writes out what is left. It returns true when every byte of the report went out;
 * else false, after a line on the error stream, where that still works, that says why the
 * report could not be written and whether the files were written all the same; a reader that went
 * away (a closed pipe, as behind "| head") needs no such line.
 */
#pragma once

#include "app/options.h"
#include "app/report_lines.h"
#include "core/byte_settings.h"
#include "core/hex_image.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/platform.h"

#include <cstdint>

// The records of one type none of 00 to 05: how many, and the line of the first.
struct OtherType {
    int64_t count, first;
};

// What --info knows of a file: its image (one range over all addresses below 4 GiB), and the
// check of its structure, which the second walk makes, with the records of each type none of 00
// to 05, which ReportStructure counts (by the type's number) rather than report one by one.
struct FileInfo {
    HexImage image;
    StructureCheck check;
    OtherType otherTypes[256];
};

// How a file's report is made: lines of text; quiet (the values alone, what was found in one
// line on the error stream); or one JSON object.
enum ReportForm : int32_t { FORM_TEXT, FORM_QUIET, FORM_JSON };

struct Report {
    const char *path; // borrowed
    int32_t pathLength;
    const char *input; // borrowed: with -o the input, named where the input is at fault; or null
    bool patching;
    FindingLine checksumLine; // CHECKSUM_CORRECTED or CHECKSUM_WRONG
    FileInfo *info;           // borrowed: --info's, for ReportStructure; else null
    bool named;               // quiet values are led by the path (the call names several files)
    ReportForm form;
    const char *mode; // --json's name of the call's mode (JSON_MODE_...)
    // The outcome, as it becomes known.
    const char *summary; // the summary a read file gets (SUMMARY_...), or null: none
    WalkTally tally;     // of the walk that read (or wrote) the file
    bool read;           // the file was read whole
    bool failed;         // what was asked could not be done (reported)
    bool written;        // the file (with -o, FILE) was written whole
    int64_t structure;   // structure findings
    int64_t checksumsDiffer, setsDiffer; // --checksum and --set values that differ; -1: none asked
    int64_t recordsSet;                  // records whose bytes were set
    int64_t recordsAdded;                // lines added (--pad, --merge); -1: none asked
    int64_t matches;                     // of --find-checksum; -1: none asked
    const MergeJob *merges;              // borrowed: the call's --merge values, for --json
    int32_t mergeCount;
    // --json: the part of the object written last (app/report_json.h), whether an item of a
    // list is written yet, and the words of the first failure.
    int32_t jsonPart;
    bool jsonItems;
    int32_t failureLength;
    char failure[240];
};

// Of the files a call was to write, those written whole; for a report that could not be written.
struct FilesWritten {
    int32_t written, toWrite;
};

void BeginReport(Report &report, const char *path, bool patching);
// The report of a file of the call, in the form the call asks for.
void BeginFileReport(Report &report, const CommandLine &command, const char *path, bool patching);
// Whether the walks' findings are wanted (not when quiet).
inline bool Reporting(Report &report) {
    return report.form != FORM_QUIET;
}
// The file's summary, or quiet its line of findings, or the end of its JSON object; and its exit
// code (app/command_line.h): 1 failed, else 2 when a finding stands, else 0.
int32_t EndFileReport(Report &report);
void ReportFinding(void *report, const Finding &finding);
void ReportStructure(void *report, const StructureFinding &finding);
void ReportStretch(void *report, int64_t line, uint64_t from, uint64_t to);
// --info: the map of a file read completely; without its ranges when its image cannot be known.
void ReportFileInfo(Report &report, const FileInfo &info, const WalkTally &tally);
// A file that could not be opened (walked 0), or whose walk a failure ended.
void ReportFailure(Report &report, int32_t walked, const WalkTally &tally, bool input = false);
// A failure's line, on the failures' stream and in the record: the file failed.
void ReportFileFailure(Report &report, const char *text, Fields fields);
// A file whose image cannot be known (core/addresses.h), whose data cannot be trusted (a wrong
// checksum at line), or a --checksum range that no record holds a byte of: nothing (NOTHING_SET,
// NOTHING_COMPARED, NOTHING_READ, or NO_MAP for --info) done.
void ReportImageUnknown(Report &report, const AddressWalk &addresses, const char *nothing);
void ReportWrongChecksum(Report &report, int64_t line, const char *nothing);
void ReportRangeNotHeld(Report &report, const ChecksumRange &range, const char *nothing);
// A file that --set refuses, nothing written.
void ReportSetRefusal(Report &report, const WriteRefusal &refusal);
// A file of --set changed by another program: before anything was written (nothing set), or
// while its bytes were set (not every byte set).
void ReportSetChanged(Report &report);
void ReportSetIncomplete(Report &report);
// A file of --set that an earlier argument names already: nothing set.
void ReportSetNamedTwice(Report &report, const char *earlier);
// With -o: the input not read whole, or the output not written (and left as it was).
void ReportNotCopied(Report &report, uint32_t failure, bool writing);
// --merge: the merged file could not be read (why: the platform's failure, or words), or it
// holds other bytes than the file at address (the lines of both records; 0 for a binary file).
void ReportMergeNotRead(Report &report, const char *merged, uint32_t failure, const char *why);
void ReportMergeDiffers(Report &report, const char *merged, uint32_t address, int64_t line,
                        int64_t mergedLine);
// --binary without a range over an image with holes larger than 16 MiB: its ranges.
void ReportBinaryHoles(Report &report, const HexImage &image);
// The lines added to the file (--pad, --merge), and each file merged (with whether its start
// address differs from the file's, which is not taken).
void ReportRecordsAdded(Report &report, int64_t added);
void ReportMerged(Report &report, const char *merged, bool startDiffers);
// A file of --set not written, since one before it failed.
void ReportSetSkipped(Report &report);
// --checksum: the value computed over the job's range, at the line of the record that holds
// its place. Written: stored there, or found there as stored already (inPlace), or printed (a
// job without a place). Checked: found there as stored, or another value stored; or, for a job
// with =VALUE, as given or not (stored the value given, line 0).
void ReportChecksumWritten(Report &report, int64_t line, const ChecksumJob &job,
                           const ChecksumValue &value, bool inPlace);
void ReportChecksumChecked(Report &report, int64_t line, const ChecksumJob &job,
                           const ChecksumValue &value, const ChecksumValue &stored);
// A --set value checked: the bytes held where it would set them (differing or not); or the first
// byte of it in no data record.
void ReportSetChecked(Report &report, int64_t line, const ByteSetting &setting,
                      const uint8_t *held);
void ReportSetNotHeld(Report &report, uint32_t address);
// A --get value read: its line, or, quiet, the bytes or the number alone; a byte of it in no
// data record.
void ReportGot(Report &report, int64_t line, const GetJob &get, const uint8_t *held);
void ReportGetNotHeld(Report &report, uint32_t address);
// A value without a place, printed: its line, or, quiet, the value alone (also when the report
// is quiet otherwise).
void ReportChecksumPrinted(Report &report, const ChecksumJob &job, const ChecksumValue &value);
// A match of --find-checksum: the options that give it.
void ReportFound(Report &report, Field options);
// Two records that hold a byte of a range with different values (setting: nothing set); a
// value's place in no record.
void ReportChecksumConflict(Report &report, const ImageConflict &conflict, const char *nothing);
void ReportChecksumNotStored(Report &report, uint64_t address);
// A fault of the command line, on the error stream (on Windows the output), with its argument.
void ReportCommandFault(const CommandLine &command);
bool EndReport(FilesWritten files = {});
