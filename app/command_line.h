// SPDX-License-Identifier: MIT
/*
 * The tool's command line: which files to patch or check, and how the run ends.
 *
 * Arguments split as runtime/arguments.h says. Switches come first. On Windows, in any letter
 * case: /check or --check (check the files and change nothing), /strict or --strict (check them
 * and their structure), /set or --set with the next argument (ADDRESS=BYTES, taken as it is; may
 * come several times), /q, -q or --quiet (report failures alone), /version, -V or --version
 * (print the version) and /? or --help (print the usage). Natively, as spelled: --check,
 * --strict, --set, -q or --quiet, -V or --version, --help or -h, and -- to end the options; any
 * other argument that starts with "-" is an unknown option. The version and the usage win over
 * everything after them. Every further argument names a file, in order; empty arguments ("")
 * name nothing and are passed over. Without a file the window opens (natively there is none),
 * unless a switch asked for something else; a check or --set of no file prints the usage and
 * fails, since nothing was done, and so does --set with a check.
 *
 * PatchNamedFiles patches every file as the file dialog's choice is patched; a file that cannot
 * be opened does not stop the others. CheckNamedFiles reads every file and writes nothing; a
 * strict check also reports what core/structure_check.h finds. SetNamedBytes sets bytes in the
 * data records (core/byte_settings.h), all or nothing: it reads every file first, and writes
 * none when a value is no ADDRESS=BYTES, when two overlap, when a file cannot be read, or when a
 * byte lies in no data record of a file or in two; otherwise it patches every file with the
 * bytes set, reporting each stretch set. All three write their report to the standard output
 * when there is one (runtime/standard_output.h), naming why a file could not be opened, or
 * after which line a read or write failed (and why --set refused), and return the process exit
 * code (EXIT_*). Quiet, they report those failures alone: no finding and no summary is even
 * formatted.
 */
#pragma once

#include "runtime/platform.h"

#include <cstdint>

constexpr int32_t EXIT_DONE = 0;
constexpr int32_t EXIT_FAILED = 1;      // a file not opened, read or written, or no file to check;
                                        // wins over EXIT_FOUND_WRONG
constexpr int32_t EXIT_FOUND_WRONG = 2; // /check: a wrong checksum or a malformed record;
                                        // /strict: those or a finding on the structure

enum CommandMode : int32_t {
    COMMAND_WINDOW,
    COMMAND_PATCH,
    COMMAND_CHECK,
    COMMAND_USAGE,
    COMMAND_VERSION,
    COMMAND_MISUSED, // the usage, and EXIT_FAILED: a check or --set of no file, --set with a
                     // check; natively also no file at all, or an unknown option
    COMMAND_STRICT,
    COMMAND_SET,
};

struct CommandLine {
    CommandMode mode;
    int32_t firstFile; // the argument index of the first file
    bool quiet;        // failures alone are reported
};

CommandLine ReadCommandLine();
int32_t PatchNamedFiles(const CommandLine &command);
int32_t CheckNamedFiles(const CommandLine &command); // COMMAND_CHECK and COMMAND_STRICT
int32_t SetNamedBytes(const CommandLine &command);
void PrintUsage(StreamKind kind = STREAM_OUTPUT);
void PrintVersion(); // "checksumme 1.0" on the standard output
