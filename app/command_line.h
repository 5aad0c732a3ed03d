// SPDX-License-Identifier: MIT
/*
 * The work of a call from the command line (app/options.h), and its exit code.
 *
 * RunCommand does what the call asks, but for the window (COMMAND_WINDOW), and returns the exit
 * code (EXIT_*). The usage goes to the standard output when asked for, to the error stream with
 * a misuse; a fault of the command line gets its one line there instead.
 *
 * Patching (COMMAND_PATCH, also PatchNamedFiles, which the window calls for the files it was
 * started with) patches every named file as the file dialog's choice is patched; a file that
 * cannot be opened does not stop the others. A check reads every file and writes nothing; a
 * strict check also reports what core/structure_check.h finds. In every mode a file that holds
 * not one record is a finding ("no records"), which fails a check.
 *
 * --set and --checksum read each file's image (core/hex_image.h) and are all or nothing across
 * the files. Before anything is read, every file is opened for writing, and each stays open to
 * the end of the call (on Windows kept from other writers all that time); then each is read, and
 * the --checksum values are computed in their order (after the --set values). Nothing is written
 * to any file when one cannot be opened or read, when its image is unknown, when a byte set or a
 * value's place lies in no data record of a file or in two, when a byte read is held with
 * different values, or when a file's size or time of change is no longer what it was when it was
 * opened; a value stored already is not written again. --check --checksum reads the image the
 * same way and writes nothing. Then each file is
 * patched with the bytes set; a record that is not as the first walk found it is not written,
 * and such a file is reported as a failure, as is one whose write or close fails.
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
                                        // file without records; strict: a structure finding

int32_t RunCommand(const CommandLine &command);
int32_t PatchNamedFiles(const CommandLine &command);
