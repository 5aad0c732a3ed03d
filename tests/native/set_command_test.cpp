// SPDX-License-Identifier: MIT
// --set over two files while another program changes one of them, or a system call fails
// (through the test platform): before the first write nothing is written; during the writes
// the change is never reported as success, and no file after it is written. The call runs in
// this process, its report on the standard error read back.
#include "app/command_line.h"
#include "app/options.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/platform.h"
#include "tests/support/crc_reference.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/hex_model.h"
#include "tests/support/json.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

struct Change {
    std::string path, bytes;
    bool keepTime; // its modification time put back, as a careful program does
};

void ChangeFile(void *context) {
    const Change &change = *static_cast<const Change *>(context);
    struct stat before {};
    stat(change.path.c_str(), &before);
    testfiles::Write(change.path, change.bytes);
    if (!change.keepTime) return;
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    utimensat(AT_FDCWD, change.path.c_str(), times, 0);
}

// The call in this process: its exit code and its standard output and error.
int32_t RunInProcess(const std::vector<std::string> &arguments, std::string *out,
                     std::string *error = nullptr) {
    std::vector<char *> argv{const_cast<char *>("checksumme")};
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    SetPlatformArguments(static_cast<int>(argv.size()), argv.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    CommandLine command = ReadCommandLine();
    int32_t exitCode = RunCommand(command);
    ReleaseCommandLine(command);
    std::string written = testing::internal::GetCapturedStderr();
    if (error) *error = written;
    written = testing::internal::GetCapturedStdout();
    if (out) *out = written;
    return exitCode;
}

// The first file is right (only its set record is written back), the second's last record has
// no line end (walked whole). Stamps are taken at each open (1, 2), before the first write (3, 4)
// and before each file's write (5, 6); a seek comes first in each file's write.
TEST(SetCommand, NothingWrittenOrAFailureWhenAFileChanges) {
    const std::string right = ":0400000001020304F2\n:00000001FF\n";
    const std::string unended = ":0400000001020304F2\r\n:00000001FF"; // (as long as moved)
    const std::string rightSet = ":0400000001AA03044A\n:00000001FF\n";
    const std::string unendedSet = ":0400000001AA03044A\r\n:00000001FF\r\n";
    const std::string moved = ":00000001FF\n:0400000001020304F2\n";  // the same bytes, other lines
    const std::string edited = ":0400000009020304EA\n:00000001FF\n"; // another byte in place
    const std::string since = ": changed by another program since it was read, nothing set\n";
    const std::string whileSet =
        ": changed by another program while its bytes were set, not every byte set\n";
    const std::string reread = ": could not be read completely, stopped after line 0: changed by "
                               "another program while being read\n";
    struct Row {
        const char *name;
        faults::Call call;
        int nth;
        bool failing; // the call fails (with EIO), else another program changes a file first
        int file;     // the file changed, or whose report tells the failure
        std::string change;
        bool keepTime;
        std::string error; // behind "checksumme: FILE"
        std::string after[2];
    };
    // clang-format off
    const Row rows[] = {
        {"changed before the writes", faults::STAMP, 3, false, 0, moved, false, since, {moved, unended}},
        {"the second changed before the writes", faults::STAMP, 4, false, 1, moved, false, since, {right, moved}},
        {"changed, its time put back", faults::STAMP, 3, false, 0, edited, true, since, {edited, unended}},
        {"the second changed while the first was written", faults::STAMP, 6, false, 1, moved, false, since,
         {rightSet, moved}},
        {"a line moved under the short write", faults::SEEK, 1, false, 0, moved, false, reread, {moved, unended}},
        {"a byte changed under the short write", faults::SEEK, 1, false, 0, edited, false, reread, {edited, unended}},
        {"a line moved under the whole walk", faults::SEEK, 2, false, 1, moved, false, whileSet, {rightSet, moved}},
        {"a byte changed under the whole walk", faults::SEEK, 2, false, 1, edited, false, whileSet,
         {rightSet, edited}},
        {"no stamp at the open", faults::STAMP, 1, true, 0, "", false,
         ": changed by another program while being read\n", {right, unended}},
        {"a failed read in the first walk", faults::READ, 1, true, 0, "", false,
         ": could not be read completely, stopped after line 0: Input/output error\n", {right, unended}},
        {"a failed seek to the record", faults::SEEK, 1, true, 0, "", false,
         ": could not be written completely, stopped after line 0: Input/output error\n", {right, unended}},
        {"a failed write of its span", faults::WRITE, 1, true, 0, "", false,
         ": could not be written completely, stopped after line 0: Input/output error\n", {right, unended}},
        {"a failed close after the write", faults::CLOSE, 2, true, 1, "", false,
         ": could not be written completely, stopped after line 0: Input/output error\n",
         {rightSet, unendedSet.substr(0, unendedSet.size() - 2)}}, // (the line end's write failed)
    };
    // clang-format on
    std::string folder = testfiles::Folder("set command");
    std::vector<std::string> paths = {folder + "right.hex", folder + "unended.hex"};
    InitFileChannels();
    InitArguments();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        faults::Scope scope;
        std::vector<int64_t> times;
        for (size_t i = 0; i < paths.size(); ++i) {
            ASSERT_TRUE(testfiles::Write(paths[i], i == 0 ? right : unended));
            times.push_back(testfiles::MakeOld(paths[i]));
        }
        Change change{paths[row.file], row.change, row.keepTime};
        if (row.failing)
            faults::Fail(row.call, row.nth, EIO);
        else
            faults::Before(row.call, row.nth, ChangeFile, &change);
        std::string error;
        int32_t exitCode = RunInProcess({"--set", "1=AA", paths[0], paths[1]}, nullptr, &error);
        EXPECT_GE(faults::Calls(row.call), row.nth);
        EXPECT_EQ(exitCode, EXIT_FAILED);
        // The second file is not written once the first failed while it was written.
        std::string skipped =
            row.file == 0 && (row.call == faults::SEEK || row.call == faults::WRITE)
                ? "checksumme: " + paths[1] + ": nothing set, since a file before it failed\n"
                : "";
        EXPECT_EQ(error, "checksumme: " + paths[row.file] + row.error + skipped);
        for (size_t i = 0; i < paths.size(); ++i) {
            EXPECT_EQ(testfiles::Read(paths[i]), row.after[i]) << paths[i];
            if (row.after[i] == (i == 0 ? right : unended)) {
                EXPECT_EQ(testfiles::WrittenAt(paths[i]), times[i]) << paths[i] << " written";
            }
        }
    }
    for (const std::string &path : paths)
        testfiles::Remove(path);
}

