// SPDX-License-Identifier: MIT
/*
 * The native command line's reading (ReadCommandLine, app/options.h) on arguments made of the
 * fuzzer's bytes, split at zero bytes (at most 12 arguments), against a model written here from
 * the options' contract: the mode, the fault and the arguments it names, and for a call that is
 * understood, quiet, the fill byte, the files, and the --set values and --checksum places in
 * address order.
 */
#include "app/options.h"
#include "core/byte_settings.h"
#include "runtime/platform.h"
#include "tests/fuzz/fuzz_start.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr size_t MOST_ARGUMENTS = 12;
constexpr char UPPER_DIGITS[] = "0123456789ABCDEF";

struct Setting {
    uint64_t address;
    std::string bytes; // upper-case hexadecimal
    int32_t argument;
};

struct Expected {
    CommandMode mode = COMMAND_MISUSED;
    CommandFault fault = FAULT_NONE;
    int32_t faultArgument = 0, otherArgument = 0;
    bool quiet = false;
    int fill = 0xFF, checksums = 0;
    std::vector<int32_t> files;
    std::vector<Setting> settings;
};

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A number as ADDRESS is one: decimal or 0x / 0X hexadecimal, at most most.
bool ReadNumber(const std::string &text, uint64_t most, uint64_t &number) {
    bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    number = 0;
    if (digits.empty()) return false;
    for (char c : digits) {
        if (hex ? !IsHex(c) : !(c >= '0' && c <= '9')) return false;
        number = number * (hex ? 16 : 10) +
                 static_cast<uint64_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
        if (number > most) return false;
    }
    return true;
}

// ADDRESS=BYTES: ADDRESS decimal or 0x / 0X hexadecimal up to 0xFFFFFFFF, BYTES 1 to 255 bytes
// in pairs of hexadecimal digits, the last at 0xFFFFFFFF at most.
CommandFault ReadValue(const std::string &value, int32_t argument, Setting &setting) {
    size_t equals = value.find('=');
    if (equals == std::string::npos) return FAULT_SET_VALUE;
    std::string bytes = value.substr(equals + 1);
    uint64_t at = 0;
    if (!ReadNumber(value.substr(0, equals), 0xFFFFFFFFu, at)) return FAULT_SET_VALUE;
    if (bytes.empty() || bytes.size() % 2 || bytes.size() > 510) return FAULT_SET_VALUE;
    if (!std::all_of(bytes.begin(), bytes.end(), IsHex)) return FAULT_SET_VALUE;
    if (at + bytes.size() / 2 - 1 > 0xFFFFFFFFu) return FAULT_SET_PAST_END;
    for (char &c : bytes)
        c = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
    setting = {at, bytes, argument};
    return FAULT_NONE;
}

// ALGORITHM:START-END@ADDRESS[:be]: the width of the algorithm's value and its place, or 0.
int ReadChecksum(const std::string &text, uint64_t &place) {
    static const struct {
        const char *name, *catalogue, *alias;
        int width;
    } ALGORITHMS[] = {{"crc32", "CRC-32/ISO-HDLC", "", 4},
                      {"crc32-mpeg2", "CRC-32/MPEG-2", "", 4},
                      {"crc16-xmodem", "CRC-16/XMODEM", "", 2},
                      {"crc16-ccitt", "CRC-16/IBM-3740", "CRC-16/CCITT-FALSE", 2},
                      {"sum8", "", "", 1},
                      {"sum16", "", "", 2},
                      {"sum32", "", "", 4}};
    size_t colon = text.find(':');
    if (colon == std::string::npos) return 0;
    std::string name = text.substr(0, colon), upper = name;
    for (char &c : upper)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    int width = 0;
    for (const auto &one : ALGORITHMS)
        if (name == one.name || (*one.catalogue && upper == one.catalogue) ||
            (*one.alias && upper == one.alias))
            width = one.width;
    std::string rest = text.substr(colon + 1);
    size_t dash = rest.find('-'), at = rest.find('@', dash == std::string::npos ? 0 : dash);
    if (!width || dash == std::string::npos || at == std::string::npos) return 0;
    std::string address = rest.substr(at + 1), suffix;
    if (size_t be = address.find(':'); be != std::string::npos) {
        suffix = address.substr(be);
        address = address.substr(0, be);
    }
    uint64_t first = 0, last = 0;
    if (!ReadNumber(rest.substr(0, dash), 0xFFFFFFFFu, first) ||
        !ReadNumber(rest.substr(dash + 1, at - dash - 1), 0xFFFFFFFFu, last) ||
        !ReadNumber(address, 0xFFFFFFFFu, place) || !(suffix.empty() || suffix == ":be"))
        return 0;
    uint64_t end = place + static_cast<uint64_t>(width) - 1;
    return first <= last && end <= 0xFFFFFFFFu && (end < first || place > last) ? width : 0;
}

