// SPDX-License-Identifier: MIT
// Checksums over bytes and fill runs, against the catalogue's check values and an independent
// bit-at-a-time reference (tests/support/crc_reference.h).
#include "app/values.h"
#include "core/image_checksum.h"

#include "tests/support/crc_reference.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

namespace {

using Case = reference::CatalogueEntry;
const auto &CASES = reference::CATALOGUE;

// The algorithm a text reads as, and what the reading gave (with the stretch, when too wide).
struct Read {
    AlgorithmRead result;
    ChecksumAlgorithm algorithm;
    std::string stretch;
};

Read ReadText(const std::string &text) {
    Read read{};
    int32_t start = 0, length = 0;
    read.result = ReadChecksumAlgorithm(text.data(), static_cast<int32_t>(text.size()),
                                        read.algorithm, &start, &length);
    if (read.result == ALGORITHM_TOO_WIDE) read.stretch = text.substr(start, length);
    return read;
}

uint64_t Over(const ChecksumAlgorithm &algorithm, const std::string &bytes) {
    ImageChecksum sum;
    BeginImageChecksum(sum, algorithm);
    AddImageBytes(sum, reinterpret_cast<const uint8_t *>(bytes.data()),
                  static_cast<int64_t>(bytes.size()));
    return EndImageChecksum(sum);
}

// Each algorithm by its short name in either case, its catalogue name in either case and its
// parameters: its width, check value, and the value's bytes in both orders.
TEST(ImageChecksum, NamesWidthsAndCheckValues) {
    for (const Case &c : CASES) {
        std::string lower = c.catalogueName, upper = c.shortName;
        for (char &letter : lower)
            letter = static_cast<char>(std::tolower(letter));
        for (char &letter : upper)
            letter = static_cast<char>(std::toupper(letter));
        for (const std::string &name :
             {std::string(c.shortName), upper, lower, std::string(c.catalogueName),
              reference::AlgorithmText(c.model)}) {
            if (name.empty()) continue;
            Read read = ReadText(name);
            ASSERT_EQ(read.result, ALGORITHM_READ) << name;
            int32_t width = c.model.bits / 8;
            EXPECT_EQ(ChecksumWidth(read.algorithm), width) << name;
            EXPECT_EQ(Over(read.algorithm, "123456789"), c.check) << name;
            EXPECT_EQ(reference::Checksum(c.model, "123456789"), c.check) << c.shortName;
            for (bool bigEndian : {false, true}) {
                uint8_t out[9] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
                ChecksumBytes(c.check, width, bigEndian, out);
                for (int32_t k = 0; k < 9; ++k)
                    EXPECT_EQ(out[k], k >= width
                                          ? 0xAA
                                          : c.check >> 8 * (bigEndian ? width - 1 - k : k) & 0xFF);
            }
        }
    }
    reference::CrcModel words{16, 0x1021, 0xFFFF};
    words.wordSize = 4;
    EXPECT_EQ(Over(ReadText("Crc-16/Ccitt-False/w32le").algorithm, "12345678"),
              reference::Checksum(words, "12345678"));
    EXPECT_EQ(ChecksumWidth(ChecksumAlgorithm{}), 0);
    EXPECT_EQ(Over(ChecksumAlgorithm{}, "123"), 0u);
    uint8_t out[8];
    ChecksumBytes(0x0102030405060708, 9, true, out); // no more than eight bytes
    EXPECT_TRUE(out[0] == 1 && out[7] == 8);
}

// What is not an algorithm, and why; a short name in upper case is one.
TEST(ImageChecksum, TextsThatAreNoAlgorithm) {
    const struct {
        const char *text;
        AlgorithmRead result;
        const char *stretch;
    } CASES_READ[] = {
        {"CRC32", ALGORITHM_READ, ""},
        {"CRC32/REFIN", ALGORITHM_UNKNOWN, ""},
        {"SUM8/NEG/Neg", ALGORITHM_UNKNOWN, ""},
        {"CRC-16/POLY=0X18005", ALGORITHM_TOO_WIDE, "0X18005"},
        {"Crc32/Neg", ALGORITHM_NEGATED_CRC, ""},
        {"CRC-16/CCITT", ALGORITHM_UNKNOWN, ""},
        {"crc32/", ALGORITHM_UNKNOWN, ""},
        {"crc32/refin", ALGORITHM_UNKNOWN, ""},
        {"crc32/w16le/w32le", ALGORITHM_UNKNOWN, ""},
        {"crc-16", ALGORITHM_UNKNOWN, ""},
        {"crc-016/poly=0x8005", ALGORITHM_UNKNOWN, ""},
        {"crc-16/poly=8005", ALGORITHM_UNKNOWN, ""},
        {"crc-16/poly=0x", ALGORITHM_UNKNOWN, ""},
        {"crc-16/poly=0x80G5", ALGORITHM_UNKNOWN, ""},
        {"crc-16/poly=0x8005/refin/refin", ALGORITHM_UNKNOWN, ""},
        {"crc-16/poly=0x18005", ALGORITHM_TOO_WIDE, "0x18005"},
        {"crc-64/poly=0x1B/init=0x10000000000000000", ALGORITHM_TOO_WIDE, "0x10000000000000000"},
        {"crc32/neg", ALGORITHM_NEGATED_CRC, ""},
        {"crc-8/poly=0x07/neg/bad", ALGORITHM_NEGATED_CRC, ""},
    };
    for (const auto &c : CASES_READ) {
        Read read = ReadText(c.text);
        EXPECT_EQ(read.result, c.result) << c.text;
        EXPECT_EQ(read.stretch, c.stretch) << c.text;
    }
    ChecksumAlgorithm algorithm{};
    int32_t start = 0, length = 0;
    EXPECT_EQ(ReadChecksumAlgorithm("crc32:0-9@10", 5, algorithm, &start, &length), ALGORITHM_READ);
}

// Random parameters of every width, both reflections, every word form, sums negated or not (the
// catalogue's first), read from their text (every third in upper case): random bytes in random
// pieces, and fill runs up to 200000 bytes long (for the byte sums also with 2^32 more, which
// leaves every sum as it was), give the reference's value of the whole.
TEST(ImageChecksum, PiecesAndFillRunsAsTheReference) {
    std::mt19937_64 random(20240611);
    std::string bytes(4096, 0);
    for (char &byte : bytes)
        byte = static_cast<char>(random());
    for (int model = 0; model < 200; ++model) {
        reference::CrcModel m{8};
        if (model < reference::CATALOGUE_SIZE) {
            m = CASES[model].model;
        } else {
            m.bits = 8 << random() % 4;
            uint64_t ones = ~uint64_t{0} >> (64 - m.bits);
            bool crc = random() % 4 != 0;
            m.poly = crc ? (random() | 1) & ones : 0;
            m.bits = crc ? m.bits : 8 << random() % 3;
            m.init = crc && random() % 2 ? random() & ones : 0;
            m.xorOut = crc && random() % 2 ? random() & ones : 0;
            m.refIn = crc && random() % 2;
            m.refOut = crc && random() % 2;
            m.negated = !crc && random() % 2;
            m.wordSize = 1 << random() % 3;
            m.wordsBigEndian = random() % 2;
        }
        std::string text = reference::AlgorithmText(m);
        for (char &letter : text)
            letter = static_cast<char>(model % 3 == 1 ? std::toupper(letter) : letter);
        Read read = ReadText(text);
        ASSERT_EQ(read.result, ALGORITHM_READ) << text;
        ImageChecksum sum;
        BeginImageChecksum(sum, read.algorithm);
        std::string image;
        for (uint64_t piece = random() % 12; piece > 0; --piece) {
            size_t length = random() % (random() % 8 ? 100 : 4000), at = random() % 96;
            auto fill = static_cast<uint8_t>(random() % 3 ? 0xFF : random());
            if (random() % 2) {
                AddImageBytes(sum, reinterpret_cast<uint8_t *>(&bytes[at]),
                              static_cast<int64_t>(length));
                image += bytes.substr(at, length);
                continue;
            }
            length = random() % 8 ? length : random() % 200000;
            AddImageFill(sum, fill, length + (m.poly || m.wordSize > 1 ? 0 : uint64_t{1} << 32));
            image.append(length, static_cast<char>(fill));
        }
        ASSERT_EQ(EndImageChecksum(sum), reference::Checksum(m, image)) << text;
    }
}

} // namespace