// After any call that stores checksum values (with --set values or not) and succeeds, --check
// with the same values finds every one as stored: random layouts of the model, one to three
// values of any algorithm (in any word form, sums negated or not) over one or two ranges
// around the bytes held, their places anywhere held, in any order given (so that ranges hold
// other values' places).
TEST(SetCommand, EveryValueStoredIsFoundByTheCheck) {
    InitFileChannels();
    InitArguments();
    const char *FORMS[] = {"", "/w16le", "/w16be", "/w32le", "/w32be"};
    std::string path = testfiles::Folder("set command") + "property.hex";
    std::mt19937 rng(2026);
    int stored = 0;
    for (int round = 0; round < 900; ++round) {
        std::string file = model::RandomLayout(rng), out;
        auto image = model::Image(file);
        if (image.empty()) continue;
        auto held = [&] {
            auto at = image.begin();
            std::advance(at, static_cast<long>(rng() % image.size()));
            return std::min<uint64_t>(at->first, 0xFFFFFF00);
        };
        std::vector<std::string> values;
        for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) {
            const auto &named = reference::CATALOGUE[rng() % reference::CATALOGUE_SIZE];
            std::string form = FORMS[rng() % 5], ranges;
            for (int r = rng() % 3 ? 1 : 2; r > 0; --r) {
                uint64_t first = held(),
                         last = first + (form.empty() ? rng() % 64 : rng() % 16 * 4 + 3);
                ranges += (ranges.empty() ? "" : "+") + std::to_string(first) + "-" +
                          std::to_string(last);
            }
            values.push_back("--checksum");
            values.push_back(named.shortName + form +
                             (!named.model.poly && rng() % 2 ? "/neg" : "") + ":" + ranges + "@" +
                             std::to_string(held()) + (rng() % 2 ? ":be" : ""));
        }
        values.insert(values.end(), {"--fill", rng() % 2 ? "0xFF" : "0x00"});
        std::vector<std::string> set = values;
        if (rng() % 2) set.insert(set.end(), {"--set", std::to_string(held()) + "=A5"});
        set.push_back(path);
        ASSERT_TRUE(testfiles::Write(path, file));
        RunInProcess({path}, &out); // (a file with a wrong checksum is refused)
        if (RunInProcess(set, &out) != EXIT_DONE) continue;
        std::string written = testfiles::Read(path);
        values.insert(values.begin(), "--check");
        values.push_back(path);
        std::string error;
        EXPECT_NE(RunInProcess(values, &out, &error), EXIT_FAILED) << round << "\n"
                                                                   << written << out << error;
        EXPECT_NE(out.find(", 0 checksum values differ"), std::string::npos) << round << "\n"
                                                                             << file << out;
        EXPECT_EQ(testfiles::Read(path), written);
        ++stored;
    }
    EXPECT_GT(stored, 50);
    testfiles::Remove(path);
}

