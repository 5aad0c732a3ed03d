// SPDX-License-Identifier: MIT
/*
 * The file walk in every mode on a scratch file of the fuzzer's bytes, against the model of
 * whole files (tests/support/hex_model.h): patching (the file after, the findings, the tally),
 * checking (findings; the file untouched), the strict check (structure findings), and --set
 * (the refusal of the first walk, else the file and stretches after the second), and the image
 * that --checksum takes (the line that makes it unknown, a byte held with different values, else
 * the checksums over a range around the bytes held).
 *
 * The input: a flags byte, then, when --set is asked for, a count byte and four bytes for each
 * setting (the record that holds it, a shift, its length), then the file. Flags: 1 the walks run
 * without channel buffers (the test platform refuses them), 2 --set, 4 a settled file is set
 * through the records found alone (SetFoundBytes), as the command line does, 8 the image, 16
 * records added below and above the bytes held (core/hex_growth.h). This build's
 * channels have buffers of 524 bytes (cmake/fuzz.cmake), so that records straddle spans.
 */
#include "app/values.h"
#include "core/byte_settings.h"
#include "core/hex_growth.h"
#include "core/hex_image.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "tests/fuzz/fuzz_start.h"
#include "tests/support/collect.h"
#include "tests/support/crc_reference.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/hex_model.h"
#include "tests/support/temp_files.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

enum Flags : uint8_t { UNBUFFERED = 1, SETTING = 2, SHORTCUT = 4, IMAGE = 8, GROW = 16 };

void WriteScratch(const std::string &file) {
    if (!testfiles::Write(fuzz::ScratchPath(), file))
        fuzz::Differs("writing the scratch file", "written", "not written");
}

void ExpectWalked(const char *what, int32_t walked) {
    fuzz::Expect(what, "1", std::to_string(walked));
}

// Patching and checking: the file after, the findings of each, the tally.
void PatchAndCheck(const std::string &file, const model::Patched &expected) {
    const char *path = fuzz::ScratchPath().c_str();
    for (WalkMode mode : {WALK_CHECK, WALK_PATCH}) {
        bool patching = mode == WALK_PATCH;
        const char *what = patching ? "patching" : "checking";
        WriteScratch(file);
        std::vector<std::string> findings;
        WalkTally tally{};
        ExpectWalked(what, WalkHexFile(path, mode, collect::Finding, &findings, &tally));
        fuzz::Expect(what, patching ? expected.out : file, testfiles::Read(path));
        fuzz::Expect(what, fuzz::Lines(patching ? expected.patching : expected.checking),
                     fuzz::Lines(findings));
        if (tally.checksums + tally.malformed + tally.lineEndsAdded !=
            static_cast<int64_t>(findings.size()))
            fuzz::Differs(what, "the tally counts the findings", "it does not");
        // Malformed lines are reported, never changed: only unsettled records change the file.
        if ((tally.unsettled == 0) != (expected.out == file))
            fuzz::Differs(what, expected.out == file ? "settled" : "unsettled",
                          expected.out == file ? "unsettled" : "settled");
        fuzz::Expect(what, expected.lastRecordOpen ? "last record open" : "closed",
                     tally.lastRecordOpen ? "last record open" : "closed");
    }
}

void Strict(const std::string &file) {
    WriteScratch(file);
    std::vector<std::string> findings;
    StructureCheck check{};
    check.sink = collect::Structure;
    check.context = &findings;
    WalkTally tally{};
    ExpectWalked("the strict check", WalkHexFile(fuzz::ScratchPath().c_str(), WALK_CHECK, nullptr,
                                                 nullptr, &tally, CheckRecordStructure, &check));
    EndStructureCheck(check, tally.linesDone);
    fuzz::Expect("the strict check", fuzz::Lines(model::Structure(file)), fuzz::Lines(findings));
    fuzz::Expect("the strict check's count", std::to_string(findings.size()),
                 std::to_string(check.findings));
}

