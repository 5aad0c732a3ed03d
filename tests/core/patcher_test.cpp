// SPDX-License-Identifier: MIT
#include "core/patcher.h"

#include "core/record.h"
#include "runtime/file_channels.h"
#include "runtime/strings.h"
#include "tests/support/collect.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/hex_model.h"
#include "tests/support/reference.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cctype>
#include <cstdio>

#include <optional>
#include <random>
#include <tuple>
#include <string>
#include <vector>

namespace {

// The independent reference of the walk (tests/support/hex_model.h).
using Walked = model::Patched;
Walked Reference(const std::string &in) {
    return model::Patch(in);
}

std::string RandomRecord(std::mt19937 &rng, bool lower) {
    const char *digits = lower ? "0123456789abcdef" : "0123456789ABCDEF";
    int count = rng() % 4 == 0 ? static_cast<int>(rng() % 256) : 16;
    std::string line = ":";
    line += digits[count >> 4];
    line += digits[count & 15];
    for (int k = 0; k < 2 * count + 8; ++k)
        line += digits[rng() % 16];
    return line;
}

std::string RandomFile(std::mt19937 &rng) {
    const std::string ends[] = {"\r\n", "\n", "\r", std::string(1, '\0'), "\n\r"};
    std::string file = rng() % 6 == 0 ? "\xEF\xBB\xBF" : ""; // a byte-order mark
    int lines = static_cast<int>(rng() % 8 == 0 ? rng() % 600 : rng() % 40);
    bool lfOnly = rng() % 3 == 0;
    for (int n = 0; n < lines; ++n) {
        int kind = static_cast<int>(rng() % 10);
        if (kind < 6 && rng() % 3 == 0) { // its checksum right, in either case
            bool lower = rng() % 4 == 0;
            std::string record = RandomRecord(rng, lower);
            std::string right = reference::RightDigits(record);
            for (char &c : right)
                c = rng() % 2 ? static_cast<char>(std::tolower(c)) : c;
            file += record.replace(record.size() - 2, 2, right);
        } else if (kind < 6) {
            bool lower = rng() % 4 == 0;
            file += RandomRecord(rng, lower);
        } else if (kind == 6)
            file += "";
        else if (kind == 7)
            file += rng() % 2 ? "; comment :1000" : ":10" + std::to_string(rng() % 100000) + "G";
        else if (kind == 8 && rng() % 2) { // a record with a comment behind it, long or short
            file += RandomRecord(rng, false);
            file += rng() % 2 ? " " : "\t";
            size_t length = rng() % 2 ? 3 : 4000 + rng() % 5000;
            file += std::string(length, rng() % 2 ? 'c' : ' ');
        } else if (kind == 8)
            file += std::string(4000 + rng() % 5000, 'Z');
        else
            for (int k = rng() % 60; k > 0; --k)
                file += static_cast<char>(rng() % 256);
        if (n + 1 < lines || rng() % 2) {
            if (lfOnly)
                file += "\n";
            else if (rng() % 5 == 0)
                file += ends[rng() % 5];
            else
                file += "\r\n";
        }
    }
    return file;
}

class Patcher : public testing::Test {
  protected:
    void SetUp() override {
        InitFileChannels();
        path = testfiles::Folder("patcher") + "p.hex";
    }
    std::string Patch(const std::string &bytes) {
        testfiles::Write(path, bytes);
        EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
        return testfiles::Read(path);
    }
    // Patches and checks the file, and compares the bytes and both modes' findings and tallies
    // with the reference.
    void ExpectAsTheReference(const std::string &bytes, int round) {
        Walked expected = Reference(bytes);
        for (WalkMode mode : {WALK_CHECK, WALK_PATCH}) {
            bool patching = mode == WALK_PATCH;
            testfiles::Write(path, bytes);
            std::vector<std::string> findings;
            WalkTally tally{};
            ASSERT_EQ(WalkHexFile(path.c_str(), mode, collect::Finding, &findings, &tally), 1);
            ASSERT_EQ(testfiles::Read(path), patching ? expected.out : bytes) << "round " << round;
            ASSERT_EQ(findings, patching ? expected.patching : expected.checking)
                << "round " << round;
            ASSERT_EQ(tally.checksums + tally.malformed + tally.lineEndsAdded,
                      static_cast<int64_t>(findings.size()));
            // Malformed lines stay as they are: only a wrong checksum changes the file.
            ASSERT_EQ(tally.unsettled == 0, expected.out == bytes) << "round " << round;
            ASSERT_EQ(tally.lastRecordOpen, expected.lastRecordOpen) << "round " << round;
        }
    }
    std::string path;
};

// Files patched and checked, buffered and unbuffered: their bytes (a check keeps them), the
// findings (a check adds no line end) and the modification time of a file left as it was.
TEST_F(Patcher, KnownFiles) {
    using namespace std::string_literals;
    const struct {
        std::string in, out;
        std::vector<std::string> findings; // of the patch
    } cases[] = {
        {":00000001FF\r\n", ":00000001FF\r\n", {}},
        {":0400000012345678e8\n:00000001ff\n", ":0400000012345678e8\n:00000001ff\n", {}},
        {":0000000100\r\n:02000004ffff00\r\n",
         ":00000001FF\r\n:02000004fffffc\r\n",
         {"1 checksum 00 FF", "2 checksum 00 fc"}},
        {":02000004FFff00\n", ":02000004FFffFC\n", {"1 checksum 00 FC"}},
        {":040000001234567800\n", ":0400000012345678E8\n", {"1 checksum 00 E8"}},
        {"; x\n:00000001ff", "; x\n:00000001ff", {}}, // right, without a line end
        {":0000000100", ":00000001FF\r\n", {"1 checksum 00 FF", "1 line end"}},
        {"; x\n:0000000100", "; x\n:00000001FF\n", {"2 checksum 00 FF", "2 line end"}},
        {"; x\r\n:0000000100", "; x\r\n:00000001FF\r\n", {"2 checksum 00 FF", "2 line end"}},
        {"\r\n; x\r:0000000100", "\r\n; x\r:00000001FF\r", {"3 checksum 00 FF", "3 line end"}},
        {"; x\0:0000000100"s, "; x\0:00000001FF\r\n"s, {"2 checksum 00 FF", "2 line end"}},
        {std::string(600, ';') + "\n:0000000100",
         std::string(600, ';') + "\n:00000001FF\n",
         {"2 checksum 00 FF", "2 line end"}},
        {":0000000100\n\n:0000000100\r",
         ":00000001FF\n\n:00000001FF\r",
         {"1 checksum 00 FF", "3 checksum 00 FF"}},
        {":000000010", ":000000010", {"1 malformed 10 0 11"}}, // too short for its count
        {":\n:1\n", ":\n:1\n", {"1 malformed 1 0 -1", "2 malformed 2 0 -1"}}, // no count
        {"\xEF\xBB:00000001FF\n", "\xEF\xBB:00000001FF\n", {}},          // half a byte-order mark
        {":0000000G00 x\n", ":0000000G00 x\n", {"1 malformed 13 9 11"}}, // no digit, a comment
        {"", "", {}},
    };
    for (bool unbuffered : {false, true}) {
        std::optional<faults::NoChannelBuffers> noBuffers;
        if (unbuffered) noBuffers.emplace();
        for (const auto &[in, out, patchFindings] : cases) {
            for (WalkMode mode : {WALK_CHECK, WALK_PATCH}) {
                SCOPED_TRACE(testing::Message()
                             << in << (unbuffered ? " unbuffered " : " ") << mode);
                testfiles::Write(path, in);
                int64_t stamp = testfiles::MakeOld(path);
                std::vector<std::string> findings, expected = patchFindings;
                if (mode == WALK_CHECK)
                    std::erase_if(expected, [](auto &finding) { return finding.ends_with("end"); });
                EXPECT_EQ(WalkHexFile(path.c_str(), mode, collect::Finding, &findings, nullptr), 1);
                EXPECT_EQ(findings, expected);
                EXPECT_EQ(testfiles::Read(path), mode == WALK_PATCH ? out : in);
                if (mode == WALK_CHECK || out == in) {
                    EXPECT_EQ(testfiles::WrittenAt(path), stamp);
                }
            }
        }
    }
}

TEST_F(Patcher, RandomizedAgainstReference) {
    std::mt19937 rng(4711);
    for (int round = 0; round < 300; ++round)
        ExpectAsTheReference(RandomFile(rng), round);
}

// Files of upper-case CR LF records come out exactly as the line-by-line walk with the general
// completion routine makes them: every line completed, written back with CR LF (a last record
// without one gets it when written).
TEST_F(Patcher, RecordFilesMatchTheCompletionWalk) {
    std::mt19937 rng(2718);
    for (int round = 0; round < 100; ++round) {
        std::string file, expected;
        int lines = 1 + static_cast<int>(rng() % 300);
        for (int n = 0; n < lines; ++n) {
            std::string line = RandomRecord(rng, false);
            bool open = n + 1 == lines && rng() % 2;
            file += line + (open ? "" : "\r\n");
            WorkspaceScope scope;
            expected += CompleteRecordChecksum((line + "\r\n").c_str(), scope.Start());
            expected += open && expected.ends_with(line) ? "" : "\r\n"; // written or not
        }
        ASSERT_EQ(Patch(file), expected) << "round " << round;
    }
}

// Where a run of records of one length ends: a line of the same length whose byte count differs
// in either digit, or that holds a character that is no digit, or whose line end differs; and a
// line too long for a record whose part in the next span looks like one. Each as the reference
// makes it.
TEST_F(Patcher, RunsOfRecordsEndWhereALineDiffers) {
    const std::string run = ":10010000214601360121470136007EFE09D21901FF\r\n"
                            ":100110002146017E17C20001FF5F16002148011928\r\n";
    const std::string others[] = {
        ":11010000214601360121470136007EFE09D21901FF\r\n", // asks for 45 characters
        ":00010000214601360121470136007EFE09D21901FF\r\n", // asks for 11
        ":10010000214601360121470136007EFE09D2190G00\r\n",
        ":10010000214601360121470136007EFE09D2190100\r:00000001FE\r\n",
        ":10010000214601360121470136007EFE09D2190100\n\r:00000001FE\n",
        std::string(FILE_BUFFER_SIZE, ';') + ":00000001FE\r\n",
        std::string(2 * FILE_BUFFER_SIZE - 90, ';') + ":00000001FE\r\n",
    };
    for (const std::string &other : others)
        for (const std::string &file : {run + other + run, other + run})
            ExpectAsTheReference(file, static_cast<int>(other.size()));
}

// The same walk with channels that get no buffer (one system call per byte).
TEST_F(Patcher, RandomizedUnbuffered) {
    faults::NoChannelBuffers unbuffered;
    std::mt19937 rng(815);
    for (int round = 0; round < 40; ++round)
        ExpectAsTheReference(RandomFile(rng), round);
}

// A read or a write that fails at any call ends the walk: the walk says so, and which lines are
// done. Those lines are as the reference makes them; on every other line each byte is its old
// or its new one, and a checksum is wholly old or wholly new. A check reports the findings of
// the lines done, and no more. Buffered, and unbuffered at a sample of calls.
TEST_F(Patcher, FailedReadOrWriteAtAnyCallKeepsTheFileValid) {
    std::mt19937 rng(1312);
    for (int round = 0; round < 6; ++round) {
        // Records, most with wrong checksums, and some other lines, over three buffer loads; the
        // last record, behind a line too long to be one, has no line end, which patching appends.
        const std::string ends[] = {"\r\n", "\n", "\r"};
        std::string bytes = "; start\r\n";
        bool unbuffered = round >= 4; // a system call per byte: a smaller file
        while (bytes.size() < (unbuffered ? 12000 : 3 * FILE_BUFFER_SIZE)) {
            if (rng() % 8) {
                bool lower = rng() % 4 == 0;
                bytes += RandomRecord(rng, lower);
            } else
                bytes += ":10G";
            bytes += ends[rng() % 3];
        }
        bytes += std::string(600, ';') + ends[rng() % 3];
        bytes += RandomRecord(rng, false);
        Walked expected = Reference(bytes);
        // The text of every line (as the reference splits them), and where the first n end.
        std::vector<std::pair<size_t, size_t>> lines;
        for (size_t i = 0; i < bytes.size();) {
            size_t end = bytes.find_first_of(std::string("\r\n\0", 3), i);
            if (end == std::string::npos) end = bytes.size();
            lines.push_back({i, end});
            i = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
        std::optional<faults::NoChannelBuffers> noBuffers;
        if (unbuffered) noBuffers.emplace();
        for (auto [call, writing, mode] : {std::tuple{faults::READ, false, WALK_PATCH},
                                           std::tuple{faults::WRITE, true, WALK_PATCH},
                                           std::tuple{faults::SEEK, true, WALK_PATCH},
                                           std::tuple{faults::READ, false, WALK_CHECK}}) {
            // How many such calls the walk makes, and which of them fail in turn: all of them,
            // or a sample and the last few.
            ASSERT_TRUE(testfiles::Write(path, bytes));
            faults::Fail(call, 0);
            WalkHexFile(path.c_str(), mode, nullptr, nullptr, nullptr);
            auto calls = static_cast<int32_t>(faults::Calls(call));
            std::vector<int32_t> failing;
            for (int32_t n = 1; n <= calls + 1;
                 n += unbuffered ? 1 + static_cast<int32_t>(rng() % 700) : 1)
                failing.push_back(n);
            for (int32_t n = calls - 2; unbuffered && n <= calls + 1; ++n)
                if (n > 0) failing.push_back(n);
            for (int32_t n : failing) {
                SCOPED_TRACE(testing::Message() << "round " << round << ", call kind " << call
                                                << ", mode " << mode << ", call " << n);
                ASSERT_TRUE(testfiles::Write(path, bytes));
                std::vector<std::string> findings;
                WalkTally tally{};
                uint32_t code = writing ? 1001 : 1002; // any code of the platform's
                faults::Fail(call, n, code);
                int32_t walked =
                    WalkHexFile(path.c_str(), mode, collect::Finding, &findings, &tally);
                bool failed = faults::Fired(call);
                faults::Fail(call, 0);
                std::string now = testfiles::Read(path);
                if (!failed) {
                    ASSERT_EQ(walked, 1);
                    ASSERT_EQ(now, mode == WALK_PATCH ? expected.out : bytes);
                    continue;
                }
                ASSERT_EQ(walked, -1);
                ASSERT_EQ(tally.failure, code);
                ASSERT_EQ(tally.failedWriting, writing);
                ASSERT_LE(tally.linesDone, static_cast<int64_t>(lines.size()));
                // (A read that fails after the last record got its line end finds the file whole.)
                if (now.size() > bytes.size()) {
                    ASSERT_EQ(now, expected.out);
                }
                // A line end is reported once it is in the file.
                bool reported = !findings.empty() && findings.back().ends_with(" line end");
                ASSERT_EQ(reported, mode == WALK_PATCH && now.size() > bytes.size());
                ASSERT_GE(now.size(), bytes.size());
                for (size_t k = 0; k < lines.size(); ++k) {
                    auto [start, end] = lines[k];
                    std::string old = bytes.substr(start, end - start),
                                patched = expected.out.substr(start, end - start),
                                got = now.substr(start, end - start);
                    if (static_cast<int64_t>(k) < tally.linesDone) {
                        ASSERT_EQ(got, mode == WALK_PATCH ? patched : old) << "line " << k + 1;
                    } else if (got != old) {
                        ASSERT_EQ(got, patched) << "line " << k + 1 << " half patched";
                    }
                }
                if (mode == WALK_CHECK) {
                    std::vector<std::string> done;
                    for (const std::string &finding : expected.checking)
                        if (std::stoll(finding) <= tally.linesDone) done.push_back(finding);
                    ASSERT_EQ(findings, done);
                }
            }
        }
    }
    faults::Clear();
}

// Records at every place across the ends of the channel's buffer loads, with each kind of line
// end, after a first line that ends just before, at or just after the first load's end or is
// longer than the buffer; records run together without line ends make lines too long to be
// records. Each file comes out as the reference makes it, buffered and for a few also unbuffered.
TEST_F(Patcher, RecordsAcrossBufferEnds) {
    const std::string records[] = {":10010000214601360121470136007EFE09D2190100",
                                   ":FF000000" + std::string(2 * 255, '7') + "00"}; // the longest
    const std::string ends[] = {"\r\n", "\n", "\r", std::string(1, '\0'), ""};
    std::vector<size_t> leads;
    constexpr size_t BUFFER = FILE_BUFFER_SIZE;
    for (size_t lead = BUFFER - 50; lead <= BUFFER + 2; ++lead)
        leads.push_back(lead);
    for (size_t lead : {2 * BUFFER - 2, 2 * BUFFER + 1, 3 * BUFFER - 288})
        leads.push_back(lead);
    for (const std::string &record : records) {
        for (size_t lead : leads) {
            for (const std::string &end : ends) {
                std::string file = ":" + std::string(lead - 1, 'A') + "\n";
                for (size_t size = 0; size < lead + 2048; size += record.size() + end.size())
                    file += record + end;
                file += record;
                ASSERT_EQ(Patch(file), Reference(file).out) << lead << " " << int(end[0]);
                if (lead % 17 == 0) {
                    faults::NoChannelBuffers unbuffered;
                    ASSERT_EQ(Patch(file), Reference(file).out) << lead << " " << int(end[0]);
                }
            }
        }
    }
}

TEST_F(Patcher, RightFilesAreNotWritten) {
    std::string file;
    for (int n = 0; n < 2000; ++n)
        file += ":10010000214601360121470136007EFE09D2190140\r\n";
    testfiles::Write(path, file);
    int64_t before = testfiles::MakeOld(path);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    EXPECT_EQ(testfiles::WrittenAt(path), before);
}

// A file that another program makes longer or shorter while it is walked fails as the file
// changed: noticed by a read, or by a write (the size asked for before it), which then writes
// nothing: a shortened file is not written past its new end, buffered or a line at a time.
// (Windows lets nobody resize a file that is being patched: there only the check.)
TEST_F(Patcher, FileResizedWhileWalkedFailsAsChanged) {
    std::string bytes;
    while (bytes.size() < 3 * FILE_BUFFER_SIZE)
        bytes += ":0000000100\r\n";
    struct Change {
        std::string path;
        int64_t size;
        bool done;
    };
    struct Row {
        faults::Call before; // its second call: a read, or the size asked for before a write
        int64_t size;
        WalkMode mode;
        bool buffered;
    };
    const int64_t longer = bytes.size() + 100, shorter = bytes.size() / 2;
    for (Row row : {Row{faults::READ, longer, WALK_CHECK, true},
                    {faults::READ, longer, WALK_PATCH, true},
                    {faults::READ, shorter, WALK_CHECK, true},
                    {faults::READ, shorter, WALK_PATCH, true},
                    {faults::SIZE, 1000, WALK_PATCH, true},
                    {faults::SIZE, 1000, WALK_PATCH, false}}) {
        ASSERT_TRUE(testfiles::Write(path, bytes));
        Change change{path, row.size, false};
        faults::Scope scope;
        std::optional<faults::NoChannelBuffers> unbuffered;
        if (!row.buffered) unbuffered.emplace();
        faults::Before(
            row.before, 2,
            [](void *context) {
                auto &wanted = *static_cast<Change *>(context);
                wanted.done = testfiles::Resize(wanted.path, wanted.size);
            },
            &change);
        WalkTally tally{};
        int32_t walked = WalkHexFile(path.c_str(), row.mode, nullptr, nullptr, &tally);
        if (!change.done) {
            EXPECT_EQ(row.mode, WALK_PATCH) << "a check shares writing";
            continue;
        }
        EXPECT_EQ(walked, -1) << row.size << " " << row.mode;
        EXPECT_EQ(tally.failure, FAILURE_CODE_CHANGED);
        // A check notices it reading; a patch may notice it at the write of the span before.
        EXPECT_EQ(tally.failedWriting,
                  row.before == faults::SIZE || (row.mode == WALK_PATCH && tally.failedWriting));
        if (row.before == faults::SIZE) {
            std::string after = testfiles::Read(path);
            ASSERT_EQ(after.size(), 1000u) << row.buffered;
            EXPECT_EQ(after, bytes.substr(0, 1000)) << row.buffered;
        }
    }
}

// A close that fails after a patch (a late write error, as on some network shares) leaves no
// line surely in the file; after a check it changes nothing. A failure before it stays the one
// reported, also when another program resized the file on the way.
TEST_F(Patcher, AFailedCloseFailsAPatchOnly) {
    const std::string bytes = ":0000000100\r\n:00000001FF\r\n";
    for (bool resized : {false, true}) {
        for (WalkMode mode : {WALK_CHECK, WALK_PATCH}) {
            SCOPED_TRACE(testing::Message() << "resized " << resized << ", mode " << mode);
            ASSERT_TRUE(testfiles::Write(path, bytes + std::string(FILE_BUFFER_SIZE, ';')));
            faults::Scope scope;
            faults::Fail(faults::CLOSE, 1, 1005);
            // (Windows lets nobody resize a file that is being patched.)
            std::pair<std::string, bool> grown{path, false};
            if (resized)
                faults::Before(
                    faults::READ, 2,
                    [](void *context) {
                        auto &[file, done] = *static_cast<std::pair<std::string, bool> *>(context);
                        done = testfiles::Resize(file, 3 * FILE_BUFFER_SIZE);
                    },
                    &grown);
            WalkTally tally{};
            int32_t walked = WalkHexFile(path.c_str(), mode, nullptr, nullptr, &tally);
            EXPECT_TRUE(faults::Fired(faults::CLOSE));
            uint32_t failure = grown.second ? FAILURE_CODE_CHANGED : mode == WALK_PATCH ? 1005 : 0;
            EXPECT_EQ(walked, failure ? -1 : 1);
            EXPECT_EQ(tally.failure, failure);
            EXPECT_EQ(tally.failedWriting, failure == 1005);
            if (failure == 1005) {
                EXPECT_EQ(tally.linesDone, 0);
            }
        }
    }
}

TEST_F(Patcher, RefusesWhatIsNoFile) {
    std::string missing = testfiles::Folder("patcher") + "missing.hex";
    EXPECT_EQ(PatchFileInPlace(missing.c_str()), 0);
    EXPECT_FALSE(testfiles::Exists(missing));
    EXPECT_EQ(PatchFileInPlace(""), 0);
    EXPECT_EQ(PatchFileInPlace(nullptr), 0);
    EXPECT_EQ(PatchFileInPlace(testfiles::Folder("patcher").c_str()), 0); // a directory
}

// Hostile files and paths: each has a fixed outcome, and nothing else changes on disk.
class HostileFiles : public Patcher {
  protected:
    // Writes the file with an old modification time; Unwritten() tells whether it stayed.
    void Prepare(const std::string &bytes, const std::string &at = "") {
        target = at.empty() ? path : at;
        ASSERT_TRUE(testfiles::Write(target, bytes));
        stamp = testfiles::MakeOld(target);
    }
    bool Unwritten() { return testfiles::WrittenAt(target) == stamp; }
    std::string target;
    int64_t stamp = 0;
};

TEST_F(HostileFiles, ReadOnlyFileIsRefused) {
    Prepare(":0000000100\r\n");
    testfiles::SetReadOnly(path, true);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 0);
    testfiles::SetReadOnly(path, false);
    EXPECT_EQ(testfiles::Read(path), ":0000000100\r\n");
    EXPECT_TRUE(Unwritten());
}

#ifdef _WIN32 // (POSIX knows no sharing modes)
TEST_F(HostileFiles, FileHeldOpenForWritingIsRefused) {
    Prepare(":0000000100\r\n");
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 0); // the patcher shares reading only
    CloseHandle(holder);
    EXPECT_EQ(testfiles::Read(path), ":0000000100\r\n");
    EXPECT_TRUE(Unwritten());
}
#endif

