// SPDX-License-Identifier: MIT
#include "app/options.h"

#include "app/option_names.h"
#include "app/value_order.h"
#include "app/values.h"

#include "core/record.h"
#include "runtime/arguments.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

void Faulty(CommandLine &command, CommandFault fault, int32_t argument, int32_t other,
            int32_t faultStart = 0, int32_t faultLength = 0) {
    command.mode = COMMAND_MISUSED;
    command.fault = fault;
    command.faultArgument = argument;
    command.otherArgument = other;
    command.faultStart = faultStart;
    command.faultLength = faultLength;
}

// A text kept in the call's description: a copy of its own, main heap.
char *CopyText(const char *text) {
    auto length = static_cast<size_t>(StringLength(text));
    auto *copy = static_cast<char *>(MainHeapAlloc(length + 1)); // (zero-filled: ended)
    std::memcpy(copy, text, length);
    return copy;
}

// The call's description read into command (zero-filled), up to its first fault.
void ReadInto(CommandLine &command) {
    int32_t count = ArgumentCount();
    command.fill = 0xFF;
    if (count > 0) {
        command.files =
            static_cast<char **>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(char *)));
        command.checksums = static_cast<ChecksumJob *>(
            MainHeapAlloc(static_cast<size_t>(count) * sizeof(ChecksumJob)));
        command.gets =
            static_cast<GetJob *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(GetJob)));
        command.valueStarts = static_cast<uint8_t *>(MainHeapAlloc(static_cast<size_t>(count)));
        command.pads =
            static_cast<PadJob *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(PadJob)));
        command.merges =
            static_cast<MergeJob *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(MergeJob)));
        command.finds =
            static_cast<FindJob *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(FindJob)));
    }
    int32_t getArgument = -1; // the first --get
    bool check = false, strict = false, set = false, options = true, named = false;
    int32_t strictArgument = -1; // the first --strict
    int32_t written = -1;        // the first --set or --checksum value
    bool writtenSet = false;     // is a --set value
    int32_t fillArgument = -1;   // of the last --fill value
    int32_t output = -1;         // of the -o value
    int32_t info = -1;           // of an --info
    int32_t grows = -1;          // of the first --pad or --merge value
    int32_t binary = -1;         // of a --binary
    int32_t find = -1;           // of the first --find-checksum
    int32_t expected = -1;       // of the first --checksum value with =VALUE
    for (int32_t index = 0; index < count; ++index) {
        OwnedString argument;
        TakeArgument(index, argument);
        const char *text = argument.Text(), *value = nullptr;
        Option option = options ? OptionOf(text, &value) : OPTION_NONE;
        switch (option) {
        case OPTION_NONE:
            if (options && text[0] == '-')
                return Faulty(command, FAULT_STANDARD_INPUT, index, index);
            named = named || text[0] != 0;
            command.files[command.fileCount++] = CopyText(text);
            break;
        case OPTION_UNKNOWN: return Faulty(command, FAULT_UNKNOWN_OPTION, index, index);
        case OPTION_END: options = false; break;
        case OPTION_INFO: info = index; break;
        case OPTION_CHECK: check = true; break;
        case OPTION_STRICT:
            if (!strict) strictArgument = index;
            strict = true;
            break;
        case OPTION_QUIET: command.quiet = true; break;
        case OPTION_BINARY:
            if (value) command.valueStarts[index] = static_cast<uint8_t>(value - text);
            if (value && !ReadBinaryRange(value, &command.binaryRange))
                return Faulty(command, FAULT_BINARY_VALUE, index, index);
            command.binary = true;
            command.binaryRanged = value != nullptr;
            if (binary < 0) binary = index;
            break;
        case OPTION_JSON: command.json = true; break;
        case OPTION_VERSION: command.mode = COMMAND_VERSION; return;
        case OPTION_HELP: command.mode = COMMAND_USAGE; return;
        case OPTION_SET:
        case OPTION_CHECKSUM:
        case OPTION_GET:
        case OPTION_OUTPUT:
        case OPTION_PAD:
        case OPTION_MERGE:
        case OPTION_OVERLAP:
        case OPTION_FIND:
        case OPTION_FILL: {
            OwnedString next;
            int32_t at = index;
            if (!value) {
                if (++index == count) return Faulty(command, NoValueFault(option), at, at);
                TakeArgument(index, next);
                value = next.Text();
            } else {
                command.valueStarts[index] = static_cast<uint8_t>(value - text);
            }
            if ((option == OPTION_SET || option == OPTION_CHECKSUM) && written < 0) {
                written = index;
                writtenSet = option == OPTION_SET;
            }
            if (option == OPTION_PAD || option == OPTION_MERGE) {
                if (grows < 0) grows = index;
                bool read = false;
                if (option == OPTION_PAD) {
                    PadJob &pad = command.pads[command.padCount];
                    pad.argument = index;
                    read = ReadPadJob(value, pad);
                    command.padCount += read ? 1 : 0;
                } else {
                    MergeJob &merge = command.merges[command.mergeCount];
                    merge.argument = index;
                    read = ReadMergeJob(value, merge);
                    command.mergeCount += read ? 1 : 0;
                }
                if (!read)
                    return Faulty(command,
                                  option == OPTION_PAD ? FAULT_PAD_VALUE : FAULT_MERGE_VALUE, index,
                                  index);
                break;
            }
            if (option == OPTION_FIND) {
                FindJob &job = command.finds[command.findCount]; // (zero-filled)
                job.argument = index;
                if (!ReadFindJob(value, job))
                    return Faulty(command, FAULT_FIND_VALUE, index, index);
                ++command.findCount;
                if (find < 0) find = index;
                break;
            }
            if (option == OPTION_OVERLAP) {
                bool ours = SameLetters(value, "ours", 5), theirs = SameLetters(value, "theirs", 7);
                if (!ours && !theirs) return Faulty(command, FAULT_OVERLAP_VALUE, index, index);
                command.overlap = ours ? OVERLAP_OURS : OVERLAP_THEIRS;
                break;
            }
            if (option == OPTION_OUTPUT) {
                if (output >= 0) return Faulty(command, FAULT_OUTPUT_TWICE, output, index);
                output = index;
                command.outputPath = CopyText(value);
                break;
            }
            if (option == OPTION_GET) {
                GetJob get{};
                get.argument = index;
                const char *stretch = value;
                int32_t length = 0;
                if (CommandFault fault = ReadGetJob(value, get, &stretch, &length);
                    fault != FAULT_NONE)
                    return Faulty(command, fault, index, index,
                                  static_cast<int32_t>(stretch - value), length);
                command.gets[command.getCount++] = get;
                if (getArgument < 0) getArgument = index;
                break;
            }
            if (option == OPTION_FILL) {
                if (!ReadFillByte(value, &command.fill))
                    return Faulty(command, FAULT_FILL_VALUE, index, index);
                fillArgument = index;
                break;
            }
            if (option == OPTION_CHECKSUM) {
                ChecksumJob job{};
                job.argument = index;
                const char *stretch = value;
                int32_t length = 0;
                CommandFault fault = ReadChecksumJob(value, job, &stretch, &length);
                if (fault != FAULT_NONE)
                    return Faulty(command, fault, index, index,
                                  static_cast<int32_t>(stretch - value), length);
                command.checksums[command.checksumCount++] = job;
                if (job.expected && expected < 0) expected = index;
                break;
            }
            set = true;
            if (int32_t length = std::strchr(value, '=') ? AmbiguousLength(value, "=") : 0)
                return Faulty(command, FAULT_SET_AMBIGUOUS, index, index, 0, length);
            SettingRead read = AddByteSetting(command.settings, value, index);
            if (read == SETTING_AMBIGUOUS) { // the typed number, all after the last colon
                const char *number = std::strrchr(value, ':') + 1;
                return Faulty(command, FAULT_SET_NUMBER_AMBIGUOUS, index, index,
                              static_cast<int32_t>(number - value), StringLength(number));
            }
            if (read != SETTING_ADDED)
                return Faulty(command,
                              read == SETTING_PAST_END ? FAULT_SET_PAST_END
                              : read == SETTING_NO_FIT ? FAULT_SET_NO_FIT
                                                       : FAULT_SET_VALUE,
                              index, index);
            break;
        }
        }
    }
    if (info >= 0 &&
        (check || strict || set || command.checksumCount + command.getCount > 0 || output >= 0))
        return Faulty(command, FAULT_INFO_WITH, info, info);
    // --find-checksum tries every fill itself, and writes nothing.
    if (find >= 0) {
        if (check || strict || set || command.checksumCount + command.getCount > 0 || output >= 0 ||
            info >= 0 || fillArgument >= 0 || grows >= 0 || binary >= 0 ||
            command.overlap != OVERLAP_EQUAL)
            return Faulty(command, FAULT_FIND_WITH, find, find);
        command.mode = command.fileCount > 0 ? COMMAND_FIND : COMMAND_MISUSED;
        return;
    }
    int32_t one = 0, other = 0;
    if (CommandFault overlap = FindOverlap(command, &one, &other); overlap != FAULT_NONE)
        return Faulty(command, overlap, one, other);
    if (!OrderChecksums(command))
        return Faulty(command, FAULT_CHECKSUM_CYCLE, command.cycle[0], command.cycle[1]);
    if (fillArgument >= 0 && command.checksumCount == 0 && binary < 0)
        return Faulty(command, FAULT_FILL_ALONE, fillArgument, fillArgument);
    bool files = command.fileCount > 0;
    // --set values and --checksum values with a place are set unless they are checked; one
    // without a place is printed.
    int32_t stored = 0;
    for (int32_t k = 0; k < command.checksumCount; ++k)
        stored += command.checksums[k].printed ? 0 : 1;
    if (strict && written >= 0) { // with a file named: which two options
        if (!files) return Faulty(command, FAULT_NONE, 0, 0);
        return Faulty(command, writtenSet ? FAULT_STRICT_WITH_SET : FAULT_STRICT_WITH_CHECKSUM,
                      strictArgument, written);
    }
    if (!check && expected >= 0)
        return Faulty(command, FAULT_CHECKSUM_EXPECTED, expected, expected);
    set = !check && (set || stored > 0);
    if (set && command.getCount > 0)
        return Faulty(command, FAULT_GET_WITH_WRITE, getArgument, getArgument);
    // --pad and --merge add to the one file of a call that writes; --binary writes OUT so.
    if (grows >= 0 &&
        (check || strict || info >= 0 || (command.checksumCount + command.getCount > 0 && !set)))
        return Faulty(command, FAULT_GROW_NOT_WRITING, grows, grows);
    if (grows >= 0 && command.fileCount != 1) {
        if (!files) return Faulty(command, FAULT_NONE, 0, 0);
        return Faulty(command, FAULT_GROW_FILES, grows, grows);
    }
    if (binary >= 0 && output < 0) return Faulty(command, FAULT_BINARY_NO_OUTPUT, binary, binary);
    if (grows >= 0 && output < 0) {
        command.mode = set ? COMMAND_SET : COMMAND_PATCH;
        return;
    }
    if (output >= 0) { // one file in, written to FILE, by a call that writes
        if (check || strict || (command.checksumCount + command.getCount > 0 && !set))
            return Faulty(command, FAULT_OUTPUT_NOT_WRITING, output, output);
        if (command.fileCount != 1) return Faulty(command, FAULT_OUTPUT_FILES, output, output);
        command.toOutput = true;
        command.output = output;
        command.mode = set ? COMMAND_SET : COMMAND_PATCH;
        return;
    }
    if (info >= 0)
        command.mode = files ? COMMAND_INFO : COMMAND_MISUSED;
    else if ((command.checksumCount > 0 || command.getCount > 0) && !check && !set)
        command.mode = files ? COMMAND_PRINT : COMMAND_MISUSED;
    else if (check || strict || set)
        command.mode = !files   ? COMMAND_MISUSED
                       : set    ? COMMAND_SET
                       : strict ? COMMAND_STRICT
                                : COMMAND_CHECK;
    else if (NATIVE)
        command.mode = files ? COMMAND_PATCH : COMMAND_MISUSED; // no window to open
    else
        command.mode = named ? COMMAND_PATCH : COMMAND_WINDOW;
}

} // namespace

