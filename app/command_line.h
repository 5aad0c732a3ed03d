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

#include <cstdint>

constexpr int32_t EXIT_DONE = 0;
constexpr int32_t EXIT_FAILED = 1;      // a file not opened, read or written, a misuse, or a
                                        // report not written; wins over EXIT_FOUND_WRONG
constexpr int32_t EXIT_FOUND_WRONG = 2; // a check: a wrong checksum, a malformed record or a
                                        // file without records; strict: a structure finding;
                                        // a --checksum value stored that differs

int32_t RunCommand(const CommandLine &command);
int32_t PatchNamedFiles(const CommandLine &command);
