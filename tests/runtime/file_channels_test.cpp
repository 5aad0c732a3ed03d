// SPDX-License-Identifier: MIT
#include "runtime/file_channels.h"

#include "runtime/registry.h"
#include "runtime/strings.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

class FileChannels : public testing::TestWithParam<bool> { // parameter: unbuffered
  protected:
    void SetUp() override {
        InitFileChannels();
        if (GetParam()) unbuffered.emplace(); // no buffer: the channel works unbuffered
        path = testfiles::Folder("channels") + "c.txt";
    }
    void TearDown() override {
        EndFileChannels();
        unbuffered.reset();
    }
    std::vector<std::string> Lines(const std::string &bytes) {
        testfiles::Write(path, bytes);
        EXPECT_NE(OpenChannelRead(1, path.c_str()), 0);
        std::vector<std::string> lines;
        while (ChannelAtEnd(1) == 0) {
            WorkspaceScope scope;
            lines.push_back(ReadChannelLine(1, scope.Start()));
        }
        EXPECT_EQ(ChannelAtEnd(1), GetParam() ? -1 : 1);
        CloseChannel(1);
        return lines;
    }
    std::string path;
    std::optional<faults::NoChannelBuffers> unbuffered;
};

using LineList = std::vector<std::string>;

TEST_P(FileChannels, LineEnds) {
    EXPECT_EQ(Lines("A\r\nB\nC\rD"), (LineList{"A", "B", "C", "D"}));
    EXPECT_EQ(Lines("A\n\rB"), (LineList{"A", "", "B"}));
    EXPECT_EQ(Lines("last\r"), (LineList{"last"}));
    EXPECT_EQ(Lines(std::string("x\0y\r\n", 5)), (LineList{"x", "y"}));
    EXPECT_EQ(Lines(""), LineList{});
    std::string longLine(10000, 'L');
    EXPECT_EQ(Lines(longLine + "\r\nend"), (LineList{longLine, "end"}));
}

TEST_P(FileChannels, ReadSeekAndOverwrite) {
    testfiles::Write(path, "one\ntwo\r\nthree");
    ASSERT_NE(OpenChannelReadWrite(1, path.c_str()), 0);
    {
        WorkspaceScope scope;
        EXPECT_STREQ(ReadChannelLine(1, scope.Start()), "one");
    }
    EXPECT_EQ(ChannelPosition(1), 4);
    SeekChannel(1, 4);
    EXPECT_EQ(WriteChannelLine(1, "TWO"), 5);
    EXPECT_EQ(ChannelPosition(1), 9);
    {
        WorkspaceScope scope;
        EXPECT_STREQ(ReadChannelLine(1, scope.Start()), "three");
    }
    EXPECT_NE(ChannelAtEnd(1), 0);
    EXPECT_EQ(WriteChannelLine(1, nullptr), 2);
    CloseChannel(1);
    EXPECT_EQ(testfiles::Read(path), "one\nTWO\r\nthree\r\n");
}

TEST_P(FileChannels, ClosedAndReusedNumbers) {
    EXPECT_EQ(ChannelAtEnd(7), 0);
    EXPECT_EQ(SeekChannel(7, 3), 0);
    EXPECT_EQ(ChannelPosition(7), -1);
    EXPECT_EQ(WriteChannelLine(7, "x"), 0);
    {
        WorkspaceScope scope;
        EXPECT_STREQ(ReadChannelLine(7, scope.Start()), "");
    }
    // Reopening a number writes out what the old channel still buffered.
    ASSERT_NE(OpenChannelNew(2, path.c_str()), 0);
    WriteChannelLine(2, "pending");
    std::string other = path + ".other";
    ASSERT_NE(OpenChannelNew(2, other.c_str()), 0);
    EXPECT_EQ(testfiles::Read(path), "pending\r\n");
    CloseChannel(2);
    // A failed open leaves the number free; AUTO_NUMBER gives a generated number.
    EXPECT_EQ(OpenChannelRead(2, (path + ".none").c_str()), 0);
    EXPECT_EQ(ChannelPosition(2), -1);
    intptr_t generated = OpenChannelRead(AUTO_NUMBER, path.c_str());
    ASSERT_LT(generated, -1);
    WorkspaceScope scope;
    EXPECT_STREQ(ReadChannelLine(static_cast<int32_t>(generated), scope.Start()), "pending");
    // A generated number given as a fixed one: the open fails and, as on every reuse of a
    // number, the channel that held it is closed. Other negative numbers open nothing.
    EXPECT_EQ(OpenChannelRead(static_cast<int32_t>(generated), path.c_str()), 0);
    EXPECT_EQ(ChannelPosition(static_cast<int32_t>(generated)), -1);
    EXPECT_EQ(OpenChannelNew(-5, (path + ".negative").c_str()), 0);
    EXPECT_FALSE(testfiles::Exists(path + ".negative"));
    EXPECT_EQ(OpenChannelUpdate(3, (path + ".none").c_str()), 0);
    EXPECT_FALSE(testfiles::Exists(path + ".none"));
    EXPECT_NE(OpenChannelReadWrite(3, (path + ".created").c_str()), 0);
    EXPECT_EQ(ChannelAtEnd(3), GetParam() ? -1 : 1);
    CloseChannel(3);
    EXPECT_EQ(testfiles::Read(path + ".created"), "");
}

