// SPDX-License-Identifier: MIT
// End-to-end: the native checksumme binary on real files, its exit code, both streams and the
// bytes and times on disk.
#include "app/texts.h"
#include "tests/support/hex_model.h"
#include "tests/support/json.h"
#include "tests/support/mixed_file.h"
#include "tests/support/reference.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

enum Output { OUTPUT_FILE, OUTPUT_FULL, OUTPUT_CLOSED_PIPE, ERROR_FULL, BOTH_CLOSED };

// Runs the binary with the arguments, in folder when one is given; its output and error go to
// files that are read back (elsewhere when asked: its output to a full device or a pipe whose
// reader is gone, its error to a full device, or both closed).
Outcome RunTool(const std::vector<std::string> &arguments, const std::string &folder = "",
                Output output = OUTPUT_FILE) {
    std::string outPath = testfiles::Folder("checksumme native output") + "out";
    std::string errPath = outPath.substr(0, outPath.size() - 3) + "err";
    std::vector<char *> argv{const_cast<char *>(CHECKSUMME_EXE)};
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        int out = open(output == OUTPUT_FULL ? "/dev/full" : outPath.c_str(),
                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (int ends[2]; output == OUTPUT_CLOSED_PIPE && pipe(ends) == 0) {
            close(ends[0]);
            out = ends[1];
        }
        int err = open(output == ERROR_FULL ? "/dev/full" : errPath.c_str(),
                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        if (output == BOTH_CLOSED) close(1), close(2);
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(98);
        alarm(60); // a run that hangs fails
        execv(CHECKSUMME_EXE, argv.data());
        _exit(99);
    }
    Outcome run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.out = testfiles::Read(outPath);
    run.err = testfiles::Read(errPath);
    return run;
}

enum Kind { MIXED_CRLF, MIXED_LF_MARK, RIGHT, MISSING, READ_ONLY, FOLDER };

std::string Before(Kind kind) {
    switch (kind) {
    case MIXED_LF_MARK: return mixed::File("\n", true);
    case RIGHT: return ":00000001FF\r\n";
    case MISSING:
    case FOLDER: return "<missing>";
    default: return mixed::File("\r\n", false);
    }
}

std::string After(Kind kind, bool checking) {
    if (checking || (kind != MIXED_CRLF && kind != MIXED_LF_MARK)) return Before(kind);
    return kind == MIXED_LF_MARK ? mixed::File("\n", true, "40") : mixed::File("\r\n", false, "40");
}

// The report of one file: its lines on the standard output and on the standard error.
std::pair<std::string, std::string> Report(Kind kind, const std::string &p, bool checking) {
    auto error = [&](int code) { return "checksumme: " + p + ": " + std::strerror(code) + "\n"; };
    if (kind == MISSING) return {"", error(ENOENT)};
    if (kind == FOLDER) return {"", error(EISDIR)};
    if (kind == READ_ONLY && !checking) return {"", error(EACCES)};
    if (kind == RIGHT)
        return {p + (checking ? ": 1 record, 0 wrong, 0 lines not well-formed records\n"
                              : ": 1 record, 0 corrected, 0 lines left unchanged\n"),
                ""};
    return {mixed::Report(p, checking), ""};
}

// A number in that many upper-case hexadecimal digits.
std::string Hex(unsigned value, int digits) {
    std::string text;
    for (int k = digits - 1; k >= 0; --k)
        text += "0123456789ABCDEF"[value >> 4 * k & 15];
    return text;
}

// A data record of 16 bytes at an address below 64 KiB: each byte given, or random.
std::string DataRecord(unsigned at, std::mt19937 &rng, int byte = -1) {
    std::string line = ":10" + Hex(at, 4) + "00";
    for (int k = 0; k < 16; ++k)
        line += Hex(byte >= 0 ? static_cast<unsigned>(byte) : rng() % 256, 2);
    return line + reference::RightDigits(line + "00");
}

// Patching and checking one and several files, names in three scripts, a byte-order mark,
// missing and read-only files and a folder, the options alone and --, quiet (errors alone) and
// the version: the exit code, both streams line by line, and the files (those left alone keep
// their modification time).
TEST(NativeCommandLine, PatchesOrChecksEveryNamedFileAndReports) {
    struct Row {
        const char *name;
        std::vector<std::string> options;
        std::vector<Kind> files;
        int exitCode;
        bool relative = false;               // named without a folder, from inside it
        std::vector<std::string> after = {}; // options after the files
        const char *fault = nullptr;         // the command line's fault, its argument put in at %1
    };
    const char *UNKNOWN = "checksumme: unknown option '%1'\nTry 'checksumme --help' for more "
                          "information.\n";
    const Row rows[] = {
        {"one file: a line left as it was", {}, {MIXED_CRLF}, 2},
        {"several, one missing: the highest code", {}, {MIXED_LF_MARK, MISSING, RIGHT}, 2},
        {"names in three scripts", {}, {MIXED_CRLF, MIXED_CRLF, MIXED_LF_MARK, RIGHT}, 2},
        {"patched, all right", {}, {RIGHT, RIGHT}, 0},
        {"read-only and a folder", {}, {READ_ONLY, FOLDER, MIXED_CRLF}, 2},
        {"read-only and a folder alone", {}, {READ_ONLY, FOLDER}, 1},
        {"check", {"--check"}, {MIXED_CRLF, RIGHT}, 2},
        {"check, all right", {"--check"}, {RIGHT, RIGHT}, 0},
        {"check, read-only, missing and a folder", {"--check"}, {READ_ONLY, MISSING, FOLDER}, 2},
        {"-- ends the options", {"--check", "--"}, {MIXED_LF_MARK, RIGHT}, 2, true},
        {"check alone", {"--check"}, {}, 1},
        {"strict and set alone: the usage", {"--strict", "--set", "0=AA"}, {}, 1},
        {"nothing", {}, {}, 1},
        {"an unknown option", {"-x"}, {MIXED_CRLF}, 1, false, {}, UNKNOWN},
        {"an option after a file", {}, {MIXED_CRLF, RIGHT}, 2, false, {"--check"}},
        {"a misspelt option after a file", {}, {MIXED_CRLF}, 1, false, {"--chek"}, UNKNOWN},
        {"--set= is no option", {}, {MIXED_CRLF}, 1, false, {"--set-1=AA"}, UNKNOWN},
        {"--set without its value",
         {},
         {MIXED_CRLF},
         1,
         false,
         {"--set"},
         "checksumme: --set needs a value ADDRESS=BYTES\nTry 'checksumme --help' for more "
         "information.\n"},
        {"the standard input",
         {"-"},
         {MIXED_CRLF},
         1,
         false,
         {},
         "checksumme: '-': the standard input is not read; name a file\nTry 'checksumme "
         "--help' for more information.\n"},
        {"an empty name", {"--check", ""}, {RIGHT}, 1},
        {"help", {"--help"}, {}, 0},
        {"help, short", {"-h", "--check"}, {}, 0},
        {"quiet: errors alone", {"-q"}, {MIXED_CRLF, MISSING}, 2},
        {"check, quiet", {"--quiet", "--check"}, {MIXED_LF_MARK, FOLDER}, 2},
        {"check, quiet, a folder alone", {"--quiet", "--check"}, {RIGHT, FOLDER}, 1},
        {"version", {"--version", "--check"}, {MIXED_CRLF}, 0},
        {"version, short", {"-V"}, {}, 0},
    };
    const char *NAMES[] = {"datei ä.hex", "прошивка файл.hex", "固件 主程序.hex", "łódź 🔧.hex"};
    std::string folder = testfiles::Folder("checksumme native");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto given = [&](const char *option) {
            return std::find(row.options.begin(), row.options.end(), option) != row.options.end();
        };
        bool checking = given("--check") ||
                        std::find(row.after.begin(), row.after.end(), "--check") != row.after.end();
        bool unknown = row.fault != nullptr;
        bool quiet = given("-q") || given("--quiet"), version = given("--version") || given("-V");
        std::vector<std::string> arguments = row.options, paths;
        std::vector<int64_t> times;
        std::string out, err;
        for (size_t i = 0; i < row.files.size(); ++i) {
            Kind kind = row.files[i];
            std::string name = row.relative ? (i == 0 ? "-x.hex" : "--help") : NAMES[i % 4];
            std::string path = folder + name;
            testfiles::SetReadOnly(path, false);
            testfiles::Remove(path);
            if (kind == FOLDER) testfiles::MakeFolder(path);
            if (kind != MISSING && kind != FOLDER) {
                ASSERT_TRUE(testfiles::Write(path, Before(kind)));
            }
            if (kind == READ_ONLY) testfiles::SetReadOnly(path, true);
            paths.push_back(path);
            times.push_back(testfiles::MakeOld(path));
            arguments.push_back(row.relative ? name : path);
            auto [lines, errors] = Report(kind, row.relative ? name : path, checking);
            out += lines;
            err += errors;
            // Quiet, what was found in a file still says why the call did not end in 0.
            if (quiet && errors.empty() && kind != RIGHT)
                err += "checksumme: " + (row.relative ? name : path) +
                       (checking ? ": 1 checksum wrong, 1 line not a well-formed record\n"
                                 : ": 1 line left unchanged\n");
        }
        arguments.insert(arguments.end(), row.after.begin(), row.after.end());
        if (given("")) err = "checksumme: : No such file or directory\n" + err;
        bool usage = row.files.empty();
        if (usage || unknown) out = err = "";
        if (row.exitCode == 0 && usage) out = texts::USAGE;
        if (row.exitCode == 1 && usage) err = texts::USAGE;
        if (unknown) {
            std::string named = row.after.empty() ? row.options[0] : row.after[0];
            err = row.fault;
            if (size_t at = err.find("%1"); at != std::string::npos) err.replace(at, 2, named);
        }
        if (quiet) out = "";
        if (version) out = texts::VERSION, err = "";
        Outcome run = RunTool(arguments, row.relative ? folder : "");
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(run.err, err);
        for (size_t i = 0; i < paths.size(); ++i) {
            Kind kind = row.files[i];
            std::string expected = unknown || version ? Before(kind) : After(kind, checking);
            if (kind == FOLDER) {
                EXPECT_TRUE(testfiles::IsFolder(paths[i]));
            } else {
                EXPECT_EQ(testfiles::Read(paths[i]), expected) << paths[i];
            }
            if (expected == Before(kind)) {
                EXPECT_EQ(testfiles::WrittenAt(paths[i]), times[i]) << paths[i] << " was written";
            }
            testfiles::SetReadOnly(paths[i], false);
            testfiles::Remove(paths[i]);
        }
    }
}

