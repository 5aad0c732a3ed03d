#include "core/patcher.h"

#include "core/checksum.h"
#include "runtime/file_channels.h"
#include "runtime/strings.h"
#include "tests/support/seams.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdio>

#include <random>
#include <string>
#include <vector>

namespace {

// Independent reference of the walk: split at CR LF, LF, CR and zero bytes; a line that is ":"
// and hex digits only, 11 + 2 x count long, gets its last two characters replaced by the
// upper-case two's complement of its byte sum; a last such line without an end gets CR LF.
std::string Reference(const std::string &in) {
    std::string out;
    size_t i = 0;
    while (i < in.size()) {
        size_t end = i;
        while (end < in.size() && in[end] != '\r' && in[end] != '\n' && in[end] != '\0')
            ++end;
        std::string line = in.substr(i, end - i);
        size_t term = end == in.size()                                                  ? 0
                      : (in[end] == '\r' && end + 1 < in.size() && in[end + 1] == '\n') ? 2
                                                                                        : 1;
        auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
        bool record = line.size() >= 11 && line[0] == ':';
        for (size_t k = 1; record && k < line.size(); ++k)
            record = hex(line[k]);
        if (record) record = line.size() == 11 + 2 * std::stoul(line.substr(1, 2), nullptr, 16);
        if (record) {
            unsigned sum = 0;
            for (size_t k = 1; k + 2 < line.size(); k += 2)
                sum += std::stoul(line.substr(k, 2), nullptr, 16);
            char digits[3];
            snprintf(digits, sizeof digits, "%02X", (256 - sum % 256) % 256);
            line.replace(line.size() - 2, 2, digits);
        }
        out += line + in.substr(end, term);
        if (record && term == 0) out += "\r\n";
        i = end + term;
    }
    return out;
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
    std::string file;
    int lines = static_cast<int>(rng() % 8 == 0 ? rng() % 600 : rng() % 40);
    bool lfOnly = rng() % 3 == 0;
    for (int n = 0; n < lines; ++n) {
        int kind = static_cast<int>(rng() % 10);
        if (kind < 6)
            file += RandomRecord(rng, rng() % 4 == 0);
        else if (kind == 6)
            file += "";
        else if (kind == 7)
            file += "; comment :1000";
        else if (kind == 8)
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
        path = testfiles::Folder("patcher") + "\\p.hex";
    }
    std::string Patch(const std::string &bytes) {
        testfiles::Write(path, bytes);
        EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
        return testfiles::Read(path);
    }
    std::string path;
};

TEST_F(Patcher, KnownFiles) {
    const std::pair<std::string, std::string> cases[] = {
        {":00000001FF\r\n", ":00000001FF\r\n"},
        {":00000001ff\r\n", ":00000001FF\r\n"},
        {":0000000100\r\n:02000004ffff00\r\n", ":00000001FF\r\n:02000004ffffFC\r\n"},
        {":0000000100", ":00000001FF\r\n"},
        {":0000000100\n\n:0000000100\n", ":00000001FF\n\n:00000001FF\n"},
        {"\r\n; note\r\n:0000000100\r", "\r\n; note\r\n:00000001FF\r"},
        {":000000010", ":000000010"}, // too short for its count: left alone
        {"", ""},
    };
    for (const auto &[in, expected] : cases)
        EXPECT_EQ(Patch(in), expected) << in;
}

TEST_F(Patcher, RandomizedAgainstReference) {
    std::mt19937 rng(4711);
    for (int round = 0; round < 300; ++round) {
        std::string file = RandomFile(rng);
        ASSERT_EQ(Patch(file), Reference(file)) << "round " << round;
    }
}

// Files of CR LF records only come out exactly as the line-by-line walk with the general
// completion routine makes them: every line completed, written back with CR LF.
TEST_F(Patcher, RecordFilesMatchTheCompletionWalk) {
    std::mt19937 rng(2718);
    for (int round = 0; round < 100; ++round) {
        std::string file, expected;
        int lines = 1 + static_cast<int>(rng() % 300);
        for (int n = 0; n < lines; ++n) {
            std::string line = RandomRecord(rng, rng() % 3 == 0);
            bool last = n + 1 == lines;
            file += line + (last && rng() % 2 ? "" : "\r\n");
            WorkspaceScope scope;
            expected += CompleteRecordChecksum((line + "\r\n").c_str(), scope.Start());
            expected += "\r\n";
        }
        ASSERT_EQ(Patch(file), expected) << "round " << round;
    }
}

// The same walk with channels that get no buffer (one system call per byte).
TEST_F(Patcher, RandomizedUnbuffered) {
    MainHeapShortage shortage;
    std::mt19937 rng(815);
    for (int round = 0; round < 40; ++round) {
        std::string file = RandomFile(rng);
        ASSERT_EQ(Patch(file), Reference(file)) << "round " << round;
    }
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
    for (size_t lead = 4096 - 50; lead <= 4096 + 2; ++lead)
        leads.push_back(lead);
    for (size_t lead : {size_t{8190}, size_t{8193}, size_t{12000}})
        leads.push_back(lead);
    for (const std::string &record : records) {
        for (size_t lead : leads) {
            for (const std::string &end : ends) {
                std::string file = ":" + std::string(lead - 1, 'A') + "\n";
                for (size_t size = 0; size < 12000; size += record.size() + end.size())
                    file += record + end;
                file += record;
                ASSERT_EQ(Patch(file), Reference(file)) << lead << " " << int(end[0]);
                if (lead % 17 == 0) {
                    MainHeapShortage shortage;
                    ASSERT_EQ(Patch(file), Reference(file)) << lead << " " << int(end[0]);
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
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME before{}, after{};
    GetFileTime(handle, nullptr, nullptr, &before);
    CloseHandle(handle);
    Sleep(20); // file times need to be able to differ
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 1);
    handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
    GetFileTime(handle, nullptr, nullptr, &after);
    CloseHandle(handle);
    EXPECT_EQ(CompareFileTime(&before, &after), 0);
}

TEST_F(Patcher, RefusesWhatIsNoFile) {
    std::string missing = testfiles::Folder("patcher") + "\\missing.hex";
    EXPECT_EQ(PatchFileInPlace(missing.c_str()), 0);
    EXPECT_FALSE(testfiles::Exists(missing));
    EXPECT_EQ(PatchFileInPlace(""), 0);
    EXPECT_EQ(PatchFileInPlace(nullptr), 0);
    EXPECT_EQ(PatchFileInPlace(testfiles::Folder("patcher").c_str()), 0); // a directory
    // A file another program holds open for writing.
    testfiles::Write(path, ":0000000100\r\n");
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 0);
    CloseHandle(holder);
    EXPECT_EQ(testfiles::Read(path), ":0000000100\r\n");
}

// Hostile files and paths: each has a fixed outcome, and nothing else changes on disk.
class HostileFiles : public Patcher {
  protected:
    // Writes the file with an old modification time; Unchanged() tells whether it stayed.
    void Prepare(const std::string &bytes, const std::string &at = "") {
        target = at.empty() ? path : at;
        ASSERT_TRUE(testfiles::Write(target, bytes));
        HANDLE file = CreateFileA(target.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SYSTEMTIME old{2001, 2, 0, 3, 4, 5, 6, 0};
        SystemTimeToFileTime(&old, &stamp);
        SetFileTime(file, nullptr, nullptr, &stamp);
        CloseHandle(file);
    }
    bool Unwritten() {
        HANDLE file = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME now{};
        GetFileTime(file, nullptr, nullptr, &now);
        CloseHandle(file);
        return CompareFileTime(&now, &stamp) == 0;
    }
    std::string target;
    FILETIME stamp{};
};

TEST_F(HostileFiles, ReadOnlyFileIsRefused) {
    Prepare(":0000000100\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(PatchFileInPlace(path.c_str()), 0);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(testfiles::Read(path), ":0000000100\r\n");
    EXPECT_TRUE(Unwritten());
}

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

TEST_F(HostileFiles, DirectoryIsRefused) {
    std::string folder = testfiles::Folder("patcher") + "\\sub.hex";
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_EQ(PatchFileInPlace(folder.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

// A path of MAX_PATH characters or more does not fit the ANSI file calls: refused, nothing made.
TEST_F(HostileFiles, OverlongPathIsRefused) {
    std::string folder = testfiles::Folder("patcher");
    for (std::string tail : {std::string(260, 'n'), std::string(300, 'n') + ".hex"}) {
        std::string longPath = folder + "\\" + tail;
        ASSERT_GE(longPath.size(), 260u);
        EXPECT_EQ(PatchFileInPlace(longPath.c_str()), 0);
        EXPECT_FALSE(testfiles::Exists(longPath));
    }
    // Just short enough: a file in a deep folder whose full path is 259 characters is patched.
    std::string deep = folder + "\\" + std::string(100, 'd');
    CreateDirectoryA(deep.c_str(), nullptr);
    std::string name = deep + "\\";
    name += std::string(259 - name.size(), 'f');
    ASSERT_EQ(name.size(), 259u);
    Prepare(":0000000100\r\n", name);
    EXPECT_EQ(PatchFileInPlace(name.c_str()), 1);
    EXPECT_EQ(testfiles::Read(name), ":00000001FF\r\n");
    DeleteFileA(name.c_str());
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
    EXPECT_EQ(after, Reference(bytes));
    EXPECT_NE(after.find(":02000004ffffFC\r\n"), std::string::npos);
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
    EXPECT_EQ(once, Reference(file));
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
                                     ":02000004ffffFC\r\n:02000004ffffFC\r\n:00000001FF\r\n");
    EXPECT_FALSE(Unwritten());
}

} // namespace
