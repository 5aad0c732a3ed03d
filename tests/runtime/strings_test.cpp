// SPDX-License-Identifier: MIT
#include "runtime/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs one producer at the current position and returns its result as a std::string; the
// position must end right behind the result, and is set back afterwards.
template <class Producer> std::string Produce(Producer producer) {
    int32_t start = WorkspacePosition();
    const char *result = producer(start);
    std::string text = result;
    EXPECT_EQ(WorkspaceAt(start), result);
    EXPECT_EQ(WorkspacePosition(), start + static_cast<int32_t>(text.size()));
    SetWorkspacePosition(start);
    return text;
}

// Runs first in this executable, while the workspace is as InitStrings left it.
TEST(Strings, FreshWorkspaceGrowsOnlyWhenNeeded) {
    if (WorkspaceCapacity() != 16 || WorkspacePosition() != 0) GTEST_SKIP() << "not fresh";
    char *first = ReserveResult(11, 0);
    std::memcpy(first, "0123456789A", 12);
    EXPECT_EQ(WorkspaceCapacity(), 16);
    EXPECT_EQ(WorkspacePosition(), 11);
    SetWorkspacePosition(0);
    ReserveResult(12, 0);
    EXPECT_EQ(WorkspaceCapacity(), 12 + 16384);
    EXPECT_STREQ(WorkspaceAt(0), "0123456789A"); // kept through the move
    SetWorkspacePosition(0);
}

struct SubstringCase {
    const char *s;
    int32_t start, count;
    const char *expected;
};

TEST(Strings, SubstringAndLeftPartClamp) {
    const SubstringCase cases[] = {
        {"ABCDEF", 3, 2, "CD"},
        {"ABCDEF", 0, 2, "AB"},
        {"ABCDEF", -5, 2, "AB"},
        {"ABCDEF", 6, 5, "F"},
        {"ABCDEF", 7, 1, ""},
        {"ABCDEF", 3, -1, ""},
        {nullptr, 1, 3, ""},
        {"", 1, 3, ""},
        {"ABCDEF", 1, 0x7fffffff, "ABCDEF"},
        {"ABCDEF", 0x7fffffff, 0x7fffffff, ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Produce([&](int32_t r) { return Substring(c.s, c.start, c.count, r); }),
                  c.expected)
            << (c.s ? c.s : "(missing)") << " " << c.start << " " << c.count;
    }
    EXPECT_EQ(Produce([](int32_t r) { return LeftPart("ABC", 10, r); }), "ABC");
    EXPECT_EQ(Produce([](int32_t r) { return LeftPart("ABC", 0, r); }), "");
    EXPECT_EQ(Produce([](int32_t r) { return LeftPart("ABC", -1, r); }), "");
    EXPECT_EQ(Produce([](int32_t r) { return LeftPart(nullptr, 2, r); }), "");
}

TEST(Strings, HexAndDecimalText) {
    const std::pair<int64_t, const char *> hex[] = {{0, "0"},
                                                    {10, "A"},
                                                    {255, "FF"},
                                                    {256, "100"},
                                                    {-1, "FFFFFFFF"},
                                                    {INT32_MIN, "80000000"},
                                                    {0x0F000000, "F000000"}};
    for (const auto &pair : hex) { // (named: some compilers cannot capture structured bindings)
        uint32_t value = static_cast<uint32_t>(pair.first);
        EXPECT_EQ(Produce([&](int32_t r) { return HexText(value, r); }), pair.second);
    }
    const std::pair<int32_t, const char *> dec[] = {
        {0, "0"}, {-7, "-7"}, {100, "100"}, {INT32_MIN, "-2147483648"}, {INT32_MAX, "2147483647"}};
    for (const auto &pair : dec) {
        int32_t value = pair.first;
        EXPECT_EQ(Produce([&](int32_t r) { return DecimalText(value, r); }), pair.second);
    }
    // Every length of 64-bit number, at and around each power of ten, both signs.
    std::vector<int64_t> values{INT64_MIN, INT64_MAX};
    for (int64_t power = 1; power <= INT64_MAX / 10; power *= 10)
        for (int64_t value : {power - 1, power, power + 1, 10 * power - 1})
            values.insert(values.end(), {value, -value});
    for (int64_t value : values) {
        char digits[DECIMAL_TEXT_SIZE];
        int32_t length = FormatDecimal(value, digits);
        EXPECT_EQ(std::string(digits), std::to_string(value));
        EXPECT_EQ(length, static_cast<int32_t>(std::to_string(value).size()));
    }
}