// -o FILE makes of FILE what editing in place makes of the input, in every mode that writes,
// with the same report and exit code, and the input keeps its bytes and time: random layouts
// of the model, patched, --set or --checksum, FILE new (with the input's permission bits) or
// there already (keeping its own). Where a write or the rename fails, FILE stays and no copy is
// left.
TEST(SetCommand, OutputIsTheEditInPlace) {
    InitFileChannels();
    InitArguments();
    std::string folder = testfiles::Folder("set command output");
    std::string input = folder + "input.hex", inPlace = folder + "in place.hex",
                output = folder + "output.hex";
    std::mt19937 rng(37);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::string file = model::RandomLayout(rng);
        auto image = model::Image(file);
        uint64_t held = image.empty() ? 0 : image.begin()->first;
        std::string at = std::to_string(held),
                    range = std::to_string(held + 2) + "-" + std::to_string(held + 40);
        std::vector<std::string> options[] = {
            {}, {"--set", at + "=A5"}, {"--checksum", "crc16-xmodem:" + range + "@" + at}};
        std::vector<std::string> edit = options[rng() % 3];
        // Every 25th call fails: a write of the copy, or the rename.
        bool existing = rng() % 2, failing = round % 25 == 24;
        ASSERT_TRUE(testfiles::Write(input, file) && testfiles::Write(inPlace, file));
        chmod(input.c_str(), 0640);
        testfiles::Remove(output);
        if (existing) {
            ASSERT_TRUE(testfiles::Write(output, "old"));
            chmod(output.c_str(), 0604);
        }
        int64_t time = testfiles::MakeOld(input);
        std::string out, error, outThere, errorThere;
        edit.push_back(inPlace);
        int32_t exitCode = RunInProcess(edit, &out, &error);
        edit.back() = input;
        edit.insert(rng() % 2 ? edit.begin() : edit.end() - 1, {"-o", output});
        faults::Scope scope;
        faults::Clear(); // (the log of opens too)
        bool diskFull = round % 50 == 24;
        if (failing)
            faults::Fail(diskFull ? faults::WRITE : faults::REPLACE, 1, diskFull ? ENOSPC : EIO);
        // While the copy is written: what the folder holds, and who may read the new file.
        struct Look {
            std::vector<std::string> names;
            mode_t mode = 0777;
        } look;
        faults::Before(
            faults::WRITE, 1,
            [](void *context) {
                auto &seen = *static_cast<Look *>(context);
                seen.names = testfiles::Names(testfiles::Folder("set command output"));
                struct stat status {};
                if (fstat(static_cast<int>(faults::NewVersion() - 1), &status) == 0)
                    seen.mode = status.st_mode & 0777;
            },
            &look);
        int32_t exitThere = RunInProcess(edit, &outThere, &errorThere);
        EXPECT_EQ(testfiles::Read(input), file);
        EXPECT_EQ(testfiles::WrittenAt(input), time);
        // The new file is its owner's alone, has no name until it is complete, and is opened
        // once: the call opens the input, and FILE to see whether it may replace it, no more.
        EXPECT_EQ(look.names.empty() ? 0600u : look.mode, 0600u);
        for (const std::string &opened : faults::OpenedPaths())
            EXPECT_TRUE(opened == input || opened == output) << opened;
        for (const auto &names : {look.names, testfiles::Names(folder)})
            for (const std::string &name : names)
                EXPECT_TRUE(folder + name == input || folder + name == inPlace ||
                            folder + name == output)
                    << name;
        if (failing) {
            EXPECT_EQ(exitThere, EXIT_FAILED);
            EXPECT_EQ(testfiles::Read(output), existing ? "old" : "<missing>");
            const char *why = exitCode == EXIT_FAILED ? "" // (refused for the file's own fault)
                              : diskFull              ? "No space left on device"
                                                      : "Input/output error";
            EXPECT_NE(errorThere.find(why), std::string::npos) << errorThere;
            continue;
        }
        EXPECT_EQ(exitThere, exitCode);
        // The in-place file's report, naming FILE; a refusal names the input.
        auto named = [&](std::string report) {
            const std::string &name = exitCode == EXIT_FAILED ? input : output;
            for (size_t found = report.find(inPlace); found != std::string::npos;
                 found = report.find(inPlace))
                report.replace(found, inPlace.size(), name);
            return report;
        };
        EXPECT_EQ(outThere, named(out)) << file;
        EXPECT_EQ(errorThere, named(error)) << file;
        EXPECT_EQ(testfiles::Read(output), exitCode != EXIT_FAILED ? testfiles::Read(inPlace)
                                           : existing              ? "old"
                                                                   : "<missing>");
        struct stat status {};
        stat(output.c_str(), &status);
        if (exitCode != EXIT_FAILED) {
            EXPECT_EQ(status.st_mode & 0777, existing ? 0604u : 0640u);
        }
    }
    for (const std::string &path : {input, inPlace, output})
        testfiles::Remove(path);
}

