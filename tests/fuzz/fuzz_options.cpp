// SPDX-License-Identifier: MIT
/*
 * The native command line's reading (ReadCommandLine, app/options.h) on arguments made of the
 * fuzzer's bytes, split at zero bytes (at most 12 arguments), against a model written here from
 * the options' contract: the mode, the fault, the arguments and the stretch of a value it names,
 * and for a call that is understood, quiet, the fill byte, the files, the --set values in address
 * order and the --checksum values in the order they are computed.
 */
#include "app/options.h"
#include "core/byte_settings.h"
#include "runtime/platform.h"
#include "tests/fuzz/fuzz_start.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <set>
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

// A --checksum value: its ranges, its place and its width, and its argument.
struct Job {
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    uint64_t place;
    int width;
    int32_t argument;
    bool printed;      // no place
    std::string value; // =VALUE: as wide as the value, upper-case hexadecimal; else ""
};

struct Expected {
    CommandMode mode = COMMAND_MISUSED;
    CommandFault fault = FAULT_NONE;
    int32_t faultArgument = 0, otherArgument = 0;
    size_t faultStart = 0, faultLength = 0;
    bool quiet = false;
    int fill = 0xFF, checksums = 0;
    int32_t output = -1; // the argument of -o FILE
    std::vector<int32_t> files;
    std::vector<Setting> settings;
    std::vector<Job> jobs; // in the order they are computed
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
        unsigned __int128 wide = static_cast<unsigned __int128>(number) * (hex ? 16 : 10) +
                                 static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
        if (wide > most) return false;
        number = static_cast<uint64_t>(wide);
    }
    return true;
}

// Digits all through, decimal or after 0x / 0X hexadecimal, however many: a number, if not one
// that fits.
bool IsNumber(const std::string &text) {
    bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [&](char c) {
        return hex ? IsHex(c) : c >= '0' && c <= '9';
    });
}