TEST_F(HostileFiles, DirectoryIsRefused) {
    std::string folder = testfiles::Folder("patcher") + "sub.hex";
    testfiles::MakeFolder(folder);
    EXPECT_EQ(PatchFileInPlace(folder.c_str()), 0);
    EXPECT_TRUE(testfiles::IsFolder(folder));
}

// A name longer than the file system takes is refused, and nothing is made. A path of
// MAX_PATH characters or more in deep folders, with names in other scripts, is patched.
TEST_F(HostileFiles, LongPaths) {
    std::string folder = testfiles::Folder("patcher");
    folder.pop_back();
    for (std::string tail : {std::string(260, 'n'), std::string(300, 'n') + ".hex"}) {
        std::string longName = folder + testfiles::SEPARATOR + tail;
        EXPECT_EQ(PatchFileInPlace(longName.c_str()), 0);
        EXPECT_FALSE(testfiles::Exists(longName));
    }
    std::string deep = folder;
    for (const char *name : {"прошивка", "固件", "łódź"}) {
        deep += testfiles::SEPARATOR + std::string(90, 'd') + name;
        testfiles::MakeFolder(deep);
    }
    std::string name = deep + testfiles::SEPARATOR + "файл.hex";
    ASSERT_GE(name.size(), 300u);
    Prepare(":0000000100\r\n", name);
    EXPECT_EQ(PatchFileInPlace(name.c_str()), 1);
    EXPECT_EQ(testfiles::Read(name), ":00000001FF\r\n");
    for (testfiles::Remove(name); deep.size() > folder.size();
         deep.erase(deep.rfind(testfiles::SEPARATOR)))
        testfiles::Remove(deep);
}

