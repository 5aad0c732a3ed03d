// SPDX-License-Identifier: MIT
#include "app/options.h"

#include "core/record.h"
#include "runtime/arguments.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

enum Option : int32_t {
    OPTION_NONE, // a file
    OPTION_UNKNOWN,
    OPTION_END, // --
    OPTION_CHECK,
    OPTION_STRICT,
    OPTION_SET,
    OPTION_CHECKSUM,
    OPTION_FILL,
    OPTION_QUIET,
    OPTION_VERSION,
    OPTION_HELP,
};

// The spellings of each option; on Windows in any letter case (ASCII letters only), where the
// native ones count too.
struct Spelling {
    const char *name;
    Option option;
    bool windowsOnly;
};
constexpr Spelling SPELLINGS[] = {
    {"--", OPTION_END, false},
    {"--check", OPTION_CHECK, false},
    {"/check", OPTION_CHECK, true},
    {"--strict", OPTION_STRICT, false},
    {"/strict", OPTION_STRICT, true},
    {"--set", OPTION_SET, false},
    {"/set", OPTION_SET, true},
    {"--checksum", OPTION_CHECKSUM, false},
    {"/checksum", OPTION_CHECKSUM, true},
    {"--fill", OPTION_FILL, false},
    {"/fill", OPTION_FILL, true},
    {"-q", OPTION_QUIET, false},
    {"--quiet", OPTION_QUIET, false},
    {"/q", OPTION_QUIET, true},
    {"-V", OPTION_VERSION, false},
    {"--version", OPTION_VERSION, false},
    {"-v", OPTION_VERSION, true},
    {"/version", OPTION_VERSION, true},
    {"-h", OPTION_HELP, false},
    {"--help", OPTION_HELP, false},
    {"/?", OPTION_HELP, true},
};

// The text matches the name up to its end, or up to a "=" where the name ends.
bool Matches(const char *text, const char *name, bool anyCase, const char **value) {
    for (; *name; ++text, ++name) {
        char c = *text;
        if (anyCase && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *name) return false;
    }
    if (*text == '=' && value) *value = text + 1;
    return *text == 0 || (*text == '=' && value);
}

// What an argument is; *value is set for --set=VALUE.
Option OptionOf(const char *text, const char **value) {
    *value = nullptr;
    bool windowsSwitch = !NATIVE && text[0] == '/' && text[1] && !std::strpbrk(text + 1, "/\\.:");
    if ((text[0] != '-' || text[1] == 0) && !windowsSwitch) return OPTION_NONE;
    for (const Spelling &spelling : SPELLINGS) {
        if (NATIVE && spelling.windowsOnly) continue;
        bool anyCase = !NATIVE;
        bool valued = spelling.option == OPTION_SET || spelling.option == OPTION_CHECKSUM ||
                      spelling.option == OPTION_FILL;
        const char **setValue = valued ? value : nullptr;
        if (Matches(text, spelling.name, anyCase, setValue)) return spelling.option;
    }
    return OPTION_UNKNOWN;
}

// ALGORITHM:START-END@ADDRESS, :be after it for big-endian.
bool ReadChecksumJob(const char *text, ChecksumJob &job) {
    const char *colon = std::strchr(text, ':');
    if (!colon) return false;
    job.algorithm = ChecksumAlgorithmNamed(text, static_cast<int32_t>(colon - text));
    const char *at = colon + 1;
    uint64_t first = 0, last = 0, address = 0;
    if (!job.algorithm || !ReadSettingNumber(&at, "-", 0xFFFFFFFF, &first) || *at++ != '-' ||
        !ReadSettingNumber(&at, "@", 0xFFFFFFFF, &last) || *at++ != '@' ||
        !ReadSettingNumber(&at, ":", 0xFFFFFFFF, &address))
        return false;
    job.bigEndian = at[0] == ':';
    if (job.bigEndian ? std::strcmp(at, ":be") != 0 : *at != 0) return false;
    job.first = static_cast<uint32_t>(first);
    job.last = static_cast<uint32_t>(last);
    job.address = static_cast<uint32_t>(address);
    uint64_t end = address + static_cast<uint64_t>(ChecksumWidth(job.algorithm)) - 1;
    return first <= last && end <= 0xFFFFFFFF && (end < first || address > last);
}

