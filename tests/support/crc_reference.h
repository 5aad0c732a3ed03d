// SPDX-License-Identifier: MIT
/*
 * The tests' checksums, apart from the product: a CRC from the catalogue's parameters (width
 * up to 32 bits, poly, init, refin, refout, xorout) one bit at a time; a byte sum modulo 2^bits;
 * and the catalogue's entries of the algorithms the tool knows.
 */
#pragma once

#include <cstdint>
#include <string>

namespace reference {

struct CrcModel {
    int bits;
    uint32_t poly = 0, init = 0; // poly 0: a byte sum
    bool refIn = false, refOut = false;
    uint32_t xorOut = 0;
};

uint32_t Checksum(const CrcModel &model, const std::string &bytes);

// The tool's algorithms in its order (none first: "" and a byte sum), each with its names
// ("" for none), the catalogue's parameters and the check value over "123456789".
struct CatalogueEntry {
    const char *shortName, *catalogueName;
    CrcModel model;
    uint32_t check;
};
extern const CatalogueEntry CATALOGUE[8];

} // namespace reference
