// SPDX-License-Identifier: MIT
#include "runtime/arguments.h"

#include "runtime/strings.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <vector>

namespace {

std::vector<std::string> Arguments(const char *commandLine) {
    std::vector<std::string> result;
    const char *token = nullptr;
    int32_t length = 0;
    for (int32_t i = 1; FindToken(commandLine, i, &token, &length); ++i)
        result.emplace_back(token, static_cast<size_t>(length));
    EXPECT_EQ(CountTokens(commandLine) - 1, static_cast<int32_t>(result.size()));
    return result;
}

using Args = std::vector<std::string>;

TEST(Arguments, SplittingRules) {
    const std::pair<const char *, Args> cases[] = {
        {"prog", {}},
        {"prog C:\\data\\a.hex", {"C:\\data\\a.hex"}},
        {"\"C:\\Program Files\\t.exe\" \"C:\\my data\\a b.hex\"", {"C:\\my data\\a b.hex"}},
        {"prog    a.hex   ", {"a.hex"}},
        {"prog \ta.hex", {"\ta.hex"}},
        {"prog \"unclosed path with blanks ", {"unclosed path with blanks "}},
        {"prog ab\"cd", {"ab\"cd"}},
        {"prog \"ab\"cd", {"ab", "cd"}},
        {"prog \"\" next", {"", "next"}},
        {"C:\\Program Files\\t.exe x", {"Files\\t.exe", "x"}},
        {"prog a\\\"b c", {"a\\\"b", "c"}},
        {"prog \"\xFC"
         "ber \xE4.hex\"",
         {"\xFC"
          "ber \xE4.hex"}},
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(Arguments(line), expected) << line;
    EXPECT_EQ(CountTokens(""), 0); // not even a program name: ArgumentCount is -1
    EXPECT_EQ(CountTokens(nullptr), 0);
}

// The process's own command line, as the test runner was started (no extra arguments are
// passed by CTest): the cursor stays at the end and every call gives "".
TEST(Arguments, CursorOnTheProcessCommandLine) {
    InitArguments();
    int32_t count = ArgumentCount();
    int32_t start = WorkspacePosition();
    for (int32_t i = 0; i < count; ++i)
        NextArgument(start);
    SetWorkspacePosition(start);
    EXPECT_STREQ(NextArgument(start), "");
    EXPECT_EQ(WorkspacePosition(), start);
    EXPECT_STREQ(NextArgument(start), "");
#ifdef _WIN32
    if (count > 0) {
        const char *token = nullptr;
        int32_t length = 0;
        ASSERT_TRUE(FindToken(GetCommandLineA(), 1, &token, &length));
        EXPECT_EQ(std::string(ArgumentAt(0, start)), std::string(token, length));
    }
#endif
    SetWorkspacePosition(start);
}

} // namespace