TEST(Strings, RightAlign) {
    struct {
        const char *s;
        int32_t width;
        const char *fill;
        const char *expected;
    } cases[] = {{"A", 2, "0", "0A"},   {"FF", 2, "0", "FF"},  {"", 3, "0", "000"},
                 {"xyz", 0, "0", ""},   {"x", -1, "0", ""},    {"x", 3, nullptr, "  x"},
                 {"x", 3, "ab", "aax"}, {"1AB", 2, "0", "1A"}, {nullptr, 2, "0", "00"}};
    for (const auto &c : cases) {
        EXPECT_EQ(Produce([&](int32_t r) { return RightAlign(c.s, c.width, c.fill, r); }),
                  c.expected);
    }
    // An empty fill String fills with zero bytes: the result reads as "" but has its width.
    int32_t start = WorkspacePosition();
    char *result = RightAlign("x", 3, "", start);
    EXPECT_STREQ(result, "");
    EXPECT_EQ(result[2], 'x');
    EXPECT_EQ(WorkspacePosition(), start + 3);
    SetWorkspacePosition(start);
}

TEST(Strings, EqualityAndLength) {
    EXPECT_EQ(StringsEqual(nullptr, ""), 1);
    EXPECT_EQ(StringsEqual("a", "A"), 0);
    EXPECT_EQ(StringsEqual("ab", "abc"), 0);
    EXPECT_EQ(StringsEqual("\xFC\xDF", "\xFC\xDF"), 1);
    EXPECT_TRUE(SameLetters("U16Be:", "u16bE", 5) && !SameLetters("u8", "u8x", 3));
    EXPECT_FALSE(SameLetters("\xC4", "\xE4", 1) || SameLetters("[", "{", 1));
    EXPECT_EQ(StringLength(nullptr), 0);
    EXPECT_EQ(StringLength("\xE4\xF6\xFC"), 3);
}

// A result may be written over its own argument, which lies in the workspace at or after
// the result start; the nested form leaves exactly the outer result.
TEST(Strings, ResultOverlapsItsArgument) {
    int32_t start = WorkspacePosition();
    HexText(0xA, start);
    SetWorkspacePosition(WorkspacePosition() + 1);
    char *aligned = RightAlign(WorkspaceAt(start), 2, "0", start);
    EXPECT_STREQ(aligned, "0A");
    EXPECT_EQ(WorkspacePosition(), start + 2);

    AppendString("HELLO WORLD");
    EXPECT_STREQ(WorkspaceAt(start), "0AHELLO WORLD");
    char *piece = Substring(WorkspaceAt(start), 3, 5, start);
    EXPECT_STREQ(piece, "HELLO");
    EXPECT_EQ(WorkspacePosition(), start + 5);
    char *left = LeftPart(WorkspaceAt(start), 4, start);
    EXPECT_STREQ(left, "HELL");
    SetWorkspacePosition(start);
}

// An argument that lives in the workspace is found again when its operation grows the
// workspace (and may move it).
TEST(Strings, ArgumentSurvivesWorkspaceGrowth) {
    int32_t start = WorkspacePosition();
    std::string big(3 * WorkspaceCapacity() + 100, 'q');
    big[0] = 'X';
    AppendString(big.c_str());
    int32_t argOffset = start;
    int32_t resultStart = WorkspacePosition() + 1;
    char *result = RightAlign(WorkspaceAt(argOffset), WorkspaceCapacity() * 2, "-", resultStart);
    std::string text = result;
    EXPECT_EQ(text.size(), static_cast<size_t>(WorkspacePosition() - resultStart));
    EXPECT_EQ(text.substr(text.size() - big.size()), big);
    EXPECT_EQ(text.find_first_not_of('-'), text.size() - big.size());
    // The earlier result is still found at its offset.
    EXPECT_EQ(std::string(WorkspaceAt(argOffset)), big);
    SetWorkspacePosition(start);
}

TEST(Strings, VariablesOwnCopies) {
    OwnedString v;
    EXPECT_EQ(v.Get(), nullptr);
    int32_t start = WorkspacePosition();
    AppendString("abc");
    AppendString(nullptr);
    AppendString("def");
    v.TakeResult(start);
    EXPECT_EQ(WorkspacePosition(), start);
    EXPECT_STREQ(v.Get(), "abcdef");
    AppendString("zzzzzz");
    SetWorkspacePosition(start);
    EXPECT_STREQ(v.Get(), "abcdef");
    v.Assign(v.Get() + 3); // from its own block
    EXPECT_STREQ(v.Get(), "def");
    v.Assign(nullptr);
    EXPECT_EQ(v.Get(), nullptr);
    EXPECT_STREQ(v.Text(), "");
    v.Assign("");
    ASSERT_NE(v.Get(), nullptr);
    EXPECT_STREQ(v.Get(), "");
}

} // namespace
