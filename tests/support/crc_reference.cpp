// SPDX-License-Identifier: MIT
#include "tests/support/crc_reference.h"

namespace reference {

constexpr uint32_t ONES = 0xFFFFFFFF;
const CatalogueEntry CATALOGUE[8] = {
    {"", "", {8}, 0},
    {"crc32", "CRC-32/ISO-HDLC", {32, 0x04C11DB7, ONES, true, true, ONES}, 0xCBF43926},
    {"crc32-mpeg2", "CRC-32/MPEG-2", {32, 0x04C11DB7, ONES}, 0x0376E6E7},
    {"crc16-xmodem", "CRC-16/XMODEM", {16, 0x1021}, 0x31C3},
    {"crc16-ccitt", "CRC-16/IBM-3740", {16, 0x1021, 0xFFFF}, 0x29B1},
    {"sum8", "", {8}, 0xDD},
    {"sum16", "", {16}, 0x01DD},
    {"sum32", "", {32}, 0x000001DD},
};

// Each byte's bits enter at the register's top, most significant first (least when refIn).
uint32_t Checksum(const CrcModel &model, const std::string &bytes) {
    uint64_t top = uint64_t{1} << (model.bits - 1), crc = model.init, sum = 0, out = 0;
    for (unsigned char byte : bytes) {
        sum += byte;
        for (int k = 0; k < 8; ++k) {
            bool feedback = ((crc & top) != 0) != (byte >> (model.refIn ? k : 7 - k) & 1);
            crc = (crc << 1 & (2 * top - 1)) ^ (feedback ? model.poly : 0);
        }
    }
    for (int k = 0; k < model.bits; ++k)
        out |= (crc >> k & 1) << (model.refOut ? model.bits - 1 - k : k);
    return model.poly ? static_cast<uint32_t>(out ^ model.xorOut)
                      : static_cast<uint32_t>(sum & (2 * top - 1));
}

} // namespace reference