// --set and --strict (tests/support/mixed_file.h): the exit code, both streams, the file's bytes,
// and its modification time where it stays as it was.
TEST(NativeCommandLine, SetsBytesAndChecksTheStructure) {
    std::string folder = testfiles::Folder("checksumme native");
    std::string path = folder + "serial \xC3\xA4.hex", output = folder + "aus gabe.hex";
    const std::vector<mixed::EditRow> rows = mixed::EditRows();
    for (const mixed::EditRow &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(testfiles::Write(path, row.before));
        int64_t before = testfiles::MakeOld(path);
        // Every other row names the file first: options after it mean the same.
        bool fileFirst = (&row - rows.data()) % 2 == 1;
        testfiles::Remove(output);
        if (fileFirst) {
            ASSERT_TRUE(testfiles::Write(output, "old"));
        }
        std::vector<std::string> arguments;
        for (const std::string &option : row.options)
            arguments.push_back(mixed::WithPath(option, path, output));
        arguments.insert(fileFirst ? arguments.begin() : arguments.end(), path);
        Outcome run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_EQ(run.out, mixed::WithPath(row.out, path, output));
        EXPECT_EQ(run.err, mixed::WithPath(row.err, path, output));
        EXPECT_EQ(testfiles::Read(path), row.after);
        if (row.after == row.before) {
            EXPECT_EQ(testfiles::WrittenAt(path), before);
        }
        EXPECT_EQ(testfiles::Read(output), !row.output.empty() ? row.output
                                           : fileFirst         ? "old"
                                                               : "<missing>");
        EXPECT_FALSE(testfiles::Exists(folder + ".checksumme-1.tmp"));
        // The same call with --json: the same bytes, failures and exit code, and each file's
        // object parsed back with the call's exit code (none for a fault of the command line).
        ASSERT_TRUE(testfiles::Write(path, row.before));
        testfiles::Remove(output);
        arguments.insert(arguments.begin(), "--json");
        Outcome json = RunTool(arguments);
        EXPECT_EQ(json.exitCode, row.exitCode);
        EXPECT_EQ(testfiles::Read(path), row.after);
        bool quiet = std::find(row.options.begin(), row.options.end(), "-q") != row.options.end();
        if (!quiet) {
            EXPECT_EQ(json.err, run.err);
        }
        int64_t highest = json::HighestExit(json.out);
        EXPECT_NE(highest, -2) << json.out;
        bool fault = json.err.find("Try 'checksumme --help'") != std::string::npos ||
                     json.err == texts::USAGE;
        if (highest < 0) {
            EXPECT_TRUE(fault) << json.err;
        } else {
            EXPECT_EQ(highest, row.exitCode);
        }
    }
    testfiles::Remove(path);
    testfiles::Remove(output);
}

