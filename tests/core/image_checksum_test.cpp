// SPDX-License-Identifier: MIT
// Checksums over bytes and fill runs, against the catalogue's check values and an independent
// bit-at-a-time reference (tests/support/crc_reference.h).
#include "app/values.h"
#include "core/image_checksum.h"

#include "tests/support/crc_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
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
                ValueBytes(ValueOfNumber(c.check, width), read.algorithm, bigEndian, out);
                ChecksumValue back = StoredBytesValue(out, read.algorithm, bigEndian);
                EXPECT_TRUE(SameValue(back, ValueOfNumber(c.check, width))) << name;
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
}

// The public CRC catalogue's entries of 8, 16, 32 and 64 bits: its names and aliases, and the
// check value over "123456789" of each.
const struct {
    const char *names; // "|" between them
    uint64_t check;
} CRC_CATALOGUE[] = {
    {"CRC-8/AUTOSAR", 0xDF},
    {"CRC-8/BLUETOOTH", 0x26},
    {"CRC-8/CDMA2000", 0xDA},
    {"CRC-8/DARC", 0x15},
    {"CRC-8/DVB-S2", 0xBC},
    {"CRC-8/GSM-A", 0x37},
    {"CRC-8/GSM-B", 0x94},
    {"CRC-8/HITAG", 0xB4},
    {"CRC-8/I-432-1|CRC-8/ITU", 0xA1},
    {"CRC-8/I-CODE", 0x7E},
    {"CRC-8/LTE", 0xEA},
    {"CRC-8/MAXIM-DOW|CRC-8/MAXIM|DOW-CRC", 0xA1},
    {"CRC-8/MIFARE-MAD", 0x99},
    {"CRC-8/NRSC-5", 0xF7},
    {"CRC-8/OPENSAFETY", 0x3E},
    {"CRC-8/ROHC", 0xD0},
    {"CRC-8/SAE-J1850", 0x4B},
    {"CRC-8/SMBUS|CRC-8|crc8", 0xF4},
    {"CRC-8/TECH-3250|CRC-8/AES|CRC-8/EBU", 0x97},
    {"CRC-8/WCDMA", 0x25},
    {"CRC-16/ARC|ARC|CRC-16|CRC-16/LHA|CRC-IBM|crc16-arc", 0xBB3D},
    {"CRC-16/CDMA2000", 0x4C06},
    {"CRC-16/CMS", 0xAEE7},
    {"CRC-16/DDS-110", 0x9ECF},
    {"CRC-16/DECT-R|R-CRC-16", 0x007E},
    {"CRC-16/DECT-X|X-CRC-16", 0x007F},
    {"CRC-16/DNP", 0xEA82},
    {"CRC-16/EN-13757", 0xC2B7},
    {"CRC-16/GENIBUS|CRC-16/DARC|CRC-16/EPC|CRC-16/EPC-C1G2|CRC-16/I-CODE", 0xD64E},
    {"CRC-16/GSM", 0xCE3C},
    {"CRC-16/IBM-3740|CRC-16/AUTOSAR|CRC-16/CCITT-FALSE|crc16-ccitt", 0x29B1},
    {"CRC-16/IBM-SDLC|CRC-16/ISO-HDLC|CRC-16/ISO-IEC-14443-3-B|CRC-16/X-25|CRC-B|X-25", 0x906E},
    {"CRC-16/ISO-IEC-14443-3-A|CRC-A", 0xBF05},
    {"CRC-16/KERMIT|CRC-16/BLUETOOTH|CRC-16/CCITT|CRC-16/CCITT-TRUE|CRC-16/V-41-LSB|CRC-CCITT|"
     "KERMIT|crc16-kermit",
     0x2189},
    {"CRC-16/LJ1200", 0xBDF4},
    {"CRC-16/M17", 0x772B},
    {"CRC-16/MAXIM-DOW|CRC-16/MAXIM", 0x44C2},
    {"CRC-16/MCRF4XX", 0x6F91},
    {"CRC-16/MODBUS|MODBUS|crc16-modbus", 0x4B37},
    {"CRC-16/NRSC-5", 0xA066},
    {"CRC-16/OPENSAFETY-A", 0x5D38},
    {"CRC-16/OPENSAFETY-B", 0x20FE},
    {"CRC-16/PROFIBUS|CRC-16/IEC-61158-2", 0xA819},
    {"CRC-16/RIELLO", 0x63D0},
    {"CRC-16/SPI-FUJITSU|CRC-16/AUG-CCITT", 0xE5CC},
    {"CRC-16/T10-DIF", 0xD0DB},
    {"CRC-16/TELEDISK", 0x0FB3},
    {"CRC-16/TMS37157", 0x26B1},
    {"CRC-16/UMTS|CRC-16/BUYPASS|CRC-16/VERIFONE", 0xFEE8},
    {"CRC-16/USB", 0xB4C8},
    {"CRC-16/XMODEM|CRC-16/ACORN|CRC-16/LTE|CRC-16/V-41-MSB|XMODEM|ZMODEM|crc16-xmodem", 0x31C3},
    {"CRC-32/AIXM|CRC-32Q", 0x3010BF7F},
    {"CRC-32/AUTOSAR", 0x1697D06A},
    {"CRC-32/BASE91-D|CRC-32D", 0x87315576},
    {"CRC-32/BZIP2|CRC-32/AAL5|CRC-32/DECT-B|B-CRC-32|crc32-bzip2", 0xFC891918},
    {"CRC-32/CD-ROM-EDC", 0x6EC2EDC4},
    {"CRC-32/CKSUM|CKSUM|CRC-32/POSIX", 0x765E7680},
    {"CRC-32/ISCSI|CRC-32/BASE91-C|CRC-32/CASTAGNOLI|CRC-32/INTERLAKEN|CRC-32C|CRC-32/NVME|crc32c",
     0xE3069283},
    {"CRC-32/ISO-HDLC|CRC-32|CRC-32/ADCCP|CRC-32/V-42|CRC-32/XZ|PKZIP|crc32", 0xCBF43926},
    {"CRC-32/JAMCRC|JAMCRC", 0x340BC6D9},
    {"CRC-32/MEF", 0xD2C22F51},
    {"CRC-32/MPEG-2|crc32-mpeg2", 0x0376E6E7},
    {"CRC-32/XFER|XFER", 0xBD0BE338},
    {"CRC-64/ECMA-182|CRC-64", 0x6C40DF5F0B497347},
    {"CRC-64/GO-ISO", 0xB90956C775A41001},
    {"CRC-64/MS", 0x75D4B74F024ECEEA},
    {"CRC-64/NVME", 0xAE8B14860A799888},
    {"CRC-64/REDIS", 0xE9C6D914C4B8D9CA},
    {"CRC-64/WE", 0x62EC59E3F1A4F00A},
    {"CRC-64/XZ|CRC-64/GO-ECMA|crc64", 0x995DC9BBDF1939FA},
};