// The settings of the input's header: each at a byte that a record holds (or near it), or
// anywhere; of 1 to 40 bytes. Values the product must refuse are checked and left out; overlaps
// are checked and end the run. False when nothing is left to set.
bool ReadSettings(const uint8_t *header, int count, const std::string &file,
                  ByteSettingList &settings, std::map<uint64_t, uint8_t> &bytes) {
    auto holders = model::Holders(file);
    bool overlap = false;
    for (int n = 0; n < count; ++n, header += 4) {
        unsigned pick = header[0] << 8 | header[1], shift = header[2];
        uint64_t length = 1 + header[3] % 40, address = pick * 16u + (shift & 15);
        if (!holders.empty() && !(shift & 0x80)) {
            auto held = holders.begin();
            std::advance(held, static_cast<long>(pick % holders.size()));
            address = held->first - std::min<uint64_t>(held->first, shift % 4);
        }
        char text[24];
        std::snprintf(text, sizeof text,
                      shift & 0x40 ? "0x%llX=" : "%llu=", static_cast<unsigned long long>(address));
        std::string value = text;
        std::map<uint64_t, uint8_t> these;
        for (uint64_t k = 0; k < length; ++k) {
            uint8_t byte = static_cast<uint8_t>(pick * 7 + k * 29 + shift);
            std::snprintf(text, sizeof text, shift & 0x20 ? "%02x" : "%02X", byte);
            value += text;
            these[address + k] = byte;
        }
        SettingRead expected = address > 0xFFFFFFFFu                ? SETTING_INVALID
                               : address + length - 1 > 0xFFFFFFFFu ? SETTING_PAST_END
                                                                    : SETTING_ADDED;
        SettingRead read = AddByteSetting(settings, value.c_str(), n + 1);
        fuzz::Expect("reading a --set value", value + " " + std::to_string(expected),
                     value + " " + std::to_string(read));
        if (read != SETTING_ADDED) continue;
        for (const auto &[at, byte] : these) {
            overlap = overlap || bytes.count(at);
            bytes[at] = byte;
        }
    }
    if (settings.count == 0) return false;
    bool found = SortByteSettings(settings) >= 0;
    fuzz::Expect("overlapping --set values", overlap ? "overlap" : "apart",
                 found ? "overlap" : "apart");
    return !overlap;
}

// --set: the first walk's refusal, else the second walk's file and stretches.
void Set(const std::string &file, const ByteSettingList &settings,
         const std::map<uint64_t, uint8_t> &bytes, bool shortcut) {
    const char *path = fuzz::ScratchPath().c_str();
    model::SetResult expected = model::Set(file, bytes);
    WriteScratch(file);
    collect::SetRun run = collect::SetAsTheTool(path, settings, shortcut);
    ExpectWalked("the first --set walk", run.read);
    fuzz::Expect("the first --set walk's tally", run.first.unsettled == 0 ? "untouched" : "patched",
                 model::Patch(file).out == file ? "untouched" : "patched");
    fuzz::Expect("the --set refusal", expected.refusal, run.refusal);
    if (!run.refusal.empty()) return;
    ExpectWalked("the second --set walk", run.written);
    if (!run.complete) fuzz::Differs("--set", "complete", "incomplete");
    fuzz::Expect("the second --set walk's records", std::to_string(run.first.records),
                 std::to_string(run.tally.records));
    fuzz::Expect("the file after --set", expected.out, testfiles::Read(path));
    fuzz::Expect("the --set stretches", fuzz::Lines(expected.stretches),
                 fuzz::Lines(run.stretches));
}

// The image over a range from just below the lowest byte held to 64 bytes above it.
void Image(const std::string &file) {
    auto image = model::Image(file);
    uint32_t first = image.empty() || image.begin()->first > 0xFFFFFF00
                         ? 0
                         : static_cast<uint32_t>(image.begin()->first) & ~3u;
    ImageRange range{first, first + 63, false};
    WriteScratch(file);
    HexImage read{};
    BeginHexImage(read, &range, 1);
    WalkTally tally{};
    ExpectWalked("the image", WalkHexFile(fuzz::ScratchPath().c_str(), WALK_CHECK, HexImageSink,
                                          &read, &tally, HexImageVisitor, &read));
    EndHexImage(read);
    fuzz::Expect("the line that makes the image unknown", std::to_string(model::UnknownLine(file)),
                 std::to_string(read.addresses.unknownLine));
    std::string bytes, conflict;
    for (uint64_t at = range.first; at <= range.last; ++at) {
        auto held = image.find(at);
        bytes += static_cast<char>(held == image.end() ? 0xFF : held->second[0].second);
        for (size_t k = 1; held != image.end() && k < held->second.size() && conflict.empty(); ++k)
            if (held->second[k].second != held->second[0].second) conflict = std::to_string(at);
    }
    ImageConflict found = ReadConflict(read);
    fuzz::Expect("a byte held with different values", conflict,
                 found.first ? std::to_string(found.address) : "");
    for (const reference::CatalogueEntry &c : reference::CATALOGUE) {
        if (!conflict.empty()) break;
        ChecksumAlgorithm algorithm{};
        int32_t none = 0;
        ReadChecksumAlgorithm(c.shortName, static_cast<int32_t>(std::strlen(c.shortName)),
                              algorithm, &none, &none);
        ImageChecksum sum;
        BeginImageChecksum(sum, algorithm);
        AddImageRange(sum, read, range.first, range.last, 0xFF);
        fuzz::Expect(c.shortName, std::to_string(reference::Checksum(c.model, bytes)),
                     std::to_string(EndImageChecksum(sum)));
    }
    ReleaseHexImage(read);
}