// The jobs of --checksum as srec_cat does them: crc32 (little-endian), sum16 (big-endian), the
// STM32 CRC unit fed 32-bit words and the negated sum of 16-bit words: images of 16-byte records
// in any order with gaps, behind an extended address record, in either case; every data byte of
// the two results alike.
TEST(NativeCommandLine, ChecksumsAsSrecCatStoresThem) {
    if (std::system("srec_cat --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no srec_cat";
    std::string folder = testfiles::Folder("checksum as srec_cat");
    std::string ours = folder + "ours.hex", theirs = folder + "theirs.hex";
    std::mt19937 rng(2027);
    const struct {
        const char *ours, *theirs;
        int width;
    } CASES[] = {
        {"crc32:0x08001000-0x080013FF@0x08001400", "-crc32-l-e 0x08001400", 4},
        {"sum16:0x08001000-0x080013FF@0x08001400:be", "-checksum-positive-b-e 0x08001400 2 1", 2},
        {"crc32-mpeg2/w32le:0x08001000-0x080013FF@0x08001400", "-stm32-l-e 0x08001400", 4},
        {"sum16/w16le/neg:0x08001000-0x080013FF@0x08001400",
         "-checksum-negative-l-e 0x08001400 2 2", 2},
    };
    for (int round = 0; round < 12; ++round) {
        const auto &job = CASES[round % 4];
        std::vector<std::string> records;
        for (unsigned offset = 0x1000; offset < 0x1400; offset += 16) {
            if (rng() % 4 == 0) continue; // a gap
            records.push_back(DataRecord(offset, rng));
        }
        records.push_back(":041400002B2B2B2B" + reference::RightDigits(":041400002B2B2B2B00"));
        std::shuffle(records.begin(), records.end(), rng);
        std::string file = ":020000040800F2\n";
        for (std::string &line : records) {
            if (round % 3 == 1)
                std::transform(line.begin(), line.end(), line.begin(),
                               [](char c) { return static_cast<char>(std::tolower(c)); });
            file += line + "\n";
        }
        file += ":00000001FF\n";
        ASSERT_TRUE(testfiles::Write(ours, file));
        ASSERT_TRUE(testfiles::Write(theirs, file));
        Outcome run = RunTool({"-q", "--checksum", job.ours, ours});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::string place = "0x08001400 " + std::to_string(0x08001400 + job.width);
        std::string command =
            "srec_cat '(' '" + theirs + "' -intel -fill 0xFF 0x08001000 0x08001400 -crop " +
            "0x08001000 0x08001400 " + job.theirs + " ')' -crop " + place + " '" + theirs +
            "' -intel -exclude " + place + " -o '" + theirs + ".out' -intel 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        auto bytes = [](const std::string &path) {
            std::map<uint64_t, int> values;
            for (const auto &held : model::Image(testfiles::Read(path)))
                values[held.first] = held.second[0].second;
            return values;
        };
        EXPECT_EQ(bytes(ours), bytes(theirs + ".out")) << "round " << round;
    }
}

// SHA-256 and SHA-512 of random images with gaps, the fill FF or 00, over one range or two: as
// sha256sum and sha512sum give them for the same bytes; and --find-checksum finds them.
TEST(NativeCommandLine, DigestsAsShaSumGivesThem) {
    std::string folder = testfiles::Folder("digests");
    std::string file = folder + "image.hex", bytes = folder + "image.bin";
    std::mt19937 rng(2026);
    for (int round = 0; round < 8; ++round) {
        std::string records;
        for (unsigned at = 0; at < 0x400; at += 16)
            if (rng() % 3) records += DataRecord(at, rng) + "\n";
        ASSERT_TRUE(testfiles::Write(file, records + ":00000001FF\n"));
        const auto image = model::Image(testfiles::Read(file));
        unsigned first = rng() % 0x200, last = first + rng() % 0x200, split = first + 7;
        std::vector<std::pair<unsigned, unsigned>> ranges = {{first, last}};
        if (round % 3 == 2) ranges = {{split, last}, {first, split - 1}};
        char fill = round % 2 ? '\0' : '\xFF';
        std::string data, text;
        for (const auto &range : ranges) {
            text += (text.empty() ? "" : "+") + std::to_string(range.first) + "-" +
                    std::to_string(range.second);
            for (unsigned at = range.first; at <= range.second; ++at) {
                auto held = image.find(at);
                data += held == image.end() ? fill : static_cast<char>(held->second[0].second);
            }
        }
        ASSERT_TRUE(testfiles::Write(bytes, data));
        for (std::string digest : {"sha256", "sha512"}) {
            Outcome run = RunTool(
                {"-q", "--fill", fill ? "FF" : "00", "--checksum", digest + ":" + text, file});
            std::string command = digest + "sum '" + bytes + "'", sum;
            if (FILE *pipe = popen(command.c_str(), "r")) {
                for (int c; (c = std::fgetc(pipe)) != EOF && c != ' ';)
                    sum += static_cast<char>(c);
                pclose(pipe);
            }
            EXPECT_EQ(run.out, sum + "\n") << digest << " over " << text;
            Outcome found = RunTool({"-q", "--find-checksum", text + "=0x" + sum, file});
            EXPECT_EQ(found.out.find(texts::FOUND_CHECKSUM + digest + ":"), 0u) << found.out;
        }
    }
}

// A checksum stored by --checksum, of a random algorithm, word form, fill, byte order and range
// over a random image with gaps, is found by --find-checksum from its place: the line that
// stores it is among the matches (the range whole, or given past the place and cut before it).
// So is the value it prints, given as a value. Every line found, given to --check, checks the
// file and finds it right.
TEST(NativeCommandLine, FindsEveryChecksumItStores) {
    std::string file = testfiles::Folder("found") + "image.hex";
    std::mt19937 rng(46);
    const char *const NAMES[] = {
        "crc32",           "crc32-mpeg2", "crc16-xmodem",   "CRC-16/GENIBUS",
        "CRC-8/MAXIM-DOW", "CRC-64/WE",   "CRC-32/AUTOSAR", "CRC-16/DECT-R",
        "sum32",           "sum16",       "sum8",           "sha256"};
    const char *const FORMS[] = {"", "/w32le", "/w16le", "/w32be", "/w16be"};
    for (int round = 0; round < 30; ++round) {
        std::string records;
        bool gaps = false;
        unsigned first = 4 * (rng() % 48);
        for (unsigned at = 0; at < 0x440; at += 16) {
            bool held = at >= 0x400 || rng() % 4 != 0;
            gaps |= !held && at + 15 >= first;
            if (!held) continue;
            records += DataRecord(at, rng, at >= 0x400 ? 0xFF : -1) + "\n";
        }
        ASSERT_TRUE(testfiles::Write(file, records + ":00000001FF\n"));
        std::string name = NAMES[rng() % std::size(NAMES)];
        bool sum = name.starts_with("sum"), crc = !sum && name != "sha256";
        std::string form = crc ? FORMS[rng() % 3] : sum ? FORMS[rng() % 5] : "";
        if (sum && rng() % 2) form += "/neg";
        bool zeros = rng() % 2,
             big = rng() % 2 && name != "sha256" && name != "sum8" && name != "CRC-8/MAXIM-DOW";
        std::string range = "0x" + Hex(first, 8) + "-0x000003FF";
        Outcome stored = RunTool({"--fill", zeros ? "00" : "FF", "--checksum",
                                  name + form + ":" + range + "@0x400" + (big ? ":be" : ""), file});
        ASSERT_EQ(stored.exitCode, 0) << stored.out << stored.err;
        std::string given = "0x" + Hex(first, 8) + (rng() % 2 ? "-0x3FF" : "-0x43F") + "@0x400";
        Outcome found = RunTool({"-q", "--find-checksum", given, file});
        std::string line = texts::FOUND_CHECKSUM + name + form + ":" + range + "@0x00000400" +
                           (big ? ":be" : "") + (zeros && gaps ? texts::FOUND_FILL : "") + "\n";
        EXPECT_NE(found.out.find(line), std::string::npos)
            << "round " << round << ": " << line << found.out << found.err;
        std::string value = RunTool({"-q", "--fill", zeros ? "00" : "FF", "--checksum",
                                     name + form + ":" + range, file})
                                .out;
        value = (name == "sha256" ? "0x" : "") + value.substr(0, value.size() - 1);
        Outcome byValue = RunTool({"-q", "--find-checksum", range + "=" + value, file});
        line = texts::FOUND_CHECKSUM + name + form + ":" + range + "=" + value +
               (zeros && gaps ? texts::FOUND_FILL : "") + "\n";
        EXPECT_NE(byValue.out.find(line), std::string::npos)
            << "round " << round << ": " << line << byValue.out << byValue.err;
        std::istringstream lines(found.out + byValue.out);
        for (std::string options; std::getline(lines, options);) {
            std::vector<std::string> arguments = {"--check"};
            std::istringstream words(options);
            for (std::string word; words >> word;)
                arguments.push_back(word);
            arguments.push_back(file);
            EXPECT_EQ(RunTool(arguments).exitCode, 0) << "round " << round << ": " << options;
        }
    }
}

// --strict on data records in the one order that made the address ranges a chain when they were
// balanced by chance (a treap whose priorities were each range's number, scrambled): data record
// k alone at the address Scrambled(k), behind its own extended address record. It ends without
// a stack overflow (and well within the tests' time limit; ./dev bench times such files).
TEST(NativeCommandLine, StrictCheckTakesRecordsInAnyOrder) {
    std::string file = mixed::ScrambledLayout(200000);
    std::string path = testfiles::Folder("checksumme native") + "scrambled.hex";
    ASSERT_TRUE(testfiles::Write(path, file));
    Outcome run = RunTool({"--strict", path}); // (its time is a row of ./dev bench)
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, path + ": 400001 records, 0 wrong, 0 lines not well-formed records, 0 "
                              "structure findings\n");
    testfiles::Remove(path);
}