TEST_F(HostileFiles, EmptyFileStaysEmptyAndUnwritten) {
    Prepare("");
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    EXPECT_EQ(testfiles::Read(path), "");
    EXPECT_TRUE(Unwritten());
}

TEST_F(HostileFiles, BinaryFileOnlyLosesRecordChecksums) {
    std::mt19937 rng(1234);
    std::string bytes;
    for (int k = 0; k < 200000; ++k)
        bytes += static_cast<char>(rng() % 256);
    // A few records hidden among the garbage, between line ends, are still corrected.
    bytes += "\n:0000000100\n";
    bytes.insert(100000, "\r\n:02000004ffff00\r\n");
    Prepare(bytes);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    std::string after = testfiles::Read(path);
    EXPECT_EQ(after, Reference(bytes).out);
    EXPECT_NE(after.find(":02000004fffffc\r\n"), std::string::npos);
    EXPECT_EQ(after.size(), bytes.size());
}

TEST_F(HostileFiles, TenMegabyteLineIsLeftAlone) {
    std::string huge = ":" + std::string(10 * 1024 * 1024, 'A'); // hex digits, wrong length
    Prepare(huge + "\r\n:0000000100\r\n" + huge);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    EXPECT_EQ(testfiles::Read(path), huge + "\r\n:00000001FF\r\n" + huge);
}

TEST_F(HostileFiles, SecondPassWritesNothing) {
    std::mt19937 rng(77);
    std::string file;
    for (int n = 0; n < 3000; ++n)
        file += RandomRecord(rng, n % 3 == 0) + (n % 2 ? "\r\n" : "\n");
    Prepare(file);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    std::string once = testfiles::Read(path);
    EXPECT_EQ(once, Reference(file).out);
    Prepare(once);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    EXPECT_EQ(testfiles::Read(path), once);
    EXPECT_TRUE(Unwritten());
}

TEST_F(HostileFiles, LowerCaseRecordsKeepTheirDigits) {
    Prepare(":10010000214601360121470136007efe09d2190140\r\n:02000004ffff00\r\n"
            ":02000004ffffFC\r\n:00000001ff\r\n");
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    EXPECT_EQ(testfiles::Read(path), ":10010000214601360121470136007efe09d2190140\r\n"
                                     ":02000004fffffc\r\n:02000004ffffFC\r\n:00000001ff\r\n");
    EXPECT_FALSE(Unwritten());
}

} // namespace
