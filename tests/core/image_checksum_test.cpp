// SPDX-License-Identifier: MIT
// Checksums over bytes and fill runs, against the catalogue's check values and an independent
// bit-at-a-time reference (tests/support/crc_reference.h).
#include "core/image_checksum.h"

#include "tests/support/crc_reference.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

namespace {

// In the algorithms' order, CHECKSUM_NONE first.
using Case = reference::CatalogueEntry;
const auto &CASES = reference::CATALOGUE;

ChecksumAlgorithm Named(const std::string &name) {
    return ChecksumAlgorithmNamed(name.data(), static_cast<int32_t>(name.size()));
}

uint32_t Expected(const Case &c, const std::string &bytes) {
    return c.shortName[0] ? reference::Checksum(c.model, bytes) : 0;
}

// Each algorithm's names, width, check value, and the value's bytes in both orders; other names.
TEST(ImageChecksum, NamesWidthsAndCheckValues) {
    for (const Case &c : CASES) {
        auto algorithm = static_cast<ChecksumAlgorithm>(&c - CASES);
        std::string lower = c.catalogueName;
        for (char &letter : lower)
            letter = static_cast<char>(std::tolower(letter));
        for (const std::string &name :
             {std::string(c.shortName), lower, std::string(c.catalogueName)})
            EXPECT_EQ(Named(name), name.empty() ? CHECKSUM_NONE : algorithm) << name;
        int32_t width = algorithm ? c.model.bits / 8 : 0;
        EXPECT_STREQ(ChecksumShortName(algorithm), c.shortName);
        EXPECT_EQ(ChecksumWidth(algorithm), width);
        ImageChecksum sum;
        BeginImageChecksum(sum, algorithm);
        AddImageBytes(sum, reinterpret_cast<const uint8_t *>("123456789"), 9);
        EXPECT_EQ(EndImageChecksum(sum), c.check) << c.shortName;
        EXPECT_EQ(Expected(c, "123456789"), c.check) << c.shortName;
        for (bool bigEndian : {false, true}) {
            uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
            ChecksumBytes(c.check, width, bigEndian, out);
            for (int32_t k = 0; k < 4; ++k)
                EXPECT_EQ(out[k], k >= width
                                      ? 0xAA
                                      : c.check >> 8 * (bigEndian ? width - 1 - k : k) & 0xFF);
        }
    }
    EXPECT_EQ(Named("Crc-16/Ccitt-False"), CHECKSUM_CRC16_CCITT);
    for (const char *name : {"CRC32", "Sum8", "crc3", "CRC-32", "CRC-16/CCITT", "crc32 "})
        EXPECT_EQ(Named(name), CHECKSUM_NONE) << name;
    EXPECT_EQ(Named(std::string("crc32\0", 6)), CHECKSUM_NONE);
    EXPECT_EQ(ChecksumAlgorithmNamed("crc32:0-9@10", 5), CHECKSUM_CRC32);
    uint8_t out[4];
    ChecksumBytes(0xCBF43926, 9, true, out); // no more than four bytes
    EXPECT_TRUE(out[0] == 0xCB && out[1] == 0xF4 && out[2] == 0x39 && out[3] == 0x26);
}

// Random bytes in random pieces, and fill runs up to 200000 bytes long (for the sums also with
// 2^32 more, which leaves every sum as it was), give the reference's value of the whole.
TEST(ImageChecksum, PiecesAndFillRunsAsTheReference) {
    std::mt19937 random(20240611);
    std::string bytes(4096, 0);
    for (char &byte : bytes)
        byte = static_cast<char>(random());
    for (const Case &c : CASES)
        for (int round = 0; round < 60; ++round) {
            ImageChecksum sum;
            BeginImageChecksum(sum, static_cast<ChecksumAlgorithm>(&c - CASES));
            std::string image;
            for (uint32_t piece = random() % 9; piece > 0; --piece) {
                size_t length = random() % (random() % 8 ? 100 : 4000), at = random() % 96;
                auto fill = static_cast<uint8_t>(random() % 3 ? 0xFF : random());
                if (random() % 2) {
                    AddImageBytes(sum, reinterpret_cast<uint8_t *>(&bytes[at]),
                                  static_cast<int64_t>(length));
                    image += bytes.substr(at, length);
                    continue;
                }
                length = random() % 8 ? length : random() % 200000;
                AddImageFill(sum, fill, length + (c.model.poly ? 0 : uint64_t{1} << 32));
                image.append(length, static_cast<char>(fill));
            }
            ASSERT_EQ(EndImageChecksum(sum), Expected(c, image)) << c.shortName << " " << round;
        }
}

} // namespace
