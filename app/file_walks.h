// SPDX-License-Identifier: MIT
/*
 * The calls that walk each named file once, in order, each mode a function of one file: patching
 * (PatchFile, also what the window runs for the files it was started with), checking
 * (CheckFile), checking the structure (StrictFile), checking the --checksum values stored
 * (CheckValuesFile, core/hex_image.h), printing those without a place (PrintValuesFile, also
 * with -q: then the value alone), and the file's map (InfoFile: its image, then the walk of the
 * structure check). A file that cannot be opened does not stop the others.
 *
 * WalkEachFile runs one of them over every named file, each with its report begun and ended
 * (app/report.h), and returns what the call came to (app/command_line.h): the highest exit code
 * of any file, and the files written.
 */
#pragma once

#include "app/command_line.h"
#include "app/options.h"
#include "app/report.h"
#include "runtime/platform.h"

#include <cstdint>

// A mode's work on one file, noted in its report (app/report.h), which the caller begins and ends.
using FileWalk = void (*)(const CommandLine &command, const char *path, Report &report);

void PatchFile(const CommandLine &command, const char *path, Report &report);
// The same for -o's copy, open (it stays open).
void PatchCopy(PlatformFile copy, Report &report);
void CheckFile(const CommandLine &command, const char *path, Report &report);
void StrictFile(const CommandLine &command, const char *path, Report &report);
void CheckValuesFile(const CommandLine &command, const char *path, Report &report);
// The --checksum values without a place and the --get values, each printed; the file's findings
// are not reported.
void PrintValuesFile(const CommandLine &command, const char *path, Report &report);
// The map of the file (--info), also when quiet; nothing written to it.
void InfoFile(const CommandLine &command, const char *path, Report &report);
CallOutcome WalkEachFile(const CommandLine &command, FileWalk walk);
// A file's walk noted in its report (its tally, whether it was read, the summary it gets), a
// walk that failed reported.
void NoteWalk(Report &report, int32_t walked, const WalkTally &tally, const char *summary);