// --set on several files: all of them set, or, when one refuses (a byte in two records, a file
// that cannot be written, first or last), none (not even its time).
TEST(NativeCommandLine, SetsEveryFileOrNone) {
    std::string folder = testfiles::Folder("checksumme native");
    const std::vector<mixed::EditRow> rows = mixed::EditRows();
    const mixed::EditRow &right = rows[1], &refused = rows[3]; // a right file; a layout
    enum { NONE, LAYOUT, READ_ONLY_FIRST, READ_ONLY_LAST };
    for (int refusing : {NONE, LAYOUT, READ_ONLY_FIRST, READ_ONLY_LAST}) {
        std::vector<std::string> arguments = right.options, paths;
        std::vector<int64_t> times;
        for (const char *name : {"eins.hex", "zwei.hex"}) {
            paths.push_back(folder + name);
            testfiles::SetReadOnly(paths.back(), false);
            ASSERT_TRUE(testfiles::Write(paths.back(), refusing == LAYOUT && name[0] == 'z'
                                                           ? refused.before
                                                           : right.before));
            if ((refusing == READ_ONLY_FIRST && name[0] == 'e') ||
                (refusing == READ_ONLY_LAST && name[0] == 'z'))
                testfiles::SetReadOnly(paths.back(), true);
            times.push_back(testfiles::MakeOld(paths.back()));
            arguments.push_back(paths.back());
        }
        Outcome run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, refusing ? 1 : 0);
        EXPECT_EQ(testfiles::Read(paths[0]), refusing ? right.before : right.after);
        if (refusing) {
            EXPECT_EQ(testfiles::WrittenAt(paths[0]), times[0]);
            EXPECT_EQ(testfiles::WrittenAt(paths[1]), times[1]);
        } else {
            EXPECT_EQ(testfiles::Read(paths[1]), right.after);
        }
        for (const std::string &path : paths) {
            testfiles::SetReadOnly(path, false);
            testfiles::Remove(path);
        }
    }
    // One file under two names is refused, not set twice.
    std::string path = folder + "eins.hex", link = folder + "link.hex";
    ASSERT_TRUE(testfiles::Write(path, right.before));
    testfiles::Remove(link);
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    int64_t time = testfiles::MakeOld(path);
    std::vector<std::string> arguments = right.options;
    arguments.insert(arguments.end(), {path, link});
    Outcome run = RunTool(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "checksumme: " + link + ": the same file as " + path + ", nothing set\n");
    EXPECT_EQ(testfiles::Read(path), right.before);
    EXPECT_EQ(testfiles::WrittenAt(path), time);
    testfiles::Remove(link);
    testfiles::Remove(path);
}

