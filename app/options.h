// SPDX-License-Identifier: MIT
/*
 * The command line, understood whole before any file is read or written.
 *
 * ReadCommandLine reads every argument (runtime/arguments.h) into one description of the call.
 * Options and file names come in any order; "--" ends the options, and every argument after it
 * names a file. The options, natively as spelled: --check (check the files and change nothing),
 * --strict (check them and their structure), --set with the next argument, whatever it holds, or
 * as --set=VALUE (ADDRESS=BYTES; may come several times), --checksum so
 * (ALGORITHM:START-END@ADDRESS with :be after it for big-endian, or ALGORITHM:START-END=VALUE,
 * ALGORITHM as app/values.h reads it, more ranges as +START-END before @; may come several times),
 * --fill so (BYTE: two hexadecimal digits, or 0x and one or two), --get so (ADDRESS:COUNT or
 * ADDRESS:TYPE), -o or --output so (FILE), --info (a map of each file), -q or --quiet (report
 * failures alone), -V or --version, -h or --help. Names inside values (algorithms and their
 * parts, types, str:, :be) are taken in any letter case, as hexadecimal digits are.
 * A number (an address, a typed NUMBER of --set, a COUNT of --get) is decimal or 0x hexadecimal;
 * one that starts with 0 and more digits (08001000) is ambiguous and refused. On Windows also, in
 * any letter case: /check, /strict, /set, /checksum, /fill, /info, /q, /version, /? and -v, and
 * /set=VALUE, /checksum=VALUE and /fill=VALUE whatever VALUE holds; any other argument that
 * starts with "/" is a switch when it holds no further "/", "\", "." or ":" (so that "/chek" is
 * refused), else a file. Any other argument that starts with "-" is an unknown option; "-" alone
 * (the standard input) is refused.
 *
 * The first of these that comes decides, and nothing after it is looked at: the usage or the
 * version, or a fault (an unknown option, a --set, --checksum, --fill, --get or -o without its
 * value, "-", a value that is no ADDRESS=BYTES, whose address or typed number is ambiguous, whose
 * typed number does not fit (however many digits it has) or whose bytes, or address, run past
 * 0xFFFFFFFF, a --checksum value's first fault from the left (its form, its algorithm, a CRC
 * parameter wider than the checksum, /neg on a CRC, an address that is ambiguous or past
 * 0xFFFFFFFF, what follows ADDRESS, a VALUE that is no number or wider than the algorithm's), then
 * a START after its END, a range not of whole words, the value's bytes past 0xFFFFFFFF or in a
 * range, no BYTE, a --get value that is no ADDRESS:COUNT or ADDRESS:TYPE, whose address or COUNT
 * is ambiguous or whose bytes run past 0xFFFFFFFF), which names its argument. Values whose bytes
 * overlap (--set values, a --set value and a --checksum value's place, two places) are a fault
 * too, as are --checksum values whose ranges hold each other's places (also through others: no
 * order could store them all; the values of one such cycle are named), --fill without
 * --checksum, and --info with --check, --strict, --set, --checksum, --get or -o. --find-checksum
 * (START-END[+START-END...]=VALUE or ...@ADDRESS; may come several times) takes no option but -q
 * and --json (FAULT_FIND_WITH, after --info's fault, before all that follows) and makes
 * COMMAND_FIND, a misuse without a file. A --checksum value whose place lies in another's range is
 * put before it. --strict with --set or --checksum is a fault that names both options (the first of
 * those from the left) in a call with a file; in one without a file it is a misuse (the usage), as
 * are a check, --set, --checksum, --get or --info of no file, and natively a call without a file;
 * --checksum with --check checks the values stored, else it sets them (COMMAND_SET); without one
 * the window opens on Windows. A --checksum value with =VALUE in place of @ADDRESS (the value
 * computed compared with VALUE) needs --check (FAULT_CHECKSUM_EXPECTED, after --strict's fault).
 * Every other argument names a file, in order, even an empty one (which then cannot be opened); on
 * Windows a call of nothing but empty arguments opens the window, as one without arguments does.
 *
 * ReleaseCommandLine frees what the description holds (main heap; a shortage ends the process).
 */
#pragma once

#include "core/byte_settings.h"
#include "core/image_checksum.h"
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
    COMMAND_PRINT,   // --checksum values without a place: computed and printed, nothing written
    COMMAND_INFO,    // the map of each file, nothing written
    COMMAND_FIND,    // the algorithms that give the --find-checksum values, nothing written
};

