// SPDX-License-Identifier: MIT
/*
 * The work of a call from the command line (app/options.h), and its exit code.
 *
 * RunCommand does what the call asks, but for the window (COMMAND_WINDOW), and returns the exit
 * code (EXIT_*). The usage goes to the standard output when asked for, to the error stream with
 * a misuse; a fault of the command line gets its one line there instead.
 *
 * The plain walks, a function for each mode, walk each file once (app/file_walks.h);
 * PatchNamedFiles is what the window runs for the files it was started with. --set and --checksum
 * are a transaction across the files (app/set_files.h), all or nothing.
 *
 * The report (app/report.h) goes to the standard output when there is one; quiet, it holds the
 * failures alone: no finding and no summary is even formatted. A report that could not be
 * written completely makes the exit code EXIT_FAILED, after the work is done.
 */
#pragma once

#include "app/options.h"
#include "app/report.h"

#include <cstdint>

// The one rule of the exit code, over every file of the call: the highest of each file's.
constexpr int32_t EXIT_DONE = 0;        // everything asked was done or found in place, and
                                        // nothing was found
constexpr int32_t EXIT_FAILED = 1;      // what was asked could not be done: a file not opened,
                                        // read or written, a refusal, a misuse, or a report not
                                        // written
constexpr int32_t EXIT_FOUND_WRONG = 2; // a file was read and a finding stands: a wrong checksum
                                        // in a check, a line that is no well-formed record (or
                                        // that patching left as it was), a file without records,
                                        // a structure finding, a value that differs

// What a call came to over its files: the highest exit code of any file, the files written.
struct CallOutcome {
    int32_t exitCode;
    FilesWritten files;
};

int32_t RunCommand(const CommandLine &command);
int32_t PatchNamedFiles(const CommandLine &command);
// The exit code of a call that came to outcome, once its report is ended (EndReport).
int32_t FinishCall(const CallOutcome &outcome);