// A report that cannot be written fails the call once every file is done: a full disk says so
// on the standard error, a reader that went away (a closed pipe, as behind "| head") needs no
// word.
// A full error stream keeps its line out of the report. Closed streams are no streams: a file
// opened in their place gets no report written into it.
TEST(NativeCommandLine, AReportNotWrittenFailsTheCall) {
    std::string path = testfiles::Folder("checksumme native") + "report.hex";
    for (Output output : {OUTPUT_FULL, OUTPUT_CLOSED_PIPE}) {
        ASSERT_TRUE(testfiles::Write(path, mixed::File("\n", false)));
        Outcome run = RunTool({path}, "", output);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, output == OUTPUT_FULL ? "checksumme: the report could not be written "
                                                   "completely: No space left on device; the file "
                                                   "was written\n"
                                                 : "");
        EXPECT_EQ(testfiles::Read(path), mixed::File("\n", false, "40"));
        // With -o as in place: the result is kept, and the line says so.
        testfiles::Remove(path + ".out");
        run = RunTool({"-o", path + ".out", path}, "", output);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(testfiles::Read(path + ".out"), mixed::File("\n", false, "40"));
        testfiles::Remove(path + ".out");
    }
    ASSERT_TRUE(testfiles::Write(path, mixed::File("\n", false)));
    Outcome run = RunTool({"--check", path, path + ".missing"}, "", ERROR_FULL);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, mixed::Report(path, true));
    const std::string before = ":10010000214601360121470136007EFE09D2190140\n:00000001FF\n";
    for (bool refused : {true, false}) {
        ASSERT_TRUE(testfiles::Write(path, before));
        std::vector<std::string> arguments{"--set", "0x100=AA", path};
        if (refused) arguments.push_back(path + ".missing");
        run = RunTool(arguments, "", BOTH_CLOSED);
        EXPECT_EQ(run.exitCode, refused ? 1 : 0);
        EXPECT_EQ(testfiles::Read(path),
                  refused ? before : ":10010000AA4601360121470136007EFE09D21901B7\n:00000001FF\n");
    }
    testfiles::Remove(path);
}

