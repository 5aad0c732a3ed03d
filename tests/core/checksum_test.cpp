#include "core/checksum.h"

#include "runtime/strings.h"

#include "tests/support/reference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Complete(const std::string &line) {
    int32_t start = WorkspacePosition();
    const char *result = CompleteRecordChecksum(line.c_str(), start);
    std::string text = result;
    EXPECT_EQ(WorkspacePosition(), start + static_cast<int32_t>(text.size()));
    SetWorkspacePosition(start);
    return text;
}

TEST(Checksum, HexPairValue) {
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

TEST(Checksum, KnownRecords) {
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
TEST(Checksum, LargestByteCounts) {
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
TEST(Checksum, RandomizedAgainstReference) {
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
TEST(Checksum, ArgumentInsideWorkspace) {
    int32_t start = WorkspacePosition();
    AppendString(":0000000100\r\n");
    const char *result = CompleteRecordChecksum(WorkspaceAt(start), start);
    EXPECT_STREQ(result, ":00000001FF");
    EXPECT_EQ(WorkspacePosition(), start + 11);
    SetWorkspacePosition(start);
}

} // namespace
