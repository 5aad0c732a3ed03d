// SPDX-License-Identifier: MIT
// --set over two files while another program changes one of them (through the test platform):
// before the first write nothing is written; during the writes the change is never reported as
// success. The call runs in this process, its report on the standard error read back.
#include "app/command_line.h"
#include "app/options.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/platform.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Change {
    std::string path, bytes;
};

void ChangeFile(void *context) {
    const Change &change = *static_cast<const Change *>(context);
    testfiles::Write(change.path, change.bytes);
}

// The first file is right (only its set record is written back), the second has a wrong
// checksum (walked whole). Another program rewrites one of them before a stamp is taken (the
// check before the first write: 3 and 4) or before the first seek (the first write).
TEST(SetCommand, NothingWrittenOrAFailureWhenAFileChanges) {
    const std::string right = ":0400000001020304F2\n:00000001FF\n";
    const std::string wrong = ":0400000001020304F2\n:00000001AA\n";
    const std::string moved = ":00000001FF\n:0400000001020304F2\n"; // the same bytes, other lines
    struct Row {
        const char *name;
        faults::Call call;
        int nth;
        int changed; // the file another program changes
        std::string error;
    };
    const std::string since = ": changed by another program since it was read, nothing set\n";
    const Row rows[] = {
        {"before the writes, the first", faults::STAMP, 3, 0, since},
        {"before the writes, the second", faults::STAMP, 4, 1, since},
        {"while the first is written", faults::SEEK, 1, 0,
         ": could not be read completely, stopped after line 0: changed by another program while "
         "being read\n"},
        {"while the second is written", faults::SEEK, 2, 1,
         ": changed by another program while its bytes were set, not every byte set\n"},
    };
    std::string folder = testfiles::Folder("set command");
    std::vector<std::string> paths = {folder + "right.hex", folder + "wrong.hex"};
    InitFileChannels();
    InitArguments();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        faults::Scope scope;
        std::vector<int64_t> times;
        for (size_t i = 0; i < paths.size(); ++i) {
            ASSERT_TRUE(testfiles::Write(paths[i], i == 0 ? right : wrong));
            times.push_back(testfiles::MakeOld(paths[i]));
        }
        Change change{paths[row.changed], moved};
        faults::Before(row.call, row.nth, ChangeFile, &change);
        const char *argv[] = {"checksumme", "--set", "1=AA", paths[0].c_str(), paths[1].c_str()};
        SetPlatformArguments(5, const_cast<char **>(argv));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        CommandLine command = ReadCommandLine();
        int32_t exitCode = RunCommand(command);
        ReleaseCommandLine(command);
        std::string error = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(faults::Fired(row.call) || faults::Calls(row.call) >= row.nth);
        EXPECT_EQ(exitCode, EXIT_FAILED);
        std::string skipped =
            row.changed == 0 && row.call == faults::SEEK
                ? "checksumme: " + paths[1] + ": nothing set, since a file before it failed\n"
                : "";
        EXPECT_EQ(error, "checksumme: " + paths[row.changed] + row.error + skipped);
        EXPECT_EQ(testfiles::Read(paths[row.changed]), moved);
        int other = 1 - row.changed;
        if (row.call == faults::STAMP || other == 1) {
            EXPECT_EQ(testfiles::Read(paths[other]), other == 0 ? right : wrong);
            EXPECT_EQ(testfiles::WrittenAt(paths[other]), times[other]);
        }
    }
    for (const std::string &path : paths)
        testfiles::Remove(path);
}

} // namespace