// -o writes FILE whatever the umask, under a name of any length, past files left by killed
// processes, and a stop by SIGINT, SIGTERM or SIGHUP at any moment leaves FILE its old self or
// the whole result and nothing else in its folder.
TEST(NativeCommandLine, OutputSurvivesUmasksNamesAndStops) {
    std::string folder = testfiles::Folder("checksumme output file");
    std::string input = folder + "in.hex", output = folder + "out.hex";
    const std::string before = mixed::File("\n", false), patched = mixed::File("\n", false, "40");
    ASSERT_TRUE(testfiles::Write(input, before));
    chmod(input.c_str(), 0640);
    std::vector<std::string> stale;
    for (int n = 1; n <= 200; ++n)
        stale.push_back(folder + (n % 2 ? ".checksumme-" + std::to_string(n / 2 + 1) + ".tmp"
                                        : "out.hex." + std::to_string(n / 2) + ".tmp"));
    // An existing FILE keeps its bits; a hard link to it keeps the old bytes.
    std::string other = testfiles::Folder("checksumme output file other") + "out.hex",
                linked = folder + "linked.hex";
    struct Row {
        const char *name;
        mode_t umask;
        std::string output;
        bool stale, existing, hardLink;
    } rows[] = {
        {"umask 0222", 0222, output, false, false, false},
        {"umask 0277", 0277, output, false, true, false},
        {"umask 0077", 0077, output, false, false, false},
        {"a name of 255 bytes", 0022, folder + std::string(251, 'n') + ".hex", false, false, false},
        {"200 files left by killed processes", 0022, output, true, true, false},
        {"a hard link", 0022, output, false, true, true},
        {"another folder", 0022, other, false, true, false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        testfiles::Remove(row.output);
        for (const std::string &left : stale)
            if (!row.stale || !testfiles::Write(left, "left")) testfiles::Remove(left);
        if (row.existing) {
            ASSERT_TRUE(testfiles::Write(row.output, "old"));
            chmod(row.output.c_str(), 0604);
        }
        ASSERT_TRUE(!row.hardLink || link(row.output.c_str(), linked.c_str()) == 0);
        mode_t old = umask(row.umask);
        Outcome run = RunTool({"-q", "-o", row.output, input});
        umask(old);
        EXPECT_EQ(run.exitCode, 2) << run.err; // (the file's malformed line)
        EXPECT_EQ(testfiles::Read(row.output), patched);
        struct stat status {};
        stat(row.output.c_str(), &status);
        EXPECT_EQ(status.st_mode & 0777, row.existing ? 0604u : 0640u);
        EXPECT_EQ(testfiles::Read(linked), row.hardLink ? "old" : "<missing>");
        EXPECT_EQ(testfiles::Read(folder + ".checksumme-100.tmp"),
                  row.stale ? "left" : "<missing>");
        EXPECT_FALSE(testfiles::Exists(folder + ".checksumme-101.tmp")); // (the one taken)
        testfiles::Remove(row.output);
        testfiles::Remove(linked);
    }
    for (const std::string &left : stale)
        testfiles::Remove(left);
    // A read-only FILE is refused as a read-only input is, and stays as it was.
    ASSERT_TRUE(testfiles::Write(output, "old"));
    chmod(output.c_str(), 0444);
    Outcome refused = RunTool({"-o", output, input});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "checksumme: " + output + ": Permission denied\n");
    EXPECT_EQ(testfiles::Read(output), "old");
    chmod(output.c_str(), 0644);
    // A symbolic link is followed: the file it leads to is replaced (made, where it leads nowhere)
    // and the link stays; a link to a read-only file is refused.
    std::string link = folder + "link.hex", target = folder + "target.hex";
    for (bool dangling : {false, true}) {
        testfiles::Remove(link);
        testfiles::Remove(target);
        if (!dangling) {
            ASSERT_TRUE(testfiles::Write(target, "old"));
        }
        ASSERT_EQ(symlink("target.hex", link.c_str()), 0);
        EXPECT_EQ(RunTool({"-q", "-o", link, input}).exitCode, 2);
        EXPECT_EQ(testfiles::Read(target), patched);
        struct stat status {};
        EXPECT_TRUE(lstat(link.c_str(), &status) == 0 && S_ISLNK(status.st_mode));
    }
    chmod(target.c_str(), 0444);
    EXPECT_EQ(RunTool({"-o", link, input}).err, "checksumme: " + link + ": Permission denied\n");
    EXPECT_EQ(testfiles::Read(target), patched);
    testfiles::Remove(link);
    testfiles::Remove(target);
    // Stops at random moments of a call on a file of some megabytes.
    std::string large;
    for (int k = 0; k < 60000; ++k)
        large += before;
    ASSERT_TRUE(testfiles::Write(input, large));
    std::string done;
    for (size_t at = 0; at < large.size(); at += before.size())
        done += patched;
    std::mt19937 rng(43);
    const int STOPS[] = {SIGINT, SIGTERM, SIGHUP, SIGKILL};
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(testfiles::Write(output, "old"));
        pid_t child = fork();
        if (child == 0) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1), dup2(null, 2);
            execl(CHECKSUMME_EXE, CHECKSUMME_EXE, "-o", output.c_str(), input.c_str(), nullptr);
            _exit(99);
        }
        usleep(static_cast<useconds_t>(rng() % 60000));
        kill(child, STOPS[round % 4]);
        int status = 0;
        waitpid(child, &status, 0);
        std::string now = testfiles::Read(output);
        EXPECT_TRUE(now == "old" || now == done) << now.size();
        EXPECT_EQ(testfiles::Names(folder), (std::vector<std::string>{"in.hex", "out.hex"}));
    }
    testfiles::Remove(input);
    testfiles::Remove(output);
}

