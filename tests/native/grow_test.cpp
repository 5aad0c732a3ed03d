// SPDX-License-Identifier: MIT
// --pad and --merge: random files of well-formed records (any order, 02 or 04 records, either
// case, LF or CR LF) padded and merged by the program, against the tests' model: the image is
// the union, every line of the file stays byte for byte and in its order, the strict check finds
// nothing new, and srec_cat reads the same image. Then a table of the cases a release pipeline
// meets.
#include "tests/support/hex_model.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

using Image = std::map<uint64_t, uint8_t>;

// The program (or srec_cat) run by the shell: its exit code, its output in *out.
int Shell(const std::string &command, std::string *out = nullptr) {
    std::string outPath = testfiles::Folder("checksumme grow") + "output.txt";
    int status = std::system((command + " >'" + outPath + "' 2>&1").c_str());
    if (out) *out = testfiles::Read(outPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Tool(const std::vector<std::string> &arguments) {
    std::string line = CHECKSUMME_EXE;
    for (const std::string &argument : arguments)
        line += " '" + argument + "'";
    return line;
}

struct Style {
    bool lower, crlf, segments;
};

std::string Record(const Style &style, int type, uint32_t offset,
                   const std::vector<uint8_t> &data) {
    std::vector<uint8_t> bytes{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(offset >> 8),
                               static_cast<uint8_t>(offset), static_cast<uint8_t>(type)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t byte : bytes)
        sum = static_cast<uint8_t>(sum + byte);
    bytes.push_back(static_cast<uint8_t>(-sum));
    std::string line = ":";
    const char *digits = style.lower ? "0123456789abcdef" : "0123456789ABCDEF";
    for (uint8_t byte : bytes)
        line += std::string{digits[byte >> 4], digits[byte & 15]};
    return line + (style.crlf ? "\r\n" : "\n");
}

// A file of blocks of records at random places of four 64 KiB pages, the blocks in random order,
// each record's bytes into *image.
std::string RandomFile(std::mt19937 &rng, const Style &style, Image *image) {
    std::string file;
    int64_t base = 0; // the base the records stand under
    for (int block = 0, blocks = 1 + static_cast<int>(rng() % 8); block < blocks; ++block) {
        uint32_t page = static_cast<uint32_t>(rng() % 4), length = 8u << (rng() % 3);
        uint32_t at = page << 16 | static_cast<uint32_t>(rng() % 0xFF00);
        for (int k = 0, records = 1 + static_cast<int>(rng() % 4); k < records; ++k, at += length) {
            if ((at & 0xFFFF) + length > 0x10000) break;
            bool free = true;
            for (uint32_t i = 0; i < length; ++i)
                free = free && !image->count(at + i);
            if (!free) continue;
            if (base != page << 16) {
                base = page << 16;
                file += style.segments ? Record(style, 2, 0, {static_cast<uint8_t>(page << 4), 0})
                                       : Record(style, 4, 0, {0, static_cast<uint8_t>(page)});
            }
            std::vector<uint8_t> data(length);
            for (uint32_t i = 0; i < length; ++i)
                (*image)[at + i] = data[i] = static_cast<uint8_t>(rng());
            file += Record(style, 0, at & 0xFFFF, data);
        }
    }
    return file + Record(style, 1, 0, {});
}

// The image the model reads, each byte's first holder's value; false when a byte has two.
bool ModelImage(const std::string &file, Image *image) {
    bool once = true;
    for (const auto &[address, holders] : model::Image(file)) {
        (*image)[address] = holders.front().second;
        once = once && holders.size() == 1;
    }
    return once;
}

std::vector<std::string> Lines(const std::string &file) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < file.size();) {
        size_t end = file.find('\n', at);
        end = end == std::string::npos ? file.size() : end + 1;
        lines.push_back(file.substr(at, end - at));
        at = end;
    }
    return lines;
}