TEST_P(FileChannels, SeekDropsReadAheadAndWritesCoverWhatFollows) {
    testfiles::Write(path, "ab\ncd\nef");
    ASSERT_NE(OpenChannelReadWrite(1, path.c_str()), 0);
    {
        WorkspaceScope scope;
        EXPECT_STREQ(ReadChannelLine(1, scope.Start()), "ab");
        EXPECT_EQ(SeekChannel(1, 1), 1);
        EXPECT_STREQ(ReadChannelLine(1, scope.Start()), "b");
    }
    // A lone LF rewritten as CR LF covers the first byte of the next line.
    SeekChannel(1, 0);
    EXPECT_EQ(WriteChannelLine(1, "AB"), 4);
    EXPECT_EQ(ChannelAtEnd(1), 0); // writes the pending bytes, then looks behind them
    {
        WorkspaceScope scope;
        EXPECT_STREQ(ReadChannelLine(1, scope.Start()), "d");
    }
    // Writing past the end makes the file grow.
    SeekChannel(1, 6);
    EXPECT_EQ(WriteChannelLine(1, "EF"), 4);
    EXPECT_EQ(ChannelPosition(1), 10);
    EXPECT_EQ(ChannelAtEnd(1), GetParam() ? -1 : 1);
    CloseChannel(1);
    EXPECT_EQ(testfiles::Read(path), "AB\r\nd\nEF\r\n");
}

TEST_P(FileChannels, OpenModesShareAsDocumented) {
    testfiles::Write(path, "x");
    ASSERT_NE(OpenChannelExclusive(1, path.c_str()), 0);
#ifdef _WIN32
    EXPECT_EQ(OpenChannelRead(2, path.c_str()), 0); // exclusive: not even reading is shared
#endif
    CloseChannel(1);
    ASSERT_NE(OpenChannelUpdate(1, path.c_str()), 0);
#ifdef _WIN32 // (POSIX knows no sharing modes)
    // Reading is shared with a reader that itself lets others write; a reading channel does not.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    EXPECT_EQ(OpenChannelRead(2, path.c_str()), 0);
    EXPECT_EQ(OpenChannelExclusive(3, path.c_str()), 0);
#endif
    EndFileChannels();
    EXPECT_EQ(ChannelPosition(1), -1);
    EXPECT_EQ(ChannelPosition(2), -1);
    EXPECT_EQ(OpenChannelRead(1, (path + ".none").c_str()), 0);
    EXPECT_EQ(OpenChannelExclusive(1, (path + ".none").c_str()), 0);
    EXPECT_FALSE(testfiles::Exists(path + ".none"));
    // A new file replaces what was there.
    ASSERT_NE(OpenChannelNew(1, path.c_str()), 0);
    CloseChannel(1);
    EXPECT_EQ(testfiles::Read(path), "");
}