std::string Lower(std::string text) {
    for (char &c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// Starts with 0 and goes on in decimal digits: decimal to some, hexadecimal to others.
bool Ambiguous(const std::string &number) {
    return number.size() > 1 && number[0] == '0' &&
           std::all_of(number.begin() + 1, number.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// ADDRESS=BYTES: ADDRESS not ambiguous, decimal or 0x / 0X hexadecimal up to 0xFFFFFFFF, BYTES 1 to
// 255 bytes in pairs of hexadecimal digits, the last at 0xFFFFFFFF at most; a typed NUMBER that
// fits and is not ambiguous (then the stretch), its type in any case.
CommandFault ReadValue(const std::string &value, int32_t argument, Setting &setting,
                       size_t &faultStart, size_t &faultLength) {
    size_t equals = value.find('=');
    if (equals == std::string::npos) return FAULT_SET_VALUE;
    if (Ambiguous(value.substr(0, equals))) {
        faultLength = equals;
        return FAULT_SET_AMBIGUOUS;
    }
    std::string bytes = value.substr(equals + 1);
    uint64_t at = 0;
    if (!ReadNumber(value.substr(0, equals), 0xFFFFFFFFu, at))
        return IsNumber(value.substr(0, equals)) ? FAULT_SET_PAST_END : FAULT_SET_VALUE;
    if (size_t colon = bytes.find(':'); colon != std::string::npos) { // a typed value
        std::string type = Lower(bytes.substr(0, colon)), text = bytes.substr(colon + 1), hex;
        if (type == "str" || type == "strz") {
            for (unsigned char c : text + (type == "strz" ? std::string(1, '\0') : ""))
                hex += {UPPER_DIGITS[c >> 4], UPPER_DIGITS[c & 15]};
        } else {
            const std::vector<std::string> TYPES = {"u8",    "u16le", "u16be", "u32le",
                                                    "u32be", "u64le", "u64be"};
            auto named = std::find(TYPES.begin(), TYPES.end(), type);
            uint64_t number = 0;
            if (named == TYPES.end()) return FAULT_SET_VALUE;
            if (Ambiguous(text)) {
                faultStart = value.size() - text.size();
                faultLength = text.size();
                return FAULT_SET_NUMBER_AMBIGUOUS;
            }
            if (!ReadNumber(text, UINT64_MAX, number))
                return IsNumber(text) ? FAULT_SET_NO_FIT : FAULT_SET_VALUE;
            size_t width = type == "u8" ? 1 : std::stoul(type.substr(1, 2)) / 8;
            if (width < 8 && number >> 8 * width) return FAULT_SET_NO_FIT;
            for (size_t k = 0; k < width; ++k) {
                size_t shift = 8 * (type.ends_with("be") ? width - 1 - k : k);
                hex +=
                    {UPPER_DIGITS[number >> shift >> 4 & 15], UPPER_DIGITS[number >> shift & 15]};
            }
        }
        bytes = hex;
    }
    if (bytes.empty() || bytes.size() % 2 || bytes.size() > 510) return FAULT_SET_VALUE;
    if (!std::all_of(bytes.begin(), bytes.end(), IsHex)) return FAULT_SET_VALUE;
    if (at + bytes.size() / 2 - 1 > 0xFFFFFFFFu) return FAULT_SET_PAST_END;
    for (char &c : bytes)
        c = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
    setting = {at, bytes, argument};
    return FAULT_NONE;
}

// An algorithm, in any letter case: a name (short, the catalogue's or an alias; a digest's) or
// crc-W with a CRC parameter among its parts, then parts split at "/", each once (the word forms
// once in all): poly=0x, init=0x, xorout=0x with hexadecimal digits (not wider than W at any
// digit), refin and refout after crc-W only (which needs poly), a word form, neg on a sum; none
// after a digest. FAULT_NONE with the width of its value and its word size, or the first fault
// from the left; a value too wide as the stretch.
CommandFault ReadAlgorithm(const std::string &given, int &width, int &wordSize, size_t &faultStart,
                           size_t &faultLength) {
    const std::string name = Lower(given);
    // Every name, by the width of the value; "|" between them.
    static const char *const NAMES[] = {
        ("crc8|sum8|crc-8/autosar|crc-8/bluetooth|crc-8/cdma2000|crc-8/darc|crc-8/dvb-s2|"
         "crc-8/gsm-a|crc-8/gsm-b|crc-8/hitag|crc-8/i-432-1|crc-8/itu|crc-8/i-code|crc-8/lte|"
         "crc-8/maxim-dow|crc-8/maxim|dow-crc|crc-8/mifare-mad|crc-8/nrsc-5|crc-8/opensafety|"
         "crc-8/rohc|crc-8/sae-j1850|crc-8/smbus|crc-8|crc-8/tech-3250|crc-8/aes|crc-8/ebu|"
         "crc-8/wcdma"),
        ("crc16-arc|crc16-ccitt|crc16-kermit|crc16-modbus|crc16-xmodem|sum16|crc-16/arc|arc|"
         "crc-16|crc-16/lha|crc-ibm|crc-16/cdma2000|crc-16/cms|crc-16/dds-110|crc-16/dect-r|"
         "r-crc-16|crc-16/dect-x|x-crc-16|crc-16/dnp|crc-16/en-13757|crc-16/genibus|crc-16/darc|"
         "crc-16/epc|crc-16/epc-c1g2|crc-16/i-code|crc-16/gsm|crc-16/ibm-3740|crc-16/autosar|"
         "crc-16/ccitt-false|crc-16/ibm-sdlc|crc-16/iso-hdlc|crc-16/iso-iec-14443-3-b|"
         "crc-16/x-25|crc-b|x-25|crc-16/iso-iec-14443-3-a|crc-a|crc-16/kermit|crc-16/bluetooth|"
         "crc-16/ccitt|crc-16/ccitt-true|crc-16/v-41-lsb|crc-ccitt|kermit|crc-16/lj1200|"
         "crc-16/m17|crc-16/maxim-dow|crc-16/maxim|crc-16/mcrf4xx|crc-16/modbus|modbus|"
         "crc-16/nrsc-5|crc-16/opensafety-a|crc-16/opensafety-b|crc-16/profibus|"
         "crc-16/iec-61158-2|crc-16/riello|crc-16/spi-fujitsu|crc-16/aug-ccitt|crc-16/t10-dif|"
         "crc-16/teledisk|crc-16/tms37157|crc-16/umts|crc-16/buypass|crc-16/verifone|crc-16/usb|"
         "crc-16/xmodem|crc-16/acorn|crc-16/lte|crc-16/v-41-msb|xmodem|zmodem"),
        ("crc32|crc32c|crc32-bzip2|crc32-mpeg2|sum32|crc-32/aixm|crc-32q|crc-32/autosar|"
         "crc-32/base91-d|crc-32d|crc-32/bzip2|crc-32/aal5|crc-32/dect-b|b-crc-32|"
         "crc-32/cd-rom-edc|crc-32/cksum|cksum|crc-32/posix|crc-32/iscsi|crc-32/base91-c|"
         "crc-32/castagnoli|crc-32/interlaken|crc-32c|crc-32/nvme|crc-32/iso-hdlc|crc-32|"
         "crc-32/adccp|crc-32/v-42|crc-32/xz|pkzip|crc-32/jamcrc|jamcrc|crc-32/mef|crc-32/mpeg-2|"
         "crc-32/xfer|xfer"),
        ("crc64|crc-64/ecma-182|crc-64|crc-64/go-iso|crc-64/ms|crc-64/nvme|crc-64/redis|crc-64/we|"
         "crc-64/xz|crc-64/go-ecma"),
        "sha256|sha-256",
        "sha512|sha-512",
    };
    static const int WIDTHS[] = {1, 2, 4, 8, 32, 64};
    std::vector<std::string> parts;
    for (size_t at = 0;;) {
        size_t slash = std::min(name.find('/', at), name.size());
        parts.push_back(name.substr(at, slash - at));
        if (slash == name.size()) break;
        at = slash + 1;
    }
    auto named = [&](const std::string &text) {
        for (int k = 0; k < 6; ++k)
            if (!text.empty() &&
                ("|" + std::string(NAMES[k]) + "|").find("|" + text + "|") != std::string::npos)
                return WIDTHS[k];
        return 0;
    };
    // crc-W with a CRC parameter among its parts, else a name of two parts, else of one.
    bool parameters = false, sum = name.starts_with("sum");
    for (size_t k = 1; k < parts.size(); ++k)
        parameters |= parts[k].starts_with("poly=0x") || parts[k].starts_with("init=0x") ||
                      parts[k].starts_with("xorout=0x") || parts[k] == "refin" ||
                      parts[k] == "refout";
    size_t first = 1;
    width = 0;
    for (int bits : {8, 16, 32, 64})
        if (parameters && parts[0] == "crc-" + std::to_string(bits)) width = bits / 8;
    parameters = width != 0;
    if (!width && parts.size() > 1 && (width = named(parts[0] + "/" + parts[1]))) first = 2;
    if (!width) width = named(parts[0]);
    if (!width) return FAULT_CHECKSUM_ALGORITHM;
    if (width > 8 && parts.size() > first) return FAULT_CHECKSUM_ALGORITHM; // (a digest's)
    wordSize = 1;
    std::set<std::string> seen;
    size_t at = parts[0].size() + (first == 2 ? parts[1].size() + 1 : 0);
    for (size_t k = first; k < parts.size(); at += parts[k].size() + 1, ++k) {
        const std::string &part = parts[k];
        std::string key = part.substr(0, part.find('='));
        bool words = part == "w16le" || part == "w16be" || part == "w32le" || part == "w32be";
        bool valued = part.starts_with("poly=0x") || part.starts_with("init=0x") ||
                      part.starts_with("xorout=0x");
        bool flag = part == "refin" || part == "refout";
        if (words) key = "words";
        if (!(words || valued || flag || part == "neg") || seen.count(key) ||
            ((valued || flag) && !parameters))
            return FAULT_CHECKSUM_ALGORITHM;
        seen.insert(key);
        if (words) wordSize = part[1] == '1' ? 2 : 4;
        if (part == "neg" && !sum) return FAULT_CHECKSUM_NEGATED;
        if (!valued) continue;
        size_t digits = part.find('=') + 3;
        if (digits == part.size()) return FAULT_CHECKSUM_ALGORITHM;
        unsigned __int128 value = 0;
        for (size_t i = digits; i < part.size(); ++i) {
            if (!IsHex(part[i])) return FAULT_CHECKSUM_ALGORITHM;
            value = value * 16 + static_cast<unsigned>(std::stoi(part.substr(i, 1), nullptr, 16));
            if (value >> (8 * width)) {
                faultStart = at + 1 + digits - 2;
                faultLength = part.size() - digits + 2;
                return FAULT_CHECKSUM_TOO_WIDE;
            }
        }
    }
    return parameters && !seen.count("poly") ? FAULT_CHECKSUM_ALGORITHM : FAULT_NONE;
}

// VALUE of =VALUE: a number up to 2^64 - 1 (not ambiguous), or 0x and 1 to 128 hexadecimal
// digits; its digits in upper case without leading zeros.
bool ReadValueModel(const std::string &value, std::string &digits) {
    uint64_t number = 0;
    if (value.size() >= 2 && value[0] == '0' && (value[1] | 0x20) == 'x') {
        digits = value.substr(2);
        if (digits.empty() || digits.size() > 128 ||
            !std::all_of(digits.begin(), digits.end(), IsHex))
            return false;
    } else if (Ambiguous(value) || !ReadNumber(value, UINT64_MAX, number)) {
        return false;
    } else {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(number));
        digits = hex;
    }
    for (char &c : digits)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    return true;
}

// ALGORITHM:START-END[+START-END...][@ADDRESS[:be] or =VALUE]: FAULT_NONE with the width of the
// algorithm's value and its place (or the value given), or the first fault from the left, then a
// START after its END, a range not of whole words, the value past 0xFFFFFFFF and in a range; an
// ambiguous address, a CRC parameter or a VALUE too wide as the stretch.
CommandFault ReadChecksum(const std::string &text, Job &job, size_t &faultStart,
                          size_t &faultLength) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return FAULT_CHECKSUM_VALUE;
    int wordSize = 1;
    if (CommandFault fault =
            ReadAlgorithm(text.substr(0, colon), job.width, wordSize, faultStart, faultLength);
        fault != FAULT_NONE)
        return fault;
    if (text.find('-', colon + 1) == std::string::npos) return FAULT_CHECKSUM_VALUE;
    job.printed = text.find('@', colon) == std::string::npos; // no place: the value printed
    // The fields, each up to the first of its ends: START up to "-", END up to "+" (or "@"),
    // another range after "+", then ADDRESS up to ":"; each read after the character that ended
    // the one before it.
    std::vector<std::pair<size_t, size_t>> fields;
    size_t at = colon + 1;
    auto take = [&](const char *ends) {
        size_t end = std::min(text.find_first_of(ends, at), text.size());
        fields.push_back({at, end});
        at = end;
    };
    bool given = false;
    for (bool more = true; more;) {
        take("-");
        at = std::min(at + 1, text.size());
        take(job.printed ? "+=" : "+@");
        more = at < text.size() && text[at] == '+';
        given = at < text.size() && text[at] == '=';
        at = std::min(at + 1, text.size());
    }
    size_t suffix = at;
    if (!job.printed) {
        take(":");
        suffix = at;
    }
    std::vector<uint64_t> numbers;
    for (const auto &[start, end] : fields) {
        std::string field = text.substr(start, end - start);
        if (Ambiguous(field)) {
            faultStart = start;
            faultLength = field.size();
            return FAULT_CHECKSUM_AMBIGUOUS;
        }
        uint64_t number = 0;
        if (!ReadNumber(field, 0xFFFFFFFFu, number))
            return IsNumber(field) ? FAULT_CHECKSUM_PAST_END : FAULT_CHECKSUM_VALUE;
        numbers.push_back(number);
    }
    if (!job.printed && text.substr(suffix) != "" && Lower(text.substr(suffix)) != ":be")
        return FAULT_CHECKSUM_SUFFIX;
    if (given) { // a number, or 0x and up to 128 digits; no wider than the value
        std::string value = text.substr(suffix), digits;
        if (!ReadValueModel(value, digits)) return FAULT_CHECKSUM_VALUE;
        if (digits.size() > 2 * static_cast<size_t>(job.width)) {
            faultStart = suffix;
            faultLength = value.size();
            return FAULT_CHECKSUM_TOO_WIDE;
        }
        job.value = std::string(2 * static_cast<size_t>(job.width) - digits.size(), '0') + digits;
    }
    for (size_t k = 0; k + 1 < fields.size(); k += 2)
        job.ranges.push_back({numbers[k], numbers[k + 1]});
    for (const auto &[first, last] : job.ranges)
        if (first > last) return FAULT_CHECKSUM_REVERSED;
    for (const auto &[first, last] : job.ranges)
        if ((last - first + 1) % static_cast<uint64_t>(wordSize)) return FAULT_CHECKSUM_WORDS;
    if (job.printed) return FAULT_NONE;
    job.place = numbers.back();
    uint64_t end = job.place + static_cast<uint64_t>(job.width) - 1;
    if (end > 0xFFFFFFFFu) return FAULT_CHECKSUM_PAST_END;
    for (const auto &[first, last] : job.ranges)
        if (end >= first && job.place <= last) return FAULT_CHECKSUM_IN_RANGE;
    return FAULT_NONE;
}

// ADDRESS:COUNT (1 to 255) or ADDRESS:TYPE (in any case), the bytes up to 0xFFFFFFFF; an
// ambiguous ADDRESS or COUNT as the stretch.
CommandFault ReadGet(const std::string &text, size_t &faultStart, size_t &faultLength) {
    size_t colon = text.find(':');
    uint64_t address = 0, count = 0;
    if (colon == std::string::npos) return FAULT_GET_VALUE;
    if (Ambiguous(text.substr(0, colon))) {
        faultLength = colon;
        return FAULT_GET_AMBIGUOUS;
    }
    if (!ReadNumber(text.substr(0, colon), 0xFFFFFFFFu, address))
        return IsNumber(text.substr(0, colon)) ? FAULT_GET_PAST_END : FAULT_GET_VALUE;
    std::string what = Lower(text.substr(colon + 1));
    const std::vector<std::pair<std::string, uint64_t>> TYPES = {
        {"u8", 1},    {"u16le", 2}, {"u16be", 2}, {"u32le", 4},
        {"u32be", 4}, {"u64le", 8}, {"u64be", 8}};
    for (const auto &[name, width] : TYPES)
        if (what == name) count = width;
    if (!count && Ambiguous(what)) {
        faultStart = colon + 1;
        faultLength = what.size();
        return FAULT_GET_COUNT_AMBIGUOUS;
    }
    if (!count && (!ReadNumber(what, 255, count) || count == 0)) return FAULT_GET_VALUE;
    return address + count - 1 <= 0xFFFFFFFFu ? FAULT_NONE : FAULT_GET_PAST_END;
}

// BYTE: two hexadecimal digits, or 0x / 0X and one or two.
// START-END[+START-END...], each START at most its END (several only where more is set).
bool ReadRangesModel(const std::string &text, bool more) {
    size_t start = 0;
    int count = 0;
    while (true) {
        size_t plus = text.find('+', start);
        std::string range =
            text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        size_t dash = range.find('-');
        if (dash == std::string::npos) return false;
        std::string first = range.substr(0, dash), last = range.substr(dash + 1);
        uint64_t low = 0, high = 0;
        if (Ambiguous(first) || Ambiguous(last) || !ReadNumber(first, 0xFFFFFFFF, low) ||
            !ReadNumber(last, 0xFFFFFFFF, high) || low > high)
            return false;
        ++count;
        if (plus == std::string::npos) return more || count == 1;
        if (!more) return false;
        start = plus + 1;
    }
}

bool ReadFill(const std::string &text, int &fill);

// --find-checksum START-END[+START-END...]=VALUE or ...@ADDRESS: VALUE as ReadValueModel takes
// it; ADDRESS a number up to 0xFFFFFFFF, not ambiguous.
bool ReadFindModel(const std::string &text) {
    size_t stop = text.find_first_of("=@");
    if (stop == std::string::npos || !ReadRangesModel(text.substr(0, stop), true)) return false;
    std::string value = text.substr(stop + 1), digits;
    uint64_t number = 0;
    if (text[stop] == '=') return ReadValueModel(value, digits);
    return !Ambiguous(value) && ReadNumber(value, 0xFFFFFFFFu, number);
}

// --pad START-END[+START-END...][=BYTE]
bool ReadPadModel(const std::string &text) {
    size_t equals = text.find('=');
    int byte = 0;
    return ReadRangesModel(text.substr(0, equals), true) &&
           (equals == std::string::npos || ReadFill(text.substr(equals + 1), byte));
}

// --merge FILE[@ADDRESS] (the last "@" leads the address)
bool ReadMergeModel(const std::string &text) {
    size_t at = text.rfind('@');
    uint64_t address = 0;
    if (at == std::string::npos) return !text.empty();
    std::string number = text.substr(at + 1);
    return at > 0 && !Ambiguous(number) && ReadNumber(number, 0xFFFFFFFF, address);
}

bool ReadFill(const std::string &text, int &fill) {
    bool prefixed = text.starts_with("0x") || text.starts_with("0X");
    std::string digits = prefixed ? text.substr(2) : text;
    if (!(digits.size() == 2 || (prefixed && digits.size() == 1)) ||
        !std::all_of(digits.begin(), digits.end(), IsHex))
        return false;
    fill = std::stoi(digits, nullptr, 16);
    return true;
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
    int32_t strictArgument = -1, written = -1; // the first --strict, --set or --checksum value
    int32_t givenArgument = -1;                // the first --checksum value with =VALUE
    CommandFault apart = FAULT_NONE;           // --strict with the kind of that value
    int32_t fillArgument = -1, getArgument = -1, output = -1, infoArgument = -1;
    int32_t grows = -1, binary = -1; // the first --pad or --merge value, the first --binary
    int32_t find = -1;               // the first --find-checksum
    bool overlap = false;
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
        } else if (text == "--info") {
            infoArgument = index;
        } else if (text == "--check") {
            check = true;
        } else if (text == "--strict") {
            if (!strict) strictArgument = index;
            strict = true;
        } else if (text == "-q" || text == "--quiet") {
            expected.quiet = true;
        } else if (text == "-V" || text == "--version") {
            expected.mode = COMMAND_VERSION;
            return expected;
        } else if (text == "-h" || text == "--help") {
            expected.mode = COMMAND_USAGE;
            return expected;
        } else if (text == "-o" || text == "--output" || text.starts_with("-o=") ||
                   text.starts_with("--output=")) {
            int32_t at = index;
            if (text == "-o" || text == "--output") {
                if (++index == count) return Fault(expected, FAULT_NO_OUTPUT, at, at);
            }
            if (output >= 0) return Fault(expected, FAULT_OUTPUT_TWICE, output, index);
            output = index;
        } else if (text == "--get" || text.starts_with("--get=")) {
            int32_t at = index;
            std::string value;
            if (text == "--get") {
                if (++index == count) return Fault(expected, FAULT_NO_GET, at, at);
                value = arguments[index];
            } else {
                value = text.substr(6);
            }
            if (CommandFault fault = ReadGet(value, expected.faultStart, expected.faultLength);
                fault != FAULT_NONE)
                return Fault(expected, fault, index, index);
            if (getArgument < 0) getArgument = index;
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
            if (fill) {
                if (!ReadFill(value, expected.fill))
                    return Fault(expected, FAULT_FILL_VALUE, index, index);
                fillArgument = index;
                continue;
            }
            if (written < 0) written = index, apart = FAULT_STRICT_WITH_CHECKSUM;
            Job job{{}, 0, 0, index, false, ""};
            CommandFault fault =
                ReadChecksum(value, job, expected.faultStart, expected.faultLength);
            if (fault != FAULT_NONE) return Fault(expected, fault, index, index);
            expected.checksums += 1;
            if (!job.value.empty() && givenArgument < 0) givenArgument = index;
            expected.jobs.push_back(job);
        } else if (text == "--pad" || text.starts_with("--pad=") || text == "--merge" ||
                   text.starts_with("--merge=") || text == "--overlap" ||
                   text.starts_with("--overlap=")) {
            size_t named = text.starts_with("--pad") ? 5 : text.starts_with("--merge") ? 7 : 9;
            CommandFault none = named == 5   ? FAULT_NO_PAD
                                : named == 7 ? FAULT_NO_MERGE
                                             : FAULT_OVERLAP_VALUE;
            int32_t at = index;
            std::string value;
            if (text.size() == named) {
                if (++index == count) return Fault(expected, none, at, at);
                value = arguments[index];
            } else {
                value = text.substr(named + 1);
            }
            if (named == 9) {
                if (Lower(value) != "ours" && Lower(value) != "theirs")
                    return Fault(expected, FAULT_OVERLAP_VALUE, index, index);
                overlap = true;
                continue;
            }
            if (named == 5 ? !ReadPadModel(value) : !ReadMergeModel(value))
                return Fault(expected, named == 5 ? FAULT_PAD_VALUE : FAULT_MERGE_VALUE, index,
                             index);
            if (grows < 0) grows = index;
        } else if (text == "--find-checksum" || text.starts_with("--find-checksum=")) {
            int32_t at = index;
            std::string value;
            if (text.size() == 15) {
                if (++index == count) return Fault(expected, FAULT_NO_FIND, at, at);
                value = arguments[index];
            } else {
                value = text.substr(16);
            }
            if (!ReadFindModel(value)) return Fault(expected, FAULT_FIND_VALUE, index, index);
            if (find < 0) find = index;
        } else if (text == "--binary" || text.starts_with("--binary=")) {
            if (text.size() > 8 && !ReadRangesModel(text.substr(9), false))
                return Fault(expected, FAULT_BINARY_VALUE, index, index);
            if (binary < 0) binary = index;
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
            if (written < 0) written = index, apart = FAULT_STRICT_WITH_SET;
            Setting setting;
            if (CommandFault fault =
                    ReadValue(value, index, setting, expected.faultStart, expected.faultLength);
                fault != FAULT_NONE)
                return Fault(expected, fault, index, index);
            expected.settings.push_back(setting);
        } else {
            return Fault(expected, FAULT_UNKNOWN_OPTION, index, index);
        }
    }
    if (infoArgument >= 0 && (check || strict || !expected.settings.empty() ||
                              expected.checksums > 0 || getArgument >= 0 || output >= 0))
        return Fault(expected, FAULT_INFO_WITH, infoArgument, infoArgument);
    // --find-checksum: with -q and --json alone
    if (find >= 0) {
        if (check || strict || set || expected.checksums > 0 || getArgument >= 0 || output >= 0 ||
            infoArgument >= 0 || fillArgument >= 0 || grows >= 0 || binary >= 0 || overlap)
            return Fault(expected, FAULT_FIND_WITH, find, find);
        expected.mode = expected.files.empty() ? COMMAND_MISUSED : COMMAND_FIND;
        return expected;
    }
    std::stable_sort(expected.settings.begin(), expected.settings.end(),
                     [](const Setting &a, const Setting &b) { return a.address < b.address; });
    for (size_t i = 0; i + 1 < expected.settings.size(); ++i) {
        const Setting &a = expected.settings[i], &b = expected.settings[i + 1];
        if (a.address + a.bytes.size() / 2 > b.address)
            return Fault(expected, FAULT_SET_OVERLAP, a.argument, b.argument);
    }
    // A value's place: apart from every --set value and every other place.
    auto placeEnd = [](const Job &job) { return job.place + static_cast<uint64_t>(job.width); };
    std::vector<Job> &jobs = expected.jobs;
    for (size_t k = 0; k < jobs.size(); ++k) {
        if (jobs[k].printed) continue;
        for (const Setting &setting : expected.settings)
            if (setting.address < placeEnd(jobs[k]) &&
                setting.address + setting.bytes.size() / 2 > jobs[k].place)
                return Fault(expected, FAULT_SET_CHECKSUM_OVERLAP, setting.argument,
                             jobs[k].argument);
        for (size_t j = 0; j < k; ++j)
            if (!jobs[j].printed && jobs[j].place < placeEnd(jobs[k]) &&
                placeEnd(jobs[j]) > jobs[k].place)
                return Fault(expected, FAULT_CHECKSUM_OVERLAP, jobs[j].argument, jobs[k].argument);
    }
    // Each value after those whose places lie in its range, else in the order given; when every
    // value left waits, the cycle that waiting for the first value (of those left) each waits for
    // leads into, from its value given first: its first two values.
    auto feeds = [&](const Job &a, const Job &b) {
        for (const auto &[first, last] : b.ranges)
            if (!a.printed && a.place <= last && placeEnd(a) - 1 >= first) return true;
        return false;
    };
    for (size_t done = 0; done < jobs.size(); ++done) {
        size_t next = done;
        auto waitsFor = [&](size_t k) {
            for (size_t j = done; j < jobs.size(); ++j)
                if (j != k && feeds(jobs[j], jobs[k])) return j;
            return jobs.size();
        };
        while (next < jobs.size() && waitsFor(next) < jobs.size())
            ++next;
        if (next == jobs.size()) {
            std::vector<size_t> walked = {done};
            while (std::count(walked.begin(), walked.end(), walked.back()) < 2)
                walked.push_back(waitsFor(walked.back()));
            std::vector<size_t> cycle(std::find(walked.begin(), walked.end(), walked.back()),
                                      walked.end() - 1);
            auto first = std::min_element(cycle.begin(), cycle.end(), [&](size_t a, size_t b) {
                return jobs[a].argument < jobs[b].argument;
            });
            std::rotate(cycle.begin(), first, cycle.end());
            return Fault(expected, FAULT_CHECKSUM_CYCLE, jobs[cycle[0]].argument,
                         jobs[cycle[1]].argument);
        }
        std::rotate(jobs.begin() + static_cast<long>(done), jobs.begin() + static_cast<long>(next),
                    jobs.begin() + static_cast<long>(next) + 1);
    }
    if (fillArgument >= 0 && expected.checksums == 0 && binary < 0)
        return Fault(expected, FAULT_FILL_ALONE, fillArgument, fillArgument);
    bool files = !expected.files.empty();
    bool stored =
        std::any_of(jobs.begin(), jobs.end(), [](const Job &job) { return !job.printed; });
    if (strict && written >= 0) { // the usage without a file
        if (!files) return expected;
        return Fault(expected, apart, strictArgument, written);
    }
    if (!check && givenArgument >= 0)
        return Fault(expected, FAULT_CHECKSUM_EXPECTED, givenArgument, givenArgument);
    set = !check && (set || stored); // (--set values with a check are checked)
    if (set && getArgument >= 0)
        return Fault(expected, FAULT_GET_WITH_WRITE, getArgument, getArgument);
    // --pad and --merge: one file, a call that writes; --binary: with -o.
    if (grows >= 0 && (check || strict || infoArgument >= 0 ||
                       ((expected.checksums > 0 || getArgument >= 0) && !set)))
        return Fault(expected, FAULT_GROW_NOT_WRITING, grows, grows);
    if (grows >= 0 && expected.files.size() != 1) {
        if (!files) {
            expected.mode = COMMAND_MISUSED;
            return expected;
        }
        return Fault(expected, FAULT_GROW_FILES, grows, grows);
    }
    if (binary >= 0 && output < 0) return Fault(expected, FAULT_BINARY_NO_OUTPUT, binary, binary);
    if (grows >= 0 && output < 0) {
        expected.mode = set ? COMMAND_SET : COMMAND_PATCH;
        return expected;
    }
    if (output >= 0) { // -o: one file, a call that writes
        if (check || strict || ((expected.checksums > 0 || getArgument >= 0) && !set))
            return Fault(expected, FAULT_OUTPUT_NOT_WRITING, output, output);
        if (expected.files.size() != 1) return Fault(expected, FAULT_OUTPUT_FILES, output, output);
        expected.mode = set ? COMMAND_SET : COMMAND_PATCH;
        expected.output = output;
    } else if (infoArgument >= 0)
        expected.mode = files ? COMMAND_INFO : COMMAND_MISUSED;
    else if ((expected.checksums > 0 || getArgument >= 0) && !check && !set)
        expected.mode = files ? COMMAND_PRINT : COMMAND_MISUSED;
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
                     int32_t otherArgument, size_t faultStart, size_t faultLength) {
    return "mode " + std::to_string(mode) + " fault " + std::to_string(fault) + " " +
           std::to_string(faultArgument) + " " + std::to_string(otherArgument) + " stretch " +
           std::to_string(faultStart) + " " + std::to_string(faultLength);
}

