#include "core/checksum.h"

#include "runtime/strings.h"

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

// Independent reference: reads digits by their byte values, straight from the line.
int RefNibble(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int RefPair(const std::string &line, size_t pos0) { // pos0: 0-based index of the pair
    int value = 0;
    for (size_t k = pos0; k < pos0 + 2 && k < line.size(); ++k) {
        int n = RefNibble(static_cast<unsigned char>(line[k]));
        if (n >= 0) value = value * 16 + n;
    }
    return value;
}

std::string RefComplete(const std::string &line) {
    int count = RefPair(line, 1);
    unsigned sum = static_cast<unsigned>(count);
    for (int i = 0; i < count + 3; ++i)
        sum += static_cast<unsigned>(RefPair(line, 3 + 2 * i));
    unsigned checksum = (0x100u - (sum & 0xFFu)) & 0xFFu;
    static const char HEX[] = "0123456789ABCDEF";
    std::string kept = line.size() >= 4 ? line.substr(0, line.size() - 4) : "";
    return kept + HEX[checksum >> 4] + HEX[checksum & 15];
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
        EXPECT_EQ(Complete(line), RefComplete(line));
        std::string shortLine = line.substr(0, 40) + "\r\n";
        EXPECT_EQ(Complete(shortLine), RefComplete(shortLine));
    }
}

// Many generated lines, well-formed and not, against the reference above.
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
        ASSERT_EQ(Complete(line), RefComplete(line)) << line;
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