// The text report, -q and --json tell the same, and what the tests' model tells: random layouts
// of the model patched, checked, checked strictly, and read by address (a --get and a printed
// checksum where the model holds a byte). Every form exits alike and leaves the same bytes; the
// JSON object parses back, its exit code is the call's, its counts are the text summary's and
// the model's; quiet, the output holds the values alone and the error stream says something
// exactly when the exit code is not 0.
TEST(SetCommand, EveryFormTellsTheSameOutcome) {
    InitFileChannels();
    InitArguments();
    std::string path = testfiles::Folder("set command") + "forms.hex";
    std::mt19937 rng(42);
    const char *MODES[] = {"", "--check", "--strict", "--get", "--checksum"};
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        std::string file = model::RandomLayout(rng);
        auto image = model::Image(file);
        std::string mode = MODES[rng() % 5];
        std::vector<std::string> call;
        if (!mode.empty()) call.push_back(mode);
        bool values = mode == "--get" || mode == "--checksum";
        if (values) {
            uint64_t at =
                image.empty()
                    ? rng() % 256
                    : std::next(image.begin(), static_cast<long>(rng() % image.size()))->first;
            at = std::min<uint64_t>(at, 0xFFFFFFF0);
            call.push_back(mode == "--get" ? std::to_string(at) + ":u16le"
                                           : "crc16-xmodem:" + std::to_string(at) + "-" +
                                                 std::to_string(at + rng() % 16));
        }
        call.push_back(path);
        struct Run {
            int32_t exitCode;
            std::string out, err, after;
        } runs[3];
        for (int form = 0; form < 3; ++form) {
            std::vector<std::string> arguments = call;
            if (form) arguments.insert(arguments.begin(), form == 1 ? "-q" : "--json");
            ASSERT_TRUE(testfiles::Write(path, file));
            Run &run = runs[form];
            run.exitCode = RunInProcess(arguments, &run.out, &run.err);
            run.after = testfiles::Read(path);
        }
        const Run &text = runs[0], &quiet = runs[1], &json = runs[2];
        EXPECT_EQ(quiet.exitCode, text.exitCode);
        EXPECT_EQ(json.exitCode, text.exitCode);
        EXPECT_EQ(quiet.after, text.after);
        EXPECT_EQ(json.after, text.after);
        EXPECT_EQ(quiet.err.empty(), text.exitCode == 0) << quiet.err;
        json::Value object;
        ASSERT_TRUE(json::Parse(json.out, &object)) << json.out;
        EXPECT_EQ(object["exit"].number, text.exitCode);
        EXPECT_EQ(object["file"].text, path);
        // The model: what a check finds, and so the exit code of each mode.
        model::Patched patched = model::Patch(file);
        int64_t wrong = 0, malformed = 0, records = 0;
        for (const std::string &finding : patched.checking) {
            wrong += finding.find(" checksum ") != std::string::npos;
            malformed += finding.find(" malformed ") != std::string::npos;
        }
        bool refused = text.exitCode == 1;
        if (!values) {
            ASSERT_FALSE(refused) << text.err;
            size_t last = text.out.rfind(path + ": ");
            ASSERT_NE(last, std::string::npos) << text.out;
            std::istringstream(text.out.substr(last + path.size() + 2)) >> records;
            EXPECT_EQ(object["records"].number, records);
            EXPECT_EQ(object["checksums"].number, wrong);
            EXPECT_EQ(object["malformed"].number, malformed);
            EXPECT_EQ(quiet.out, "");
            bool found = malformed > 0 || records == 0 || (mode != "" && wrong > 0) ||
                         (mode == "--strict" && !model::Structure(file).empty());
            EXPECT_EQ(text.exitCode, found ? 2 : 0) << text.out;
            EXPECT_EQ(object["findings"].items.size(),
                      static_cast<size_t>(
                          (mode == "" ? patched.patching.size() : patched.checking.size()) +
                          (mode == "--strict" ? model::Structure(file).size() : 0)));
            continue;
        }
        // A value is read, or the file refused: one with a wrong checksum, an unknown image, a
        // byte in no record.
        if (wrong > 0 || model::UnknownLine(file)) {
            EXPECT_TRUE(refused) << text.out;
        }
        if (refused) {
            EXPECT_EQ(quiet.out, "");
            EXPECT_FALSE(object["failure"].text.empty());
            EXPECT_TRUE(object["values"].items.empty());
            continue;
        }
        ASSERT_EQ(object["values"].items.size(), 1u) << json.out;
        EXPECT_EQ(quiet.out, object["values"].items[0]["value"].text + "\n");
        EXPECT_NE(text.out.find(" = " + object["values"].items[0]["value"].text),
                  std::string::npos);
    }
    testfiles::Remove(path);
}

} // namespace
