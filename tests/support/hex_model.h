// SPDX-License-Identifier: MIT
/*
 * The tests' model of whole Intel HEX files, written apart from the product on top of the
 * record rule of tests/support/reference.h. Lines split at CR LF, LF, CR and zero bytes, a UTF-8
 * byte-order mark in front of the first left out; a line holds a record when it is one, or one
 * followed by a blank or a tab and any text. Patching writes the checksums that are wrong in
 * value, in the record's case (lower when its letters are all lower case), and a record so
 * written on the last line without a line end gets the line end of the line before it (CR LF
 * for none or a zero byte). Addresses: the base is 0, then the latest type 04
 * record with 2 data bytes makes it their value times 65536, a type 02 one times 16; data byte
 * i of a type 00 record lies at base + offset + i, under a type 02 record at base + (offset + i)
 * mod 65536. A checksum or byte written takes the record's case, else that of the record before
 * it as found, else upper case.
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
                                                 // "LINE malformed LENGTH NOT-DIGIT ASKED",
                                                 // "LINE line end" (patching only)
    bool lastRecordOpen = false;                 // the last line is a record without a line end
};
Patched Patch(const std::string &file);

// The strict check's findings in line order, each "LINE KIND TYPE COUNT OTHER ADDRESS" (kinds as
// core/structure_check.h numbers them; fields as it fills them; decimal).
std::vector<std::string> Structure(const std::string &file);

// The first line before the first end-of-file record that makes the image unknown: one that
// starts with ":" after blanks and tabs but holds no record, or a type 02 or 04 record of a
// byte count other than 2; 0 when there is none.
int64_t UnknownLine(const std::string &file);

// Every data byte: its address and the lines of the records that hold it.
std::map<uint64_t, std::vector<int64_t>> Holders(const std::string &file);

// Every data byte up to the first end-of-file record: its address, and the line and value of
// each record that holds it, in line order.
std::map<uint64_t, std::vector<std::pair<int64_t, uint8_t>>> Image(const std::string &file);

// --set: the refusal ("unknown LINE" for an unknown image, else "ADDRESS FIRST-LINE SECOND-LINE
// LATE-LINE", 0 for none; "" when set), else the file with the bytes set and every checksum
// right, and each stretch set ("LINE FROM LAST"). Records after the first end-of-file record
// hold no address; a byte that no record holds names the first record after it that would.
struct SetResult {
    std::string refusal, out;
    std::vector<std::string> stretches;
};
SetResult Set(const std::string &file, const std::map<uint64_t, uint8_t> &bytes);

// Address records (02, 04; sometimes past 4 GiB), data records of 1 to 32 bytes that meet,
// overlap or leave gaps, end-of-file records, types 03, 05 and unknown ones, byte counts right
// and wrong, address fields other than 0000 in 02 and 04, text and blank lines, comments, upper or
// lower case, LF or CR LF, sometimes a byte-order mark.
std::string RandomLayout(std::mt19937 &rng);

} // namespace model