// Records added where no byte is held, below the lowest byte held and above the highest: the
// image after is the model's union, and every line of the file is still there, in its order.
void Grow(const std::string &file, uint8_t seed) {
    if (model::UnknownLine(file)) return;
    auto image = model::Image(file);
    std::vector<GrowthRun> runs;
    uint64_t low = image.empty() ? 0x100 : image.begin()->first;
    uint64_t high = image.empty() ? 0x200 : image.rbegin()->first + 1 + seed % 3;
    if (low > 50)
        runs.push_back({static_cast<uint32_t>(low - 50), static_cast<uint32_t>(low - 1 - seed % 8),
                        nullptr, 0xA5});
    if (high + 80 <= 0xFFFFFFFF)
        runs.push_back({static_cast<uint32_t>(high), static_cast<uint32_t>(high + 20 + seed % 40),
                        nullptr, seed});
    std::string grownPath = fuzz::ScratchPath() + ".grown";
    WriteScratch(file);
    auto from = static_cast<int32_t>(OpenChannelRead(AUTO_NUMBER, fuzz::ScratchPath().c_str()));
    auto to = static_cast<int32_t>(OpenChannelNew(AUTO_NUMBER, grownPath.c_str()));
    int64_t added = 0;
    int32_t grown = GrowHexFile(from, to, runs.data(), static_cast<int32_t>(runs.size()), &added);
    CloseChannel(from);
    CloseChannel(to);
    fuzz::Expect("the growth", "1", std::to_string(grown));
    std::string after = testfiles::Read(grownPath);
    std::map<uint64_t, uint8_t> expected, found;
    for (const auto &[address, holders] : image)
        expected[address] = holders.front().second;
    for (const GrowthRun &run : runs)
        for (uint64_t address = run.first; address <= run.last; ++address)
            expected[address] = run.fill;
    for (const auto &[address, holders] : model::Image(after))
        found[address] = holders.front().second;
    if (found != expected) fuzz::Differs("the image after growing", file, after);
    // Every line of the file, in its order (a last line without a line end gets one).
    size_t at = 0;
    for (size_t start = 0; start < file.size();) {
        size_t end = file.find_first_of(std::string("\r\n\0", 3), start);
        std::string line =
            file.substr(start, end == std::string::npos ? std::string::npos : end - start);
        at = after.find(line, at);
        if (at == std::string::npos) fuzz::Differs("a line kept", line, after);
        at += line.size();
        start = end == std::string::npos ? file.size() : end + 1;
    }
    testfiles::Remove(grownPath);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::StartRuntime();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    uint8_t flags = data[0];
    size_t header = 1;
    int count = 0;
    if (flags & SETTING) {
        if (size < 2) return 0;
        count = 1 + data[1] % 3;
        header = 2 + 4 * static_cast<size_t>(count);
        if (size < header) return 0;
    }
    std::string file(reinterpret_cast<const char *>(data) + header, size - header);
    std::optional<faults::NoChannelBuffers> unbuffered;
    if (flags & UNBUFFERED) unbuffered.emplace();

    PatchAndCheck(file, model::Patch(file));
    if (unbuffered && !faults::Fired(faults::ALLOCATE))
        fuzz::Differs("the unbuffered walk", "no channel buffer", "a buffer");
    Strict(file);
    if (flags & IMAGE) Image(file);
    if (flags & GROW) Grow(file, static_cast<uint8_t>(size));
    if (flags & SETTING) {
        ByteSettingList settings{};
        std::map<uint64_t, uint8_t> bytes;
        if (ReadSettings(data + 2, count, file, settings, bytes))
            Set(file, settings, bytes, flags & SHORTCUT);
        ReleaseByteSettings(settings);
    }
    return 0;
}