// Only regular files are opened: a character device and a FIFO without a writer are refused at
// once, the other files are still done, and a symbolic link to a regular file is followed.
TEST(NativeCommandLine, OnlyRegularFilesAreOpened) {
    std::string folder = testfiles::Folder("checksumme native special");
    std::string fifo = folder + "fifo.hex", target = folder + "target.hex",
                link = folder + "link.hex";
    testfiles::Remove(fifo);
    testfiles::Remove(link);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    int opens = inotify_init1(IN_NONBLOCK); // sees every open of the FIFO
    ASSERT_GE(inotify_add_watch(opens, fifo.c_str(), IN_OPEN), 0);
    for (bool checking : {false, true}) {
        ASSERT_TRUE(testfiles::Write(target, mixed::File("\r\n", false)));
        std::vector<std::string> arguments{"/dev/null", fifo, "/dev/zero", link};
        if (checking) arguments.insert(arguments.begin(), "--check");
        Outcome run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 2); // (the highest code: the target holds a malformed line)
        EXPECT_EQ(run.err, "checksumme: /dev/null: not a regular file\n"
                           "checksumme: " +
                               fifo +
                               ": not a regular file\n"
                               "checksumme: /dev/zero: not a regular file\n");
        EXPECT_EQ(run.out, mixed::Report(link, checking));
        EXPECT_EQ(testfiles::Read(target),
                  checking ? mixed::File("\r\n", false) : mixed::File("\r\n", false, "40"));
    }
    char events[4096];
    EXPECT_LT(read(opens, events, sizeof events), 1) << "the FIFO was opened";
    close(opens);
    testfiles::Remove(fifo);
    testfiles::Remove(link);
}