// Every name and alias, as given, in lower and in upper case, reads as a CRC of the check value,
// and every CRC the tool knows by name is in the catalogue under the name it gives.
TEST(ImageChecksum, TheWholeCrcCatalogue) {
    std::set<std::string> known;
    for (const auto &entry : CRC_CATALOGUE) {
        std::string names = entry.names;
        for (size_t at = 0, end; at < names.size(); at = end + 1) {
            end = std::min(names.find('|', at), names.size());
            std::string name = names.substr(at, end - at), lower = name, upper = name;
            known.insert(name);
            for (char &letter : lower)
                letter = static_cast<char>(std::tolower(letter));
            for (char &letter : upper)
                letter = static_cast<char>(std::toupper(letter));
            for (const std::string &spelled : {name, lower, upper}) {
                Read read = ReadText(spelled);
                ASSERT_EQ(read.result, ALGORITHM_READ) << spelled;
                EXPECT_EQ(read.algorithm.kind, CHECKSUM_CRC) << spelled;
                EXPECT_EQ(Over(read.algorithm, "123456789"), entry.check) << spelled;
                EXPECT_EQ(ChecksumWidth(read.algorithm), std::atoi(entry.names + 4) / 8)
                    << spelled; // (CRC-W/...)
            }
        }
    }
    int32_t crcs = 0;
    ChecksumAlgorithm algorithm{};
    char name[MOST_NAME_LENGTH];
    int32_t length = 0;
    for (int32_t k = 0; KnownAlgorithm(k, algorithm, name, &length); ++k)
        if (algorithm.kind == CHECKSUM_CRC) {
            ++crcs;
            EXPECT_TRUE(known.count(std::string(name, static_cast<size_t>(length))))
                << std::string(name, static_cast<size_t>(length));
        }
    EXPECT_EQ(crcs, static_cast<int32_t>(std::size(CRC_CATALOGUE)));
}

