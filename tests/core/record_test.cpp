// SPDX-License-Identifier: MIT
#include "core/record.h"
#include "core/record_sum.h"

#include "runtime/strings.h"

#include "tests/support/reference.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

namespace {

struct Shape {
    RecordShape shape;
    std::string digits; // the checksum's two digits when a record
};

Shape Classify(const std::string &line) {
    uint8_t checksum = 0;
    RecordShape shape = ClassifyRecord(line.data(), static_cast<int64_t>(line.size()), &checksum);
    char digits[2];
    ChecksumDigits(checksum, digits);
    return {shape, shape == NOT_A_RECORD ? "" : std::string(digits, 2)};
}

std::string Pairs(int count, char digit) {
    return std::string(static_cast<size_t>(2 * count), digit);
}

TEST(Record, ShapesOfKnownLines) {
    const struct {
        std::string line;
        RecordShape shape;
        const char *digits;
    } cases[] = {
        {":00000001FF", RECORD_WITH_CHECKSUM, "FF"},
        {":0000000100", RECORD_WITH_CHECKSUM, "FF"}, // a wrong checksum field is still a record
        {":00000001", RECORD_WITHOUT_CHECKSUM, "FF"},
        {":02000004ffff", RECORD_WITHOUT_CHECKSUM, "FC"},
        {":02000004ffffFC", RECORD_WITH_CHECKSUM, "FC"},
        {":01000000F1", RECORD_WITHOUT_CHECKSUM, "0E"},
        {":FF000000" + Pairs(255, '0'), RECORD_WITHOUT_CHECKSUM, "01"},
        {":FF000000" + Pairs(255, '0') + "00", RECORD_WITH_CHECKSUM, "01"},
        {":FF000000" + Pairs(257, '0'), NOT_A_RECORD, ""}, // longer than any record
        {"", NOT_A_RECORD, ""},
        {":", NOT_A_RECORD, ""},
        {":00000001F", NOT_A_RECORD, ""}, // between the two lengths
        {":00000001FF0", NOT_A_RECORD, ""},
        {":0000000G", NOT_A_RECORD, ""},
        {":00000001FG", NOT_A_RECORD, ""}, // the checksum field must be digits too
        {":00000001 F", NOT_A_RECORD, ""},
        {";00000001FF", NOT_A_RECORD, ""},
        {" :00000001FF", NOT_A_RECORD, ""},
        {":G0000001FF", NOT_A_RECORD, ""}, // no byte count
    };
    for (const auto &c : cases) {
        Shape got = Classify(c.line);
        EXPECT_EQ(got.shape, c.shape) << c.line;
        EXPECT_EQ(got.digits, c.digits) << c.line;
    }
}

// Random lines of both shapes, some spoiled by one character or one length step: shape and
// checksum as the tests' reference rule (tests/support/reference.h) has them.
TEST(Record, RandomizedAgainstReference) {
    std::mt19937 rng(99);
    for (int round = 0; round < 20000; ++round) {
        const char *digits = rng() % 2 ? "0123456789abcdef" : "0123456789ABCDEF";
        int count = static_cast<int>(rng() % 256);
        bool withChecksum = rng() % 2 == 0;
        std::string line = ":";
        line += digits[count >> 4];
        line += digits[count & 15];
        for (int k = 0; k < 2 * count + (withChecksum ? 8 : 6); ++k)
            line += digits[rng() % 16];
        int spoil = static_cast<int>(rng() % 8);
        if (spoil == 0) line[1 + rng() % (line.size() - 1)] = "g: \x80/@G"[rng() % 7];
        if (spoil == 1) line.pop_back();
        if (spoil == 2) line += digits[rng() % 16];

        static const RecordShape SHAPES[] = {NOT_A_RECORD, RECORD_WITH_CHECKSUM,
                                             RECORD_WITHOUT_CHECKSUM};
        RecordShape expected = SHAPES[reference::ShapeOf(line)];
        Shape got = Classify(line);
        ASSERT_EQ(got.shape, expected) << line;
        if (expected != NOT_A_RECORD) {
            ASSERT_EQ(got.digits, reference::RightDigits(line)) << line;
        }
    }
}

std::string Complete(const std::string &line) {
    int32_t start = WorkspacePosition();
    const char *result = CompleteRecordChecksum(line.c_str(), start);
    std::string text = result;
    EXPECT_EQ(WorkspacePosition(), start + static_cast<int32_t>(text.size()));
    SetWorkspacePosition(start);
    return text;
}

// The walk's reading of whole records, sixteen digits at a time where the processor can: every
// byte count, digits of either case, only letters (up to 33 at one place of the sixteen) or none,
// and a character that is no digit at any place (bytes that differ from digits by one bit among
// them), against the reference.
TEST(Record, DigitsSummedAsTheReference) {
    std::mt19937 rng(1729);
    const char notDigits[] = {':', '/', '@', 'G', '`', 'g', '\x10', '\x19', '\xB0', ' '};
    for (int count = 0; count < 256; ++count) {
        for (int round = 0; round < 8; ++round) {
            const char *digits = round % 4 == 0 ? "0123456789abcdef" : "0123456789ABCDEF";
            std::string line = ":";
            line += digits[count >> 4];
            line += digits[count & 15];
            for (int k = 0; k < 2 * count + 6; ++k) // address, type and data
                line += digits[round % 4 == 3   ? rng() % 10
                               : round % 4 == 2 ? 10 + rng() % 6
                                                : rng() % 16];
            line += reference::RightDigits(line);
            if (round % 2) line.back() = line.back() == '0' ? '1' : '0'; // a wrong checksum
            auto length = static_cast<int32_t>(line.size());
            uint8_t total = 0, sum = 0;
            const char *digitSet = nullptr;
            ASSERT_TRUE(RecordDigitsSum(line.c_str(), length, &total, &digitSet)) << line;
            ASSERT_EQ(RecordSum(line.c_str(), length, &sum), length);
            ASSERT_EQ(total, sum) << line;
            ASSERT_EQ(total != 0, round % 2 == 1) << line;
            if (total) {
                ASSERT_EQ(digitSet, RecordCase(line.c_str(), length)) << line;
            }
            line[1 + rng() % (length - 1)] = notDigits[rng() % sizeof notDigits];
            ASSERT_FALSE(RecordDigitsSum(line.c_str(), length, &total, &digitSet)) << line;
        }
    }
}

TEST(LenientCompletion, HexPairValue) {
    const std::pair<const char *, int> cases[] = {{"00", 0},
                                                  {"FF", 255},
                                                  {"ff", 255},
                                                  {"a0", 160},
                                                  {"G5", 5},
                                                  {"5G", 5},
                                                  {" 7", 7},
                                                  {"x", 0},
                                                  {"", 0},
                                                  {"7", 7},
                                                  {"123", 18},
                                                  {"F", 15},
                                                  {"\xFC"
                                                   "1",
                                                   1}};
    for (auto [pair, value] : cases)
        EXPECT_EQ(HexPairValue(pair), value) << pair;
    EXPECT_EQ(HexPairValue(nullptr), 0);
}

TEST(LenientCompletion, KnownRecords) {
    const std::pair<const char *, const char *> cases[] = {
        {":00000001FF\r\n", ":00000001FF"},
        {":0000000100\r\n", ":00000001FF"},
        {":10010000214601360121470136007EFE09D2190140\r\n",
         ":10010000214601360121470136007EFE09D2190140"},
        {":02000004ffff00\r\n", ":02000004ffffFC"},
        {":01000000F100\r\n", ":01000000F10E"},
        {":\r\n", "00"},
        {":", "00"},
        {"", "00"},
        {":0300000001\r\n", ":03000000FC"}, // claims three data pairs, holds none: they count 0
    };
    for (auto [line, expected] : cases)
        EXPECT_EQ(Complete(line), expected) << line;
}

// Count fields FE and FF still get all their count + 3 pairs, the missing ones as 0.
TEST(LenientCompletion, LargestByteCounts) {
    for (int count : {254, 255}) {
        std::string line = ":" + std::string(count == 254 ? "FE" : "FF") + "123400";
        for (int i = 0; i < count; ++i)
            line += (i % 2) ? "A5" : "3c";
        line += "00\r\n";
        EXPECT_EQ(Complete(line), reference::Complete(line));
        std::string shortLine = line.substr(0, 40) + "\r\n";
        EXPECT_EQ(Complete(shortLine), reference::Complete(shortLine));
    }
}

// Many generated lines, well-formed and not, against the reference (tests/support/reference.h).
TEST(LenientCompletion, RandomizedAgainstReference) {
    std::mt19937 rng(20261208);
    const std::string alphabet = "0123456789ABCDEFabcdef:G \r\n\x01\xFF\xE4x";
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        int shape = static_cast<int>(rng() % 4);
        if (shape == 0) { // a proper record with upper- or lower-case digits
            int count = static_cast<int>(rng() % 256);
            static const char *DIGITS[] = {"0123456789ABCDEF", "0123456789abcdef"};
            const char *digits = DIGITS[rng() % 2];
            line = ":";
            for (int i = 0; i < 2 * (count + 4) + 2; ++i)
                line += digits[rng() % 16];
            line[1] = digits[count >> 4];
            line[2] = digits[count & 15];
            line += "\r\n";
        } else {
            int length = static_cast<int>(rng() % (shape == 1 ? 12 : 600));
            for (int i = 0; i < length; ++i)
                line += alphabet[rng() % alphabet.size()];
        }
        ASSERT_EQ(Complete(line), reference::Complete(line)) << line;
    }
}

