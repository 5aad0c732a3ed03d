// SPDX-License-Identifier: MIT
/*
 * The file both end-to-end tables of the command line patch and check, and what the tool
 * reports of it, in the platform's form ("FILE(LINE): " and CR LF on Windows, "FILE:LINE: " and
 * LF natively); and the rows of --set and --strict that both tables run.
 */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mixed {

// A wrong checksum (line 1), a right one, a line that starts like a record but is none (line
// 3), a comment and the end record, with the given line ends and perhaps a byte-order mark;
// patched, only line 1 changes (its checksum becomes 40).
std::string File(const std::string &end, bool mark, const char *firstChecksum = "00");
std::string Report(const std::string &path, bool checking); // its findings and summary

// One run on one file, named last: the file before and after, the exit code, and the report
// (%F for the path) on the standard output and, natively, on the standard error (on Windows
// both go to the standard output). Where the options name %O, an output file beside the file
// (missing before the run, or holding "old" where the file is named first), it holds output
// after it ("": as it was), and no ".checksumme-1.tmp" file is left beside either.
struct EditRow {
    const char *name;
    std::vector<std::string> options;
    std::string before, after;
    int exitCode;
    std::string out, err;
    std::string output = "";
};
std::vector<EditRow> EditRows();
// %F made the path and %O the output's.
std::string WithPath(std::string report, const std::string &path, const std::string &output = "");

// Data records in the one order that made the strict check's address ranges a chain when they
// were balanced by chance (a treap whose priorities were each range's number, scrambled): data
// record k alone at the address Scrambled(k), behind its own extended address record; then the
// end-of-file record. All right, in order of lines: 2 x records + 1 of them.
std::string ScrambledLayout(uint32_t records);

} // namespace mixed
