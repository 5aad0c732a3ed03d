// SPDX-License-Identifier: MIT
/*
 * The calls that walk each named file once, in order, each mode a function of one file: patching
 * (PatchFile, also what the window runs for the files it was started with), checking
 * (CheckFile), checking the structure (StrictFile), checking the --checksum values stored
 * (CheckValuesFile, core/hex_image.h), printing those without a place (PrintValuesFile, also
 * with -q: then the value alone), and the file's map (InfoFile: its image, then the walk of the
 * structure check). A file that cannot be opened does not stop the others.
 *
 * WalkEachFile runs one of them over every named file and returns what the call came to
 * (app/command_line.h): failed when a file could not be opened, read or written or an image was
 * refused, found when a walk found something that stands (a wrong checksum but when patching, a
 * line left as it was or not a record, no record at all, a structure finding, a value that
 * differs), and the files written. Quiet, a file in which something was found gets one line of
 * it on the failures' stream (app/report.h).
 */
#pragma once

#include "app/command_line.h"
#include "app/options.h"
#include "app/report.h"

#include <cstdint>

// What walking one file came to: it failed, something was found in it, it was written whole.
struct FileOutcome {
    bool failed, found, written;
};

using FileWalk = FileOutcome (*)(const CommandLine &command, const char *path, bool reporting);

FileOutcome PatchFile(const CommandLine &command, const char *path, bool reporting);
// The same, the report naming the file shown (with -o, the file at path is the output's copy).
FileOutcome PatchFileAs(const CommandLine &command, const char *path, const char *shown,
                        bool reporting);
FileOutcome CheckFile(const CommandLine &command, const char *path, bool reporting);
FileOutcome StrictFile(const CommandLine &command, const char *path, bool reporting);
FileOutcome CheckValuesFile(const CommandLine &command, const char *path, bool reporting);
// The --checksum values without a place and the --get values, each printed; the file's records
// are not looked at.
FileOutcome PrintValuesFile(const CommandLine &command, const char *path, bool reporting);
// The map of the file (--info), also when quiet; nothing written to it. A file whose image
// cannot be known (core/addresses.h) fails: its map has no ranges.
FileOutcome InfoFile(const CommandLine &command, const char *path, bool reporting);
CallOutcome WalkEachFile(const CommandLine &command, FileWalk walk);