// The argument may lie in the workspace itself, even where the result goes.
TEST(LenientCompletion, ArgumentInsideWorkspace) {
    int32_t start = WorkspacePosition();
    AppendString(":0000000100\r\n");
    const char *result = CompleteRecordChecksum(WorkspaceAt(start), start);
    EXPECT_STREQ(result, ":00000001FF");
    EXPECT_EQ(WorkspacePosition(), start + 11);
    SetWorkspacePosition(start);
}

// The window's completion: only a well-formed record without its checksum field gets one
// appended; any other text is taken to end in its checksum field. The first line is the record.
TEST(LenientCompletion, CompletesTheFirstLineOfTypedText) {
    const std::pair<const char *, const char *> cases[] = {
        {":00000001", ":00000001FF"},
        {":00000001FF", ":00000001FF"},
        {":0000000100", ":00000001FF"},
        {":02000004ffff", ":02000004ffffFC"},
        {":00000001\r\n:1000", ":00000001FF"},
        {":0000000100\n", ":00000001FF"},
        {":0000000G", ":00000000"}, // no record: its last two characters are the checksum field
        {":", "00"},
        {"", "00"},
    };
    for (auto [field, expected] : cases) {
        WorkspaceScope scope;
        EXPECT_EQ(std::string(CompleteRecordLine(field, scope.Start())), expected) << field;
    }
}

// Typed text of every kind completes as the reference completes its first line: a record without
// its checksum field as if "00" stood there, anything else as it stands.
TEST(LenientCompletion, TypedTextAgainstReference) {
    std::mt19937 rng(424242);
    const std::string alphabet = "0123456789ABCDEFabcdef:G \r\n\x01\xFF\xE4x";
    for (int round = 0; round < 20000; ++round) {
        std::string text = rng() % 2 ? ":" : "";
        unsigned most = rng() % 4 ? 40 : 600; // drawn first: the order is the test's
        int length = static_cast<int>(rng() % most);
        for (int i = 0; i < length; ++i)
            text += rng() % 3 ? "0123456789abcdef"[rng() % 16] : alphabet[rng() % alphabet.size()];
        std::string line = text.substr(0, text.find_first_of("\r\n"));
        bool bare = reference::ShapeOf(line) == reference::WITHOUT_CHECKSUM;
        std::string expected = reference::Complete(line + (bare ? "00\r\n" : "\r\n"));
        WorkspaceScope scope;
        ASSERT_EQ(std::string(CompleteRecordLine(text.c_str(), scope.Start())), expected) << text;
    }
}

} // namespace