enum CommandFault : int32_t {
    FAULT_NONE,                 // misused (no file): the usage tells
    FAULT_UNKNOWN_OPTION,       // the argument
    FAULT_NO_VALUE,             // the --set at the end
    FAULT_STANDARD_INPUT,       // "-"
    FAULT_SET_VALUE,            // the value
    FAULT_SET_PAST_END,         // the value
    FAULT_SET_OVERLAP,          // the two values
    FAULT_NO_CHECKSUM,          // the --checksum at the end
    FAULT_NO_FILL,              // the --fill at the end
    FAULT_CHECKSUM_VALUE,       // the value: not of the form
    FAULT_FILL_VALUE,           // the value
    FAULT_SET_AMBIGUOUS,        // the value, and its address as the stretch
    FAULT_CHECKSUM_ALGORITHM,   // the value
    FAULT_CHECKSUM_REVERSED,    // the value
    FAULT_CHECKSUM_IN_RANGE,    // the value
    FAULT_CHECKSUM_SUFFIX,      // the value
    FAULT_CHECKSUM_PAST_END,    // the value
    FAULT_CHECKSUM_AMBIGUOUS,   // the value, and the address as the stretch
    FAULT_FILL_ALONE,           // the value of the last --fill
    FAULT_SET_CHECKSUM_OVERLAP, // the --set value and the --checksum value
    FAULT_CHECKSUM_OVERLAP,     // the two --checksum values whose places overlap
    FAULT_CHECKSUM_CYCLE,       // the first two values of the cycle (all of it in cycle)
    FAULT_SET_NO_FIT,           // the value: its typed number does not fit its type
    FAULT_NO_GET,               // the --get at the end
    FAULT_GET_VALUE,            // the value
    FAULT_GET_WITH_WRITE,       // the --get: not with a call that writes
    FAULT_NO_OUTPUT,            // the -o at the end
    FAULT_OUTPUT_TWICE,         // the two -o values
    FAULT_OUTPUT_NOT_WRITING,   // the -o value: with a call that writes nothing
    FAULT_OUTPUT_FILES,         // the -o value: with no input file or several
    FAULT_OUTPUT_IS_INPUT,      // the -o value: the input file itself (found when it is run)
    FAULT_CHECKSUM_TOO_WIDE,    // the value, and the CRC parameter or VALUE too wide as the stretch
    FAULT_CHECKSUM_NEGATED,     // the value: /neg on a CRC
    FAULT_CHECKSUM_WORDS,       // the value: a range not of whole words
    FAULT_INFO_WITH,            // an --info: with an option other than -q
    FAULT_SET_NUMBER_AMBIGUOUS, // the value, and its typed number as the stretch
    FAULT_GET_PAST_END,         // the value
    FAULT_GET_AMBIGUOUS,        // the value, and its address as the stretch
    FAULT_GET_COUNT_AMBIGUOUS,  // the value, and its COUNT as the stretch
    FAULT_STRICT_WITH_SET,      // the --strict, and the first --set value
    FAULT_STRICT_WITH_CHECKSUM, // the --strict, and the first --checksum value
    FAULT_NO_PAD,               // the --pad at the end
    FAULT_PAD_VALUE,            // the value
    FAULT_NO_MERGE,             // the --merge at the end
    FAULT_MERGE_VALUE,          // the value
    FAULT_OVERLAP_VALUE,        // the --overlap value
    FAULT_BINARY_VALUE,         // the --binary value
    FAULT_GROW_NOT_WRITING,     // the first --pad or --merge: with a call that writes nothing
    FAULT_GROW_FILES,           // the first --pad or --merge: with no file or several
    FAULT_BINARY_NO_OUTPUT,     // the --binary: without -o
    FAULT_NO_FIND,              // the --find-checksum at the end
    FAULT_FIND_VALUE,           // the value
    FAULT_FIND_WITH,            // the first --find-checksum: with an option other than -q, --json
    FAULT_CHECKSUM_EXPECTED,    // the first --checksum value with =VALUE: without --check
};

// How bytes that a merged file and the file both hold are taken: equal, or the one's.
enum OverlapRule : int32_t { OVERLAP_EQUAL, OVERLAP_OURS, OVERLAP_THEIRS };