// Quiet, the files, the settings and the checksum values of a call that is understood.
std::string Contents(bool quiet, int fill, int32_t output, const std::vector<std::string> &jobs,
                     const std::vector<std::string> &files, const std::vector<Setting> &settings) {
    std::string text = (quiet ? "quiet\nfill " : "fill ") + std::to_string(fill) + " output " +
                       std::to_string(output) + " checksums";
    for (const std::string &job : jobs)
        text += " " + job;
    text += "\nfiles";
    for (const std::string &file : files)
        text += " '" + file + "'";
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
    fuzz::Expect("the command line",
                 call + Describe(expected.mode, expected.fault, expected.faultArgument,
                                 expected.otherArgument, expected.faultStart, expected.faultLength),
                 call + Describe(command.mode, command.fault, command.faultArgument,
                                 command.otherArgument, static_cast<size_t>(command.faultStart),
                                 static_cast<size_t>(command.faultLength)));
    bool understood = expected.fault == FAULT_NONE && expected.mode != COMMAND_VERSION &&
                      expected.mode != COMMAND_USAGE;
    if (understood) {
        std::vector<std::string> files(command.files, command.files + command.fileCount),
            expectedFiles;
        for (int32_t index : expected.files)
            expectedFiles.push_back(arguments[static_cast<size_t>(index)]);
        std::vector<Setting> settings;
        for (int32_t i = 0; i < command.settings.count; ++i) {
            const ByteSetting &item = command.settings.items[i];
            std::string hex;
            for (int32_t k = 0; k < item.count; ++k)
                hex += {UPPER_DIGITS[item.bytes[k] >> 4], UPPER_DIGITS[item.bytes[k] & 15]};
            settings.push_back({item.address, hex, item.argument});
        }
        // Each value's argument, width, ranges and place.
        auto describe = [](int32_t argument, int width, const auto &ranges, bool printed,
                           uint64_t place, const std::string &value) {
            std::string text = std::to_string(argument) + "/" + std::to_string(width) + ":";
            for (const auto &[first, last] : ranges)
                text += std::to_string(first) + "-" + std::to_string(last) + "+";
            return text + (printed ? "=" + value : "@" + std::to_string(place));
        };
        std::vector<std::string> jobs, expectedJobs;
        for (int32_t k = 0; k < command.checksumCount; ++k) {
            const ChecksumJob &job = command.checksums[k];
            std::vector<std::pair<uint64_t, uint64_t>> ranges;
            for (int32_t i = 0; i < job.rangeCount; ++i)
                ranges.push_back({job.ranges[i].first, job.ranges[i].last});
            std::string value;
            for (int32_t b = 0; job.expected && b < job.value.width; ++b)
                value +=
                    {UPPER_DIGITS[job.value.bytes[b] >> 4], UPPER_DIGITS[job.value.bytes[b] & 15]};
            jobs.push_back(describe(job.argument, ChecksumWidth(job.algorithm), ranges, job.printed,
                                    job.address, value));
        }
        for (const Job &job : expected.jobs)
            expectedJobs.push_back(
                describe(job.argument, job.width, job.ranges, job.printed, job.place, job.value));
        fuzz::Expect("the command line",
                     call + Contents(expected.quiet, expected.fill, expected.output, expectedJobs,
                                     expectedFiles, expected.settings),
                     call + Contents(command.quiet, command.fill,
                                     command.toOutput ? command.output : -1, jobs, files,
                                     settings));
    }
    ReleaseCommandLine(command);
    SetPlatformArguments(0, nullptr);
    return 0;
}
