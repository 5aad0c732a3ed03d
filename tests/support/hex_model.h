/*
 * The tests' model of whole Intel HEX files, written apart from the product on top of the
 * record rule of tests/support/reference.h.
 *
 * Lines split at CR LF, LF, CR and zero bytes; a UTF-8 byte-order mark in front of the first is
 * no part of it. A line holds a record when it is one, or when one is followed by a blank or a
 * tab and any text. Patch models patching and checking. The addresses: the base is 0, then the
 * latest type 04 record with 2 data bytes sets it to their value times 65536, the latest type 02
 * record with 2 data bytes to their value times 16; data byte i of a type 00 record lies at base
 * + offset + i. Structure models the strict check, Set the two walks of --set.
 */
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace model {

struct Patched {
    std::string out;                             // the file after patching
    std::vector<std::string> patching, checking; // findings: "LINE checksum OLD NEW",
                                                 // "LINE malformed LENGTH NOT-DIGIT ASKED"
};
Patched Patch(const std::string &file);

// "LINE after-end END-LINE", "LINE type TYPE", "LINE count TYPE COUNT SHOULD",
// "LINE overlap ADDRESS EARLIER-LINE" (decimal numbers), "LINE no-end"; in line order.
std::vector<std::string> Structure(const std::string &file);

struct SetResult {
    std::string refusal; // "ADDRESS FIRST-LINE SECOND-LINE" (0 for none), or "" when set
    std::string out;     // the file with the bytes set and every checksum right
    std::vector<std::string> stretches; // "LINE FROM TO" of each stretch set, TO the last
};
SetResult Set(const std::string &file, const std::map<uint64_t, uint8_t> &bytes);

// Every data byte of the file: its address and the lines of the records that hold it.
std::map<uint64_t, std::vector<int64_t>> Holders(const std::string &file);

// A file of address records (02, 04), data records of 1 to 32 bytes at addresses that meet,
// overlap and leave gaps, end-of-file records, record types 03, 05 and unknown ones, byte counts
// right and wrong, comments behind records and on lines of their own, in upper or lower case,
// with LF or CR LF, sometimes a byte-order mark.
std::string RandomLayout(std::mt19937 &rng);

} // namespace model
