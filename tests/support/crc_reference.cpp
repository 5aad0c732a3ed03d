// SPDX-License-Identifier: MIT
#include "tests/support/crc_reference.h"

namespace reference {

constexpr uint64_t ONES = 0xFFFFFFFF;
const CatalogueEntry CATALOGUE[CATALOGUE_SIZE] = {
    {"crc8", "CRC-8/SMBUS", {8, 0x07}, 0xF4},
    {"crc16-arc", "CRC-16/ARC", {16, 0x8005, 0, true, true}, 0xBB3D},
    {"crc16-ccitt", "CRC-16/IBM-3740", {16, 0x1021, 0xFFFF}, 0x29B1},
    {"crc16-kermit", "CRC-16/KERMIT", {16, 0x1021, 0, true, true}, 0x2189},
    {"crc16-modbus", "CRC-16/MODBUS", {16, 0x8005, 0xFFFF, true, true}, 0x4B37},
    {"crc16-xmodem", "CRC-16/XMODEM", {16, 0x1021}, 0x31C3},
    {"crc32", "CRC-32/ISO-HDLC", {32, 0x04C11DB7, ONES, true, true, ONES}, 0xCBF43926},
    {"crc32c", "CRC-32/ISCSI", {32, 0x1EDC6F41, ONES, true, true, ONES}, 0xE3069283},
    {"crc32-bzip2", "CRC-32/BZIP2", {32, 0x04C11DB7, ONES, false, false, ONES}, 0xFC891918},
    {"crc32-mpeg2", "CRC-32/MPEG-2", {32, 0x04C11DB7, ONES}, 0x0376E6E7},
    {"crc64", "CRC-64/XZ", {64, 0x42F0E1EBA9EA3693, ~0ull, true, true, ~0ull}, 0x995DC9BBDF1939FA},
    {"sum8", "", {8}, 0xDD},
    {"sum16", "", {16}, 0x01DD},
    {"sum32", "", {32}, 0x000001DD},
};

// Each byte's bits enter at the register's top, most significant first (least when refIn).
uint64_t Checksum(const CrcModel &model, const std::string &bytes) {
    std::string fed; // each whole word's bytes, most significant first
    for (size_t at = 0; at + static_cast<size_t>(model.wordSize) <= bytes.size();
         at += static_cast<size_t>(model.wordSize))
        for (int k = 0; k < model.wordSize; ++k)
            fed +=
                bytes[at + static_cast<size_t>(model.wordsBigEndian ? k : model.wordSize - 1 - k)];
    uint64_t top = uint64_t{1} << (model.bits - 1), mask = 2 * top - 1;
    uint64_t crc = model.init, sum = 0, out = 0;
    for (size_t i = 0; i < fed.size(); ++i) {
        auto byte = static_cast<unsigned char>(fed[i]);
        sum += uint64_t{byte} << 8 * (model.wordSize - 1 - static_cast<int>(i) % model.wordSize);
        for (int k = 0; k < 8; ++k) {
            bool feedback = ((crc & top) != 0) != (byte >> (model.refIn ? k : 7 - k) & 1);
            crc = (crc << 1 & mask) ^ (feedback ? model.poly : 0);
        }
    }
    for (int k = 0; k < model.bits; ++k)
        out |= (crc >> k & 1) << (model.refOut ? model.bits - 1 - k : k);
    return model.poly ? out ^ model.xorOut : (model.negated ? 0 - sum : sum) & mask;
}

std::string AlgorithmText(const CrcModel &model) {
    auto hex = [&](uint64_t value) {
        std::string digits;
        for (int k = model.bits / 4 - 1; k >= 0; --k)
            digits += "0123456789ABCDEF"[value >> 4 * k & 15];
        return "0x" + digits;
    };
    std::string text = (model.poly ? "crc-" : "sum") + std::to_string(model.bits);
    if (model.poly) text += "/poly=" + hex(model.poly);
    if (model.init) text += "/init=" + hex(model.init);
    if (model.xorOut) text += "/xorout=" + hex(model.xorOut);
    if (model.refIn) text += "/refin";
    if (model.refOut) text += "/refout";
    if (model.wordSize > 1)
        text += "/w" + std::to_string(8 * model.wordSize) + (model.wordsBigEndian ? "be" : "le");
    return text + (model.negated ? "/neg" : "");
}

} // namespace reference