Expected Fault(Expected expected, CommandFault fault, int32_t argument, int32_t other) {
    expected.mode = COMMAND_MISUSED;
    expected.fault = fault;
    expected.faultArgument = argument;
    expected.otherArgument = other;
    return expected;
}

Expected Model(const std::vector<std::string> &arguments) {
    Expected expected;
    bool options = true, check = false, strict = false, set = false;
    int32_t count = static_cast<int32_t>(arguments.size());
    for (int32_t index = 0; index < count; ++index) {
        const std::string &text = arguments[index];
        if (!options || text.empty() || text[0] != '-') {
            expected.files.push_back(index);
            continue;
        }
        if (text == "-") return Fault(expected, FAULT_STANDARD_INPUT, index, index);
        if (text == "--") {
            options = false;
        } else if (text == "--check") {
            check = true;
        } else if (text == "--strict") {
            strict = true;
        } else if (text == "-q" || text == "--quiet") {
            expected.quiet = true;
        } else if (text == "-V" || text == "--version") {
            expected.mode = COMMAND_VERSION;
            return expected;
        } else if (text == "-h" || text == "--help") {
            expected.mode = COMMAND_USAGE;
            return expected;
        } else if (text == "--checksum" || text.starts_with("--checksum=") || text == "--fill" ||
                   text.starts_with("--fill=")) {
            bool fill = text.starts_with("--fill");
            size_t named = fill ? 6 : 10;
            int32_t at = index;
            std::string value;
            if (text.size() == named) {
                if (++index == count)
                    return Fault(expected, fill ? FAULT_NO_FILL : FAULT_NO_CHECKSUM, at, at);
                value = arguments[index];
            } else {
                value = text.substr(named + 1);
            }
            uint64_t number = 0;
            if (fill) {
                if (!ReadNumber(value, 0xFF, number))
                    return Fault(expected, FAULT_FILL_VALUE, index, index);
                expected.fill = static_cast<int>(number);
                continue;
            }
            int width = ReadChecksum(value, number);
            if (!width) return Fault(expected, FAULT_CHECKSUM_VALUE, index, index);
            expected.checksums += 1;
            expected.settings.push_back(
                {number, std::string(2 * static_cast<size_t>(width), '0'), index});
        } else if (text == "--set" || text.starts_with("--set=")) {
            set = true;
            int32_t at = index;
            std::string value;
            if (text == "--set") {
                if (++index == count) return Fault(expected, FAULT_NO_VALUE, at, at);
                value = arguments[index];
            } else {
                value = text.substr(6);
            }
            Setting setting;
            if (CommandFault fault = ReadValue(value, index, setting); fault != FAULT_NONE)
                return Fault(expected, fault, index, index);
            expected.settings.push_back(setting);
        } else {
            return Fault(expected, FAULT_UNKNOWN_OPTION, index, index);
        }
    }
    std::stable_sort(expected.settings.begin(), expected.settings.end(),
                     [](const Setting &a, const Setting &b) { return a.address < b.address; });
    for (size_t i = 0; i + 1 < expected.settings.size(); ++i) {
        const Setting &a = expected.settings[i], &b = expected.settings[i + 1];
        if (a.address + a.bytes.size() / 2 > b.address)
            return Fault(expected, FAULT_SET_OVERLAP, a.argument, b.argument);
    }
    bool files = !expected.files.empty();
    set = set || (expected.checksums > 0 && !check);
    if ((set && (check || strict)) || (expected.checksums > 0 && strict))
        expected.mode = COMMAND_MISUSED;
    else if (set)
        expected.mode = files ? COMMAND_SET : COMMAND_MISUSED;
    else if (strict)
        expected.mode = files ? COMMAND_STRICT : COMMAND_MISUSED;
    else if (check)
        expected.mode = files ? COMMAND_CHECK : COMMAND_MISUSED;
    else
        expected.mode = files ? COMMAND_PATCH : COMMAND_MISUSED;
    return expected;
}