CommandLine ReadCommandLine() {
    CommandLine command{};
    ReadInto(command);
    return command;
}

void TakeArgument(int32_t index, OwnedString &argument) {
    int32_t start = WorkspacePosition();
    ArgumentAt(index, start);
    argument.TakeResult(start);
}

// (Faults and -o name arguments that were read: each has its place in valueStarts.)
const char *ValueText(const CommandLine &command, int32_t index, const char *argument) {
    return argument + command.valueStarts[index];
}

void ReleaseCommandLine(CommandLine &command) {
    for (int32_t i = 0; i < command.fileCount; ++i)
        MainHeapFree(command.files[i]);
    if (command.files) MainHeapFree(command.files);
    if (command.outputPath) MainHeapFree(command.outputPath);
    for (int32_t k = 0; k < command.checksumCount; ++k)
        MainHeapFree(command.checksums[k].ranges);
    if (command.checksums) MainHeapFree(command.checksums);
    if (command.gets) MainHeapFree(command.gets);
    if (command.cycle) MainHeapFree(command.cycle);
    if (command.valueStarts) MainHeapFree(command.valueStarts);
    for (int32_t k = 0; k < command.padCount; ++k)
        MainHeapFree(command.pads[k].ranges);
    if (command.pads) MainHeapFree(command.pads);
    for (int32_t k = 0; k < command.mergeCount; ++k)
        MainHeapFree(command.merges[k].path);
    if (command.merges) MainHeapFree(command.merges);
    for (int32_t k = 0; k < command.findCount; ++k)
        MainHeapFree(command.finds[k].ranges);
    if (command.finds) MainHeapFree(command.finds);
    ReleaseByteSettings(command.settings);
    command = CommandLine{};
}
