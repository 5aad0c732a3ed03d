// SPDX-License-Identifier: MIT
/*
 * The tests' checksums, apart from the product: a CRC from the catalogue's parameters (width
 * up to 64 bits, poly, init, refin, refout, xorout) one bit at a time; a sum modulo 2^bits; both
 * over words of 1, 2 or 4 bytes in either order (a CRC takes each word's bytes most significant
 * first, a sum adds the words, a trailing part of a word counts for nothing), a sum negated or
 * not; the text the tool reads for a model; and the catalogue's entries of the algorithms the
 * tool names.
 */
#pragma once

#include <cstdint>
#include <string>

namespace reference {

struct CrcModel {
    int bits;
    uint64_t poly = 0, init = 0; // poly 0: a sum
    bool refIn = false, refOut = false;
    uint64_t xorOut = 0;
    int wordSize = 1;
    bool wordsBigEndian = false, negated = false;
};

uint64_t Checksum(const CrcModel &model, const std::string &bytes);
// crc-W/poly=0x.../init=0x.../xorout=0x.../refin/refout (those that are not 0 or off), or sumW,
// then the word form and /neg.
std::string AlgorithmText(const CrcModel &model);

// The algorithms the tool names, each with its names, the catalogue's parameters and the check
// value over "123456789".
struct CatalogueEntry {
    const char *shortName, *catalogueName; // "" for the sums' catalogue name
    CrcModel model;
    uint64_t check;
};
inline constexpr int CATALOGUE_SIZE = 14;
extern const CatalogueEntry CATALOGUE[CATALOGUE_SIZE];

} // namespace reference
