#include "core/record.h"

#include "core/checksum.h"
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

} // namespace