// A range of a --checksum value, both ends included.
struct ChecksumRange {
    uint32_t first, last;
};

// A --checksum value: the algorithm's checksum over its ranges one after another, stored at
// address, or printed (ALGORITHM:START-END, without a place).
struct ChecksumJob {
    ChecksumAlgorithm algorithm;
    bool bigEndian;
    bool printed;
    int32_t argument;      // the number of the argument that named it
    ChecksumRange *ranges; // owned, main heap: in the order given
    int32_t rangeCount;
    const char *name; // the algorithm as given, in the block of the ranges
    int32_t nameLength;
    uint32_t address;
    bool expected;       // ALGORITHM:START-END=VALUE: printed, and compared with value (--check)
    ChecksumValue value; // the value expected, as wide as the algorithm's
};

// A --get value: count bytes at address, printed as bytes, or as a number of width bytes in
// either order (typed).
struct GetJob {
    uint32_t address;
    int32_t count;
    bool typed, bigEndian;
    int32_t argument; // the number of the argument that named it
};

// A --pad value: byte over every address of its ranges that no record holds.
struct PadJob {
    ChecksumRange *ranges; // owned, main heap
    int32_t rangeCount;
    uint8_t byte;
    int32_t argument;
};

// A --merge value: an Intel HEX file, or a binary file's bytes at address (raw).
struct MergeJob {
    char *path; // owned, main heap
    bool raw;
    uint32_t address;
    int32_t argument;
};

// A --find-checksum value: a checksum's value over its ranges, given, or stored at address.
struct FindJob {
    ChecksumRange *ranges; // owned, main heap: in the order given
    int32_t rangeCount;
    bool placed;
    uint32_t address;
    uint8_t value[MOST_VALUE_BYTES]; // given: most significant byte first, the last at the end
    int32_t argument;
};

struct CommandLine {
    CommandMode mode;
    bool quiet;
    bool json;    // --json: each file's report as a JSON object on a line of its own
    char **files; // owned, main heap, each too: every file's name as given, in order
    int32_t fileCount;
    ByteSettingList settings; // owned: the --set values, in address order
    ChecksumJob *checksums;   // owned, main heap: the --checksum values, each after those whose
                              // places lie in its range, else in the order given
    int32_t checksumCount;
    GetJob *gets; // owned, main heap: the --get values, in order
    int32_t getCount;
    uint8_t fill;     // the --fill byte, 0xFF without one
    bool toOutput;    // -o FILE: the one file is only read, and the result written to FILE
    int32_t output;   // the index of the argument that holds FILE
    char *outputPath; // owned, main heap: FILE as given
    CommandFault fault;
    int32_t faultArgument, otherArgument; // their indices
    int32_t faultStart, faultLength;      // the stretch of the value that a fault names, if any
    int32_t *cycle; // owned, main heap: with FAULT_CHECKSUM_CYCLE the argument indices of the
                    // cycle's values, from the one given first, each one's range holding the
                    // next one's place and the last one's the first one's
    int32_t cycleLength;
    uint8_t *valueStarts; // owned, main heap: for each argument read, where the value it holds
                          // starts in it (past "--set=" of --set=VALUE), else 0
    PadJob *pads;         // owned, main heap: the --pad values, in order
    int32_t padCount;
    MergeJob *merges; // owned, main heap: the --merge values, in order
    int32_t mergeCount;
    OverlapRule overlap;
    bool binary;       // --binary: OUT is written as raw bytes
    bool binaryRanged; // ... over binaryRange (else the image's lowest to highest)
    ChecksumRange binaryRange;
    FindJob *finds; // owned, main heap: the --find-checksum values, in order
    int32_t findCount;
};

// Whether the call adds records to the file (--pad, --merge), or writes a binary.
inline bool Grows(const CommandLine &command) {
    return command.padCount + command.mergeCount > 0 || command.binary;
}

CommandLine ReadCommandLine();
// The argument with the given index, kept; "" past the last one.
void TakeArgument(int32_t index, OwnedString &argument);
// The value that the argument with the given index holds, from its text: VALUE of --set=VALUE
// (--checksum=, --fill=, --get=, --output=), else all of it, as it was read (a value given as the
// next argument is all of that argument, whatever it holds).
const char *ValueText(const CommandLine &command, int32_t index, const char *argument);
void ReleaseCommandLine(CommandLine &command);