// SHA-256 and SHA-512 by the system's cryptography: the published test vectors ("abc", the empty
// message, 448 bits over two blocks, a million "a" in uneven pieces) and fill runs alike.
TEST(ImageChecksum, DigestsOfTheSystem) {
    const struct {
        const char *name;
        std::string message;
        const char *digest;
    } VECTORS[] = {
        {"sha256", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"SHA-256", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"sha256", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"sha256", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"sha512", "abc",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c2"
         "3a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        {"SHA-512", "",
         "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d"
         "2877eec2f63b931bd47417a81a538327af927da3e"},
    };
    for (const auto &v : VECTORS) {
        Read read = ReadText(v.name);
        ASSERT_EQ(read.result, ALGORITHM_READ) << v.name;
        ASSERT_EQ(read.algorithm.kind, CHECKSUM_DIGEST);
        for (bool asFill : {false, true}) {
            if (asFill && v.message.find_first_not_of('a') != std::string::npos) continue;
            ImageChecksum sum;
            BeginImageChecksum(sum, read.algorithm);
            const auto *bytes = reinterpret_cast<const uint8_t *>(v.message.data());
            for (size_t at = 0, piece = 1; at < v.message.size();
                 at += piece, piece = piece * 3 + 1)
                if (asFill)
                    AddImageFill(sum, 'a', std::min(piece, v.message.size() - at));
                else
                    AddImageBytes(sum, bytes + at,
                                  static_cast<ptrdiff_t>(std::min(piece, v.message.size() - at)));
            ChecksumValue value = EndImageValue(sum);
            std::string hex;
            for (int32_t k = 0; k < value.width; ++k)
                hex += "0123456789abcdef"[value.bytes[k] >> 4],
                    hex += "0123456789abcdef"[value.bytes[k] & 15];
            EXPECT_EQ(hex, v.digest) << v.name << " of " << v.message.size() << " bytes";
            EXPECT_EQ(ChecksumWidth(read.algorithm), static_cast<int32_t>(hex.size() / 2));
        }
    }
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
        {"CRC-16/CCITT", ALGORITHM_READ, ""},
        {"CRC-16/ARC/refin", ALGORITHM_UNKNOWN, ""},
        {"crc-16/refin", ALGORITHM_UNKNOWN, ""},
        {"sha256/w32le", ALGORITHM_UNKNOWN, ""},
        {"SHA-512/neg", ALGORITHM_UNKNOWN, ""},
        {"sha384", ALGORITHM_UNKNOWN, ""},
        {"crc32/", ALGORITHM_UNKNOWN, ""},
        {"crc32/refin", ALGORITHM_UNKNOWN, ""},
        {"crc32/w16le/w32le", ALGORITHM_UNKNOWN, ""},
        {"crc-16", ALGORITHM_READ, ""},
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
