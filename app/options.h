// SPDX-License-Identifier: MIT
/*
 * The command line, understood whole before any file is read or written.
 *
 * ReadCommandLine reads every argument (runtime/arguments.h) into one description of the call.
 * Options and file names come in any order; "--" ends the options, and every argument after it
 * names a file. The options, natively as spelled: --check (check the files and change nothing),
 * --strict (check them and their structure), --set with the next argument or as --set=VALUE
 * (ADDRESS=BYTES; may come several times), -q or --quiet (report failures alone), -V or
 * --version, -h or --help. On Windows also, in any letter case: /check, /strict, /set, /q,
 * /version, /? and -v; there an argument that starts with "/" and holds no further "/", "\",
 * "." or ":" is a switch, so that "/chek" is refused rather than taken for a file. Any other
 * argument that starts with "-" is an unknown option; "-" alone (the standard input) is refused.
 *
 * The first of these that comes decides, and nothing after it is looked at: the usage or the
 * version, or a fault (an unknown option, a --set without its value, "-", a value that is no
 * ADDRESS=BYTES or whose bytes run past 0xFFFFFFFF), which names its argument. Then --set
 * values that overlap are a fault too, and --set with a check is a misuse, as is a check or
 * --set of no file, and natively a call without a file; without one the window opens on
 * Windows. Every other argument names a file, in order, even an empty one (which then cannot
 * be opened); on Windows a call of nothing but empty arguments opens the window, as one without
 * arguments does.
 *
 * ReleaseCommandLine frees what the description holds (main heap; a shortage ends the process).
 */
#pragma once

#include "core/byte_settings.h"
#include "runtime/strings.h"

#include <cstdint>

// Natively the platform's conventions: options as spelled, failures on the standard error.
#ifdef _WIN32
constexpr bool NATIVE = false;
#else
constexpr bool NATIVE = true;
#endif

enum CommandMode : int32_t {
    COMMAND_WINDOW,
    COMMAND_PATCH,
    COMMAND_CHECK,
    COMMAND_STRICT,
    COMMAND_SET,
    COMMAND_USAGE,
    COMMAND_VERSION,
    COMMAND_MISUSED, // the usage on the error stream, or the fault's line, and EXIT_FAILED
};

enum CommandFault : int32_t {
    FAULT_NONE,           // misused: the usage tells
    FAULT_UNKNOWN_OPTION, // the argument
    FAULT_NO_VALUE,       // the --set at the end
    FAULT_STANDARD_INPUT, // "-"
    FAULT_SET_VALUE,      // the value
    FAULT_SET_PAST_END,   // the value
    FAULT_SET_OVERLAP,    // the two values
};

struct CommandLine {
    CommandMode mode;
    bool quiet;
    int32_t *files; // owned, main heap: the argument index of every file, in order
    int32_t fileCount;
    ByteSettingList settings; // owned: the --set values, in address order
    CommandFault fault;
    int32_t faultArgument, otherArgument; // their indices
};

CommandLine ReadCommandLine();
// The argument with the given index, kept; "" past the last one.
void TakeArgument(int32_t index, OwnedString &argument);
// The value of an argument that names a --set value: VALUE of --set=VALUE, else all of it.
const char *SettingText(const char *argument);
void ReleaseCommandLine(CommandLine &command);
