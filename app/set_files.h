// SPDX-License-Identifier: MIT
/*
 * The calls that write by address (--set, --checksum) as one transaction across the named files:
 * nothing is written to any file unless every file could be opened and read, its image lets
 * every byte be written (app/image_values.h), and no file changed since it was opened; then
 * each file is written, and after a failure none after it. A value in place already is not
 * written again. The steps: OpenSetFiles opens every file for writing and notes its stamp;
 * ReadSetFiles reads each file's image (core/hex_image.h), verifies that its image lets every
 * byte be written, and finds the values to write; SetFilesUnchanged makes sure no file changed
 * since; WriteSetFiles writes each file and reports it. Each step notes its own failures in the
 * file's report (app/report.h) and says whether the call goes on; a file that the call did not
 * write fails with it. A file owns its channel from OpenSetFiles on; CloseSetFile closes it,
 * once, and a failed close after a write fails that write. SetNamedBytes runs the steps, ends
 * each file's report and returns what the call came to; SetCopiedBytes does the same for the
 * copy of -o, in the caller's report.
 *
 * Memory comes from the main heap (a shortage ends the process); ReleaseSetFiles frees the files.
 */
#pragma once

#include "app/command_line.h"
#include "app/image_values.h"
#include "app/options.h"
#include "core/byte_settings.h"
#include "core/hex_image.h"
#include "core/patcher.h"
#include "runtime/platform.h"
#include "runtime/strings.h"

#include <cstdint>

// One file of the call, from its open to its close.
struct SetFile {
    Report ownReport;      // the file's report, unless the caller keeps it (-o)
    Report *report;        // borrowed: ownReport, or the caller's; ended once done with
    bool ended;            // its report is ended
    StringVar path;        // owned: the file's name as given
    PlatformFile given;    // borrowed: with -o, the open copy it edits in place of path; 0: none
    int32_t channel;       // owned, auto-numbered; 0 when not open; closed by CloseSetFile
    FileStamp stamp;       // as opened
    HexImage image;        // owned: the records the first walk found that hold written bytes
    WalkTally first;       // of the first walk
    ByteSettingList own;   // owned: the --set values and this file's checksum values that are not
                           // in place yet, in address order
    ChecksumValue *values; // owned, main heap: each --checksum value's
    int64_t *lines;        // owned, main heap: the line of the record that holds each value's place
    bool *inPlace;         // owned, main heap: each value is stored already
    int64_t *setLines;     // owned, main heap: the line of the record that holds each --set value
    bool *setInPlace;      // owned, main heap: each --set value is in place already
};

// A file's path ("" for an empty one), and its name in the report.
inline const char *PathOf(const SetFile &file) {
    return file.path.block ? file.path.block : "";
}
inline const char *NameOf(const SetFile &file) {
    return file.report->path;
}

// The files named, each with its name, none open yet.
SetFile *MakeSetFiles(const CommandLine &command);
bool OpenSetFiles(const CommandLine &command, SetFile *files);
bool ReadSetFiles(const CommandLine &command, SetFile *files);
bool SetFilesUnchanged(const CommandLine &command, SetFile *files);
// Writes the files and, unless the caller keeps the reports (-o), ends each file's report.
CallOutcome WriteSetFiles(const CommandLine &command, SetFile *files);
// Closes the file's channel if it is open: true unless the close failed (after a write, tally
// then tells the failure).
bool CloseSetFile(SetFile &file, WalkTally *tally);
void ReleaseSetFiles(const CommandLine &command, SetFile *files);
CallOutcome SetNamedBytes(const CommandLine &command);
// The same for the one file of a call with -o: the open copy, noted in the caller's report (which
// names FILE, and the input where the input is at fault), which it does not end. The copy stays
// open.
void SetCopiedBytes(const CommandLine &command, PlatformFile copy, Report &report);
