// SPDX-License-Identifier: MIT
/*
 * The report of a call, in the words of app/texts.h: each file's findings, summary and failure,
 * and the command line's own faults.
 *
 * A Report is one file's, each line led by its path as given; BeginReport makes it. Its sinks
 * (ReportFinding, ReportStructure, ReportStretch) take what the walks find, one line each, made
 * by app/report_lines.h. Findings and summaries go to the standard output; failures natively to
 * the standard error, on Windows with the rest (runtime/standard_output.h). Nothing fails: where
 * there is no stream, nothing is written.
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

struct Report {
    const char *path; // borrowed
    int32_t pathLength;
    bool patching;
    FindingLine checksumLine; // CHECKSUM_CORRECTED or CHECKSUM_WRONG
    FileInfo *info;           // borrowed: --info's, for ReportStructure; else null
    bool named;               // quiet values are led by the path (the call names several files)
};

// Of the files a call was to write, those written whole; for a report that could not be written.
struct FilesWritten {
    int32_t written, toWrite;
};

void BeginReport(Report &report, const char *path, bool patching);
void ReportFinding(void *report, const Finding &finding);
void ReportStructure(void *report, const StructureFinding &finding);
void ReportStretch(void *report, int64_t line, uint64_t from, uint64_t to);
// --info: the map of a file read completely; without its ranges when its image cannot be known.
void ReportFileInfo(Report &report, const FileInfo &info, const WalkTally &tally);
// A file that could not be opened (walked 0), or whose walk a failure ended.
void ReportFailure(const Report &report, int32_t walked, const WalkTally &tally);
// The file's summary: SUMMARY_PATCHED, SUMMARY_CHECKED, SUMMARY_STRICT with the structure
// findings as extra, SUMMARY_CHECKSUMS with the checksum values and the --set values that
// differ (-1: none of them asked), SUMMARY_SET with the records set as extra.
void ReportSummary(const Report &report, const WalkTally &tally, const char *text, int64_t extra,
                   int64_t sets = -1);
// Quiet, the findings of a file in one line on the failures' stream, as counts; nothing for a
// file in which nothing was found.
void ReportQuietFindings(const Report &report, const WalkTally &tally, int64_t structure,
                         int64_t checksums, int64_t sets);
// A file whose image cannot be known (core/addresses.h), whose data cannot be trusted (a wrong
// checksum at line), or a --checksum range that no record holds a byte of: nothing (NOTHING_SET,
// NOTHING_COMPARED, NOTHING_READ, or NO_MAP for --info) done.
void ReportImageUnknown(const Report &report, const AddressWalk &addresses, const char *nothing);
void ReportWrongChecksum(const Report &report, int64_t line, const char *nothing);
void ReportRangeNotHeld(const Report &report, const ChecksumRange &range, const char *nothing);
// A file that --set refuses, nothing written.
void ReportSetRefusal(const Report &report, const WriteRefusal &refusal);
// A file of --set changed by another program: before anything was written (nothing set), or
// while its bytes were set (not every byte set).
void ReportSetChanged(const Report &report);
void ReportSetIncomplete(const Report &report);
// A file of --set that an earlier argument names already: nothing set.
void ReportSetNamedTwice(const Report &report, const char *earlier);
// With -o: the input not read whole, or the output not written (and left as it was).
void ReportNotCopied(const Report &report, uint32_t failure, bool writing);
// A file of --set not written, since one before it failed.
void ReportSetSkipped(const Report &report);
// --checksum: the value computed over the job's range, at the line of the record that holds
// its place. Written: stored there, or found there as stored already (inPlace), or printed (a
// job without a place). Checked: found there as stored, or another value stored.
void ReportChecksumWritten(const Report &report, int64_t line, const ChecksumJob &job,
                           uint64_t value, bool inPlace);
void ReportChecksumChecked(const Report &report, int64_t line, const ChecksumJob &job,
                           uint64_t value, uint64_t stored);
// A --set value checked: the bytes held where it would set them (differing or not); or the first
// byte of it in no data record.
void ReportSetChecked(const Report &report, int64_t line, const ByteSetting &setting,
                      const uint8_t *held);
void ReportSetNotHeld(const Report &report, uint32_t address);
// A --get value read: its line, or, quiet, the bytes or the number alone; a byte of it in no
// data record.
void ReportGot(const Report &report, int64_t line, const GetJob &get, const uint8_t *held,
               bool quiet);
void ReportGetNotHeld(const Report &report, uint32_t address);
// A value without a place, printed: its line, or, quiet, the value alone (also when the report
// is quiet otherwise).
void ReportChecksumPrinted(const Report &report, const ChecksumJob &job, uint64_t value,
                           bool quiet);
// Two records that hold a byte of a range with different values (setting: nothing set); a
// value's place in no record.
void ReportChecksumConflict(const Report &report, const ImageConflict &conflict,
                            const char *nothing);
void ReportChecksumNotStored(const Report &report, uint64_t address);
// A fault of the command line, on the error stream (on Windows the output), with its argument.
void ReportCommandFault(const CommandLine &command);
bool EndReport(FilesWritten files = {});