// The value's place joins the --set values, its bytes 0 until they are known.
SettingRead AddChecksumPlace(ByteSettingList &settings, const ChecksumJob &job) {
    ByteSetting place{};
    place.address = job.address;
    place.count = ChecksumWidth(job.algorithm);
    place.argument = job.argument;
    return AddByteSettingValue(settings, place);
}

CommandLine Faulty(CommandLine &command, CommandFault fault, int32_t argument, int32_t other) {
    command.mode = COMMAND_MISUSED;
    command.fault = fault;
    command.faultArgument = argument;
    command.otherArgument = other;
    return command;
}

} // namespace

CommandLine ReadCommandLine() {
    CommandLine command{};
    int32_t count = ArgumentCount();
    command.fill = 0xFF;
    if (count > 0) {
        command.files =
            static_cast<int32_t *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(int32_t)));
        command.checksums = static_cast<ChecksumJob *>(
            MainHeapAlloc(static_cast<size_t>(count) * sizeof(ChecksumJob)));
    }
    bool check = false, strict = false, set = false, options = true, named = false;
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
            command.files[command.fileCount++] = index;
            break;
        case OPTION_UNKNOWN: return Faulty(command, FAULT_UNKNOWN_OPTION, index, index);
        case OPTION_END: options = false; break;
        case OPTION_CHECK: check = true; break;
        case OPTION_STRICT: strict = true; break;
        case OPTION_QUIET: command.quiet = true; break;
        case OPTION_VERSION: command.mode = COMMAND_VERSION; return command;
        case OPTION_HELP: command.mode = COMMAND_USAGE; return command;
        case OPTION_SET:
        case OPTION_CHECKSUM:
        case OPTION_FILL: {
            OwnedString next;
            int32_t at = index;
            if (!value) {
                if (++index == count)
                    return Faulty(command,
                                  option == OPTION_SET        ? FAULT_NO_VALUE
                                  : option == OPTION_CHECKSUM ? FAULT_NO_CHECKSUM
                                                              : FAULT_NO_FILL,
                                  at, at);
                TakeArgument(index, next);
                value = next.Text();
            }
            if (option == OPTION_FILL) {
                uint64_t fill = 0;
                if (!ReadSettingNumber(&value, "", 0xFF, &fill))
                    return Faulty(command, FAULT_FILL_VALUE, index, index);
                command.fill = static_cast<uint8_t>(fill);
                break;
            }
            if (option == OPTION_CHECKSUM) {
                ChecksumJob job{};
                job.argument = index;
                if (!ReadChecksumJob(value, job) ||
                    AddChecksumPlace(command.settings, job) != SETTING_ADDED)
                    return Faulty(command, FAULT_CHECKSUM_VALUE, index, index);
                command.checksums[command.checksumCount++] = job;
                break;
            }
            set = true;
            SettingRead read = AddByteSetting(command.settings, value, index);
            if (read != SETTING_ADDED)
                return Faulty(command,
                              read == SETTING_PAST_END ? FAULT_SET_PAST_END : FAULT_SET_VALUE,
                              index, index);
            break;
        }
        }
    }
    if (int32_t overlap = SortByteSettings(command.settings); overlap >= 0)
        return Faulty(command, FAULT_SET_OVERLAP, command.settings.items[overlap].argument,
                      command.settings.items[overlap + 1].argument);
    bool files = command.fileCount > 0;
    // A --checksum value is set unless it is checked.
    set = set || (command.checksumCount > 0 && !check);
    if ((set && (check || strict)) || (command.checksumCount > 0 && strict))
        command.mode = COMMAND_MISUSED;
    else if (check || strict || set)
        command.mode = !files   ? COMMAND_MISUSED
                       : set    ? COMMAND_SET
                       : strict ? COMMAND_STRICT
                                : COMMAND_CHECK;
    else if (NATIVE)
        command.mode = files ? COMMAND_PATCH : COMMAND_MISUSED; // no window to open
    else
        command.mode = named ? COMMAND_PATCH : COMMAND_WINDOW;
    return command;
}

void TakeArgument(int32_t index, OwnedString &argument) {
    int32_t start = WorkspacePosition();
    ArgumentAt(index, start);
    argument.TakeResult(start);
}

const char *SettingText(const char *argument) {
    const char *value = nullptr;
    OptionOf(argument, &value);
    return value ? value : argument;
}

void ReleaseCommandLine(CommandLine &command) {
    if (command.files) MainHeapFree(command.files);
    if (command.checksums) MainHeapFree(command.checksums);
    ReleaseByteSettings(command.settings);
    command = CommandLine{};
}