TEST(Grow, AddedRecordsKeepEveryLineAndMatchTheModel) {
    if (std::system("srec_cat --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no srec_cat";
    std::string folder = testfiles::Folder("checksumme grow");
    std::string path = folder + "fw.hex", other = folder + "other.hex", read = folder + "read.hex";
    std::mt19937 rng(44);
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE(round);
        Style style{rng() % 2 == 0, rng() % 2 == 0, rng() % 4 == 0};
        Image ours, theirs;
        std::string file = RandomFile(rng, style, &ours);
        ASSERT_TRUE(testfiles::Write(path, file));
        std::vector<std::string> arguments{"-q"};
        Image expected = ours;
        if (rng() % 2) {
            Style otherStyle{rng() % 2 == 0, rng() % 2 == 0, style.segments};
            ASSERT_TRUE(testfiles::Write(other, RandomFile(rng, otherStyle, &theirs)));
            arguments.insert(arguments.end(), {"--merge", other, "--overlap=ours"});
            expected.insert(theirs.begin(), theirs.end()); // (ours where both hold a byte)
        }
        for (int pads = static_cast<int>(rng() % 3); pads > 0; --pads) {
            // Half of them from a byte the file holds on, often across a 64 KiB boundary.
            auto held = ours.begin();
            std::advance(held, static_cast<long>(rng() % ours.size()));
            uint32_t first = rng() % 2 ? static_cast<uint32_t>(rng() % 0x40000)
                                       : static_cast<uint32_t>(held->first),
                     size = rng() % 2 ? rng() % 0x300 : rng() % 0x18000;
            uint32_t last = first + size > 0x3FFFF ? 0x3FFFF : first + size;
            uint8_t fill = static_cast<uint8_t>(rng());
            char value[40];
            std::snprintf(value, sizeof value, "0x%X-0x%X=%02X", first, last, fill);
            arguments.insert(arguments.end(), {"--pad", value});
            for (uint64_t address = first; address <= last; ++address)
                expected.emplace(address, fill);
        }
        arguments.push_back(path);
        std::string said;
        int strictBefore = Shell(Tool({"-q", "--strict", path}));
        ASSERT_EQ(Shell(Tool(arguments), &said), 0) << said << file;
        std::string grown = testfiles::Read(path);
        Image image;
        EXPECT_TRUE(ModelImage(grown, &image)) << grown;
        EXPECT_EQ(image, expected) << grown;
        // Every line as it was, in its order; the lines added are records.
        std::vector<std::string> before = Lines(file), after = Lines(grown);
        size_t k = 0;
        for (const std::string &line : after) {
            if (k < before.size() && line == before[k])
                ++k;
            else
                EXPECT_EQ(line[0], ':') << line;
        }
        EXPECT_EQ(k, before.size()) << grown;
        for (const std::string &line : after)
            EXPECT_EQ(line.find_first_of(style.lower ? "ABCDEF" : "abcdef"), std::string::npos)
                << line;
        EXPECT_EQ(Shell(Tool({"-q", "--check", path})), 0);
        EXPECT_LE(Shell(Tool({"-q", "--strict", path})), strictBefore);
        ASSERT_EQ(Shell("srec_cat '" + path + "' -intel -o '" + read + "' -intel"), 0);
        Image theirsRead;
        ModelImage(testfiles::Read(read), &theirsRead);
        EXPECT_EQ(theirsRead, expected);
    }
    for (const std::string &left : {path, other, read})
        testfiles::Remove(left);
}

// A bootloader and an application made by srec_cat from random bytes, merged as a release step
// does it, and written as a binary: the same image and bytes as srec_cat's; overlaps refused,
// or taken as asked.
TEST(Grow, MergesAndBinariesAsSrecCatMakesThem) {
    if (std::system("srec_cat --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no srec_cat";
    std::string folder = testfiles::Folder("checksumme grow release");
    std::string boot = folder + "boot.hex", app = folder + "app.hex", bin = folder + "app.bin",
                out = folder + "out.hex", ref = folder + "ref.hex", raw = folder + "out.bin",
                rawRef = folder + "ref.bin";
    std::mt19937 rng(45);
    std::string random(0x3000, '\0');
    for (char &byte : random)
        byte = static_cast<char>(rng());
    ASSERT_TRUE(testfiles::Write(folder + "boot.bin", random.substr(0, 0x1000)) &&
                testfiles::Write(bin, random.substr(0x1000)));
    auto make = [&](const std::string &from, const char *offset, const std::string &to) {
        return Shell("srec_cat '" + from + "' -binary -offset " + offset + " -o '" + to +
                     "' -intel -output_block_size=16");
    };
    ASSERT_EQ(make(folder + "boot.bin", "0x08000000", boot), 0);
    ASSERT_EQ(make(bin, "0x08004000", app), 0);
    auto image = [](const std::string &path) {
        Image read;
        ModelImage(testfiles::Read(path), &read);
        return read;
    };
    struct Row {
        const char *name;
        std::vector<std::string> options;
        std::string reference; // srec_cat's arguments for the same image
        int exitCode;
    } rows[] = {
        {"bootloader and application",
         {"--merge", app},
         "'" + boot + "' -intel '" + app + "' -intel",
         0},
        {"a binary at an address",
         {"--merge", bin + "@0x08004000"},
         "'" + boot + "' -intel '" + bin + "' -binary -offset 0x08004000",
         0},
        {"padded between, a CRC after",
         {"--merge", app, "--pad", "0x08000000-0x08005FFF", "--pad", "0x08006000-0x08006003",
          "--checksum", "crc32:0x08000000-0x08005FFF@0x08006000"},
         "'(' '" + boot + "' -intel '" + app +
             "' -intel ')' -fill 0xFF 0x08000000 0x08006000 "
             "-crc32-l-e 0x08006000",
         0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> arguments{"-q", "-o", out};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        arguments.push_back(boot);
        std::string said;
        EXPECT_EQ(Shell(Tool(arguments), &said), row.exitCode) << said;
        ASSERT_EQ(Shell("srec_cat " + row.reference + " -o '" + ref + "' -intel"), 0);
        EXPECT_EQ(image(out), image(ref));
        // Every line of the bootloader stays, in its order.
        std::vector<std::string> before = Lines(testfiles::Read(boot)),
                                 after = Lines(testfiles::Read(out));
        size_t k = 0;
        for (const std::string &line : after)
            k += k < before.size() && line == before[k] ? 1 : 0;
        EXPECT_EQ(k, before.size());
        // The same as a binary, over a range and the fill.
        EXPECT_EQ(
            Shell(Tool({"-q", "--binary=0x08000000-0x08006003", "--fill=00", "-o", raw, out})), 0);
        ASSERT_EQ(Shell("srec_cat '" + out +
                        "' -intel -fill 0x00 0x08000000 0x08006004 -crop 0x08000000 "
                        "0x08006004 -offset -0x08000000 -o '" +
                        rawRef + "' -binary"),
                  0);
        EXPECT_EQ(testfiles::Read(raw), testfiles::Read(rawRef));
    }
    // Bytes both hold: refused where they differ (naming both files, both lines, the address),
    // or the file's or the merged file's taken.
    std::string clash = random.substr(0x1000, 0x10);
    clash[3] = static_cast<char>(clash[3] ^ 1);
    ASSERT_TRUE(testfiles::Write(folder + "clash.bin", random.substr(0x1000 - 0x10, 0x10) + clash));
    ASSERT_EQ(make(folder + "clash.bin", "0x08003FF0", folder + "clash.hex"), 0);
    testfiles::Write(app, testfiles::Read(boot)); // (a bootloader that holds 0x08000000 on)
    struct Overlap {
        const char *option;
        int exitCode;
        std::string expected; // the byte at 0x08004003, in clash or in boot, or set
        const char *set = "";
    };
    std::string both = folder + "both.hex";
    ASSERT_EQ(Shell("srec_cat '" + boot + "' -intel '" + bin + "' -binary -offset 0x08004000 -o '" +
                    both + "' -intel -output_block_size=16"),
              0);
    for (const Overlap &overlap :
         {Overlap{"", 1, ""}, Overlap{"--overlap=ours", 0, random.substr(0x1003, 1)},
          Overlap{"--overlap=theirs", 0, clash.substr(3, 1)},
          Overlap{"--overlap=theirs", 0, "\x5A", "0x08004003=5A"},
          Overlap{"--overlap=theirs", 0, "\x5A", "0x08004002=5A5A"}}) {
        SCOPED_TRACE(overlap.option);
        testfiles::Remove(out);
        std::vector<std::string> arguments{"-q", "-o", out, "--merge", folder + "clash.hex"};
        if (overlap.option[0]) arguments.push_back(overlap.option);
        if (overlap.set[0]) arguments.insert(arguments.end(), {"--set", overlap.set});
        arguments.push_back(both);
        std::string said;
        EXPECT_EQ(Shell(Tool(arguments), &said), overlap.exitCode) << said;
        if (overlap.exitCode) {
            EXPECT_EQ(said, "checksumme: " + both +
                                ": 0x08004003 holds different bytes in line 258 and in " + folder +
                                "clash.hex line 3; choose with --overlap=ours or --overlap=theirs, "
                                "nothing written\n");
            EXPECT_FALSE(testfiles::Exists(out));
            continue;
        }
        Image merged = image(out);
        EXPECT_EQ(merged[0x08004003], static_cast<uint8_t>(overlap.expected[0]));
        EXPECT_EQ(merged[0x08003FF0], static_cast<uint8_t>(random[0xFF0]));
    }
    for (const std::string &left : testfiles::Names(folder))
        testfiles::Remove(folder + left);
}

} // namespace