// A path longer than the system takes whole (PATH_MAX, 4096 bytes on Linux) is patched and
// checked all the same, and reported as given; a FIFO at such a path is refused without being
// opened (on Linux, inotify sees every open).
TEST(NativeCommandLine, PathLongerThanTheSystemTakesWhole) {
    std::string top = testfiles::Folder("checksumme native long");
    std::string path = top.substr(0, top.size() - 1);
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(path.c_str()), 0);
    const std::string name(200, 'd');
    auto enter = [&](int depth) {
        for (int level = 0; level < depth; ++level) {
            mkdir(name.c_str(), 0777);
            if (chdir(name.c_str()) != 0) return false;
        }
        return true;
    };
    ASSERT_TRUE(enter(25));
    ASSERT_TRUE(testfiles::Write("f.hex", ":0000000100\n"));
    unlink("fifo.hex");
    ASSERT_EQ(mkfifo("fifo.hex", 0644), 0);
#ifdef __linux__
    int opens = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(inotify_add_watch(opens, "fifo.hex", IN_OPEN), 0);
#endif
    ASSERT_EQ(chdir(here), 0);
    for (int level = 0; level < 25; ++level)
        path += "/" + name;
    std::string fifo = path + "/fifo.hex";
    path += "/f.hex";
    ASSERT_GT(path.size(), 4096u);
    for (bool checking : {false, true}) {
        Outcome run = RunTool(checking ? std::vector<std::string>{"--check", path, fifo}
                                       : std::vector<std::string>{path, fifo});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, checking
                               ? path + ": 1 record, 0 wrong, 0 lines not well-formed records\n"
                               : path + ":1: checksum 00 corrected to FF\n" + path +
                                     ": 1 record, 1 corrected, 0 lines left unchanged\n");
        EXPECT_EQ(run.err, "checksumme: " + fifo + ": not a regular file\n");
    }
#ifdef __linux__
    char event[512];
    EXPECT_EQ(read(opens, event, sizeof event), -1) << "the FIFO was opened";
    close(opens);
#endif
    ASSERT_EQ(chdir(top.c_str()), 0);
    ASSERT_TRUE(enter(25));
    EXPECT_EQ(testfiles::Read("f.hex"), ":00000001FF\n");
    ASSERT_EQ(chdir(here), 0);
    EXPECT_EQ(std::system(("rm -rf '" + top + "'").c_str()), 0);
}

} // namespace