std::string Describe(CommandMode mode, CommandFault fault, int32_t faultArgument,
                     int32_t otherArgument) {
    return "mode " + std::to_string(mode) + " fault " + std::to_string(fault) + " " +
           std::to_string(faultArgument) + " " + std::to_string(otherArgument);
}

// Quiet, the files and the settings of a call that is understood.
std::string Contents(bool quiet, int fill, int checksums, const std::vector<int32_t> &files,
                     const std::vector<Setting> &settings) {
    std::string text = (quiet ? "quiet\nfill " : "fill ") + std::to_string(fill) + " checksums " +
                       std::to_string(checksums) + "\nfiles";
    for (int32_t file : files)
        text += " " + std::to_string(file);
    for (const Setting &setting : settings)
        text += "\nset " + std::to_string(setting.address) + " " + setting.bytes + " argument " +
                std::to_string(setting.argument);
    return text;
}

std::string Arguments(const std::vector<std::string> &arguments) {
    std::string text;
    for (const std::string &argument : arguments)
        text += "[" + argument + "] ";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::StartRuntime();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<std::string> arguments;
    std::string bytes(reinterpret_cast<const char *>(data), size);
    for (size_t start = 0; size && start <= size && arguments.size() < MOST_ARGUMENTS;) {
        size_t end = std::min(bytes.find('\0', start), size);
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char *> argv = {const_cast<char *>("checksumme")};
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    SetPlatformArguments(static_cast<int>(argv.size() - 1), argv.data());

    Expected expected = Model(arguments);
    CommandLine command = ReadCommandLine();
    std::string call = Arguments(arguments);
    fuzz::Expect(
        "the command line",
        call +
            Describe(expected.mode, expected.fault, expected.faultArgument, expected.otherArgument),
        call + Describe(command.mode, command.fault, command.faultArgument, command.otherArgument));
    bool understood = expected.fault == FAULT_NONE && expected.mode != COMMAND_VERSION &&
                      expected.mode != COMMAND_USAGE;
    if (understood) {
        std::vector<int32_t> files(command.files, command.files + command.fileCount);
        std::vector<Setting> settings;
        for (int32_t i = 0; i < command.settings.count; ++i) {
            const ByteSetting &item = command.settings.items[i];
            std::string hex;
            for (int32_t k = 0; k < item.count; ++k)
                hex += {UPPER_DIGITS[item.bytes[k] >> 4], UPPER_DIGITS[item.bytes[k] & 15]};
            settings.push_back({item.address, hex, item.argument});
        }
        fuzz::Expect(
            "the command line",
            call + Contents(expected.quiet, expected.fill, expected.checksums, expected.files,
                            expected.settings),
            call + Contents(command.quiet, command.fill, command.checksumCount, files, settings));
    }
    ReleaseCommandLine(command);
    SetPlatformArguments(0, nullptr);
    return 0;
}