// The span walk against a copy of the file changed the same way: each span goes on where the
// kept bytes end, its position is that of its first byte, and every noted change lands where it
// was read, also when a seek ends the walk's span or bytes are kept that were changed.
TEST_P(FileChannels, SpanChangesLandWhereTheyWereRead) {
    std::mt19937 rng(31);
    for (int round = 0; round < 150; ++round) {
        std::string expected(rng() % 3 == 0 ? rng() % 300 : rng() % 20000, '\0');
        for (char &byte : expected)
            byte = static_cast<char>(rng());
        testfiles::Write(path, expected);
        ASSERT_NE(OpenChannelUpdate(1, path.c_str()), 0);
        int32_t consumed = 0, length = 0;
        SpanRead read = SPAN_READ;
        if (GetParam()) { // no buffer, no span
            EXPECT_EQ(ReadChannelSpan(1, 0, &length, &read), nullptr);
            EXPECT_EQ(length, 0);
            CloseChannel(1);
            return;
        }
        int64_t start = 0; // file offset of the span's first byte
        for (;;) {
            char *span = ReadChannelSpan(1, consumed, &length, &read);
            ASSERT_NE(read, SPAN_FAILED);
            ASSERT_NE(span, nullptr);
            start += consumed;
            ASSERT_LE(start + length, static_cast<int64_t>(expected.size()));
            ASSERT_EQ(std::string(span, length), expected.substr(start, length)) << round;
            ASSERT_EQ(ChannelPosition(1), start);
            if (length == 0) break;
            int32_t first = length;
            for (int k = static_cast<int>(rng() % 4); k > 0; --k) {
                int32_t at = static_cast<int32_t>(rng() % length);
                span[at] = static_cast<char>(rng());
                expected[start + at] = span[at];
                first = at < first ? at : first;
            }
            if (first < length) NoteSpanChange(1, first);
            consumed = read == SPAN_END || rng() % 4 == 0
                           ? length
                           : length - static_cast<int32_t>(rng() % (length < 600 ? length : 600));
            if (rng() % 8 == 0) { // a seek drops the span once the changes are written
                ASSERT_EQ(SeekChannel(1, start + consumed), start + consumed);
                start += consumed;
                consumed = 0;
            }
        }
        CloseChannel(1);
        ASSERT_EQ(testfiles::Read(path), expected) << round;
    }
}

// Offsets beyond 4 GiB: a line written that far into a (sparse) file is found and read there.
TEST_P(FileChannels, OffsetsBeyondFourGiB) {
    constexpr int64_t BEYOND = (int64_t{1} << 32) + 7;
    testfiles::Remove(path);
    ASSERT_NE(OpenChannelReadWrite(1, path.c_str()), 0);
    EXPECT_EQ(SeekChannel(1, int64_t{1} << 32), int64_t{1} << 32); // not 0, "not open"
    EXPECT_EQ(SeekChannel(1, BEYOND), BEYOND);
    EXPECT_EQ(WriteChannelLine(1, ":0000000100"), 13);
    EXPECT_EQ(ChannelPosition(1), BEYOND + 13);
    SeekChannel(1, BEYOND);
    EXPECT_EQ(ChannelPosition(1), BEYOND);
    WorkspaceScope scope;
    EXPECT_STREQ(ReadChannelLine(1, scope.Start()), ":0000000100");
    EXPECT_EQ(ChannelPosition(1), BEYOND + 13);
    EXPECT_EQ(ChannelAtEnd(1), GetParam() ? -1 : 1);
    CloseChannel(1);
    testfiles::Remove(path);
}

// Pending bytes stay in the buffer until a write would fill it to the last byte.
TEST(FileChannelBuffer, FlushesBeforeTheLastByte) {
    InitFileChannels();
    std::string path = testfiles::Folder("channels") + "flush.txt";
    ASSERT_NE(OpenChannelNew(1, path.c_str()), 0);
    constexpr int32_t BUFFER = FILE_BUFFER_SIZE;
    std::string block(BUFFER - 1, 'b');
    EXPECT_EQ(WriteChannelBytes(1, block.data(), BUFFER - 1), BUFFER - 1);
    EXPECT_EQ(testfiles::Read(path), "");
    EXPECT_EQ(WriteChannelBytes(1, "c", 1), 1);
    EXPECT_EQ(testfiles::Read(path), block);
    EXPECT_EQ(ChannelPosition(1), BUFFER);
    std::string big(BUFFER + 904, 'd');
    EXPECT_EQ(WriteChannelBytes(1, big.data(), BUFFER + 904), BUFFER + 904);
    EndFileChannels(); // closes and writes out what is left
    EXPECT_EQ(testfiles::Read(path), block + "c" + big);
}

// A write that fails in the last flush, at the close, is the close's failure; it is not dropped.
TEST(FileChannelBuffer, FailedFlushAtTheCloseIsReported) {
    InitFileChannels();
    std::string path = testfiles::Folder("channels") + "flush.txt";
    for (uint32_t code : {1001u, 0u}) {
        ASSERT_NE(OpenChannelNew(1, path.c_str()), 0);
        EXPECT_EQ(WriteChannelBytes(1, "abc", 3), 3);
        faults::Scope scope;
        if (code) faults::Fail(faults::WRITE, 1, code);
        CloseChannel(1);
        EXPECT_EQ(ChannelCloseFailure(), code);
        EXPECT_EQ(testfiles::Read(path), code ? "" : "abc");
    }
}

INSTANTIATE_TEST_SUITE_P(BufferedAndNot, FileChannels, testing::Bool());

} // namespace
