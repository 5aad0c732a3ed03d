// SPDX-License-Identifier: MIT
// --set values read, and bytes set in whole files in two walks, against the model
// (tests/support/hex_model.h), buffered and without a buffer.
#include "app/values.h"
#include "core/byte_settings.h"

#include "core/patcher.h"
#include "runtime/file_channels.h"
#include "runtime/strings.h"
#include "tests/support/hex_model.h"
#include "tests/support/collect.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// Each text and what is read of it, as "ADDRESS BYTES" (decimal, upper-case hexadecimal), or ""
// when it is no ADDRESS=BYTES, or why else it is refused.
TEST(ByteSettings, ReadsAddressEqualsBytes) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"0x0800FFF0=DEADbeef", "134283248 DEADBEEF"},
        {"16=01", "16 01"},
        {"0XffffFFFF=0a", "4294967295 0A"},
        {"0xFFFFFFFE=0102", "4294967294 0102"},
        {"0xFFFFFFFF=0102", "past"},
        {"4294967042=" + std::string(510, '7'), "past"},
        {"4294967295=00", "4294967295 00"},
        {"0x000000000010=FF", "16 FF"},
        {"0=" + std::string(510, '7'), "0 " + std::string(510, '7')},
        {"0=" + std::string(512, '7'), ""},
        {"4294967296=00", "past"},
        {"0x100000000=00", "past"},
        {"99999999999999999999999=00", "past"},
        {"1=U16BE:0x0102", "1 0102"},
        {"1=StrZ:A", "1 4100"},
        {"1=u8:99999999999999999999999", "no fit"},
        {"1=u64le:18446744073709551616", "no fit"},
        {"1=U64BE:0x10000000000000000", "no fit"},
        {"1=u32le:00", "ambiguous"},
        {"1=u16be:0100", "ambiguous"},
    };
    for (const char *refused : {"0x=00", "=00", "1=", "1=0", "1=0g", " 1=00", "-1=00",
                                "1=00=", "0xG=00", "1A=00", "12", ""})
        cases.push_back({refused, ""});
    for (const auto &[text, expected] : cases) {
        ByteSettingList settings{};
        std::string read;
        SettingRead added = AddByteSetting(settings, text.c_str(), 7);
        if (added == SETTING_PAST_END) read = "past";
        if (added == SETTING_NO_FIT) read = "no fit";
        if (added == SETTING_AMBIGUOUS) read = "ambiguous";
        if (added == SETTING_ADDED) {
            const ByteSetting &setting = settings.items[0];
            read = std::to_string(setting.address) + " ";
            for (int32_t k = 0; k < setting.count; ++k)
                read += {HEX_DIGITS[setting.bytes[k] >> 4], HEX_DIGITS[setting.bytes[k] & 15]};
            EXPECT_EQ(setting.argument, 7);
        }
        EXPECT_EQ(read, expected) << text;
        ReleaseByteSettings(settings);
    }
}

// Settings in any number and order come out sorted; the first of two that overlap is named.
TEST(ByteSettings, SortsAnyNumberAndFindsOverlaps) {
    for (bool overlapping : {false, true}) {
        ByteSettingList list{};
        for (int32_t k = 9; k >= 0; --k) {
            std::string text = std::to_string(10 * k) + "=0102" +
                               (overlapping && k == 4 ? "03040506070809AABB" : "");
            ASSERT_EQ(AddByteSetting(list, text.c_str(), k), SETTING_ADDED);
        }
        EXPECT_EQ(SortByteSettings(list), overlapping ? 4 : -1);
        for (int32_t k = 0; k < list.count; ++k)
            EXPECT_EQ(list.items[k].argument, k);
        ReleaseByteSettings(list);
    }
}

// Random layouts and one to three settings each, mostly at held addresses, of 1 to 40 bytes (so
// that many cross from one record into the next, or into a gap or an overlap): values that
// overlap are found; the first walk refuses what the model refuses, naming the same address and
// lines; else the second walk (or, for a file that patching leaves alone, the records found)
// makes the model's file and reports its stretches.
TEST(ByteSettings, RandomizedAgainstTheModel) {
    InitFileChannels();
    std::string path = testfiles::Folder("byte settings") + "b.hex";
    std::mt19937 rng(31337);
    int set = 0, shortcuts = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string file = model::RandomLayout(rng);
        auto holders = model::Holders(file);
        if (holders.empty()) continue;
        ByteSettingList settings{};
        std::map<uint64_t, uint8_t> bytes;
        bool overlap = false;
        for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) {
            auto held = holders.begin();
            std::advance(held, static_cast<long>(rng() % holders.size()));
            uint64_t address = held->first - (rng() % 4 == 0 ? rng() % 3 : 0);
            if (address > 0xFFFFFF00) address = 0xFFFFFF00; // the last byte set at most 0xFFFFFFFF
            char hex[24];
            std::snprintf(hex, sizeof hex, rng() % 2 ? "0x%llX=" : "%llu=",
                          static_cast<unsigned long long>(address));
            std::string text = hex;
            uint64_t most = rng() % 2 ? 40 : 4; // drawn first: the order is the test's
            for (uint64_t k = 0, count = 1 + rng() % most; k < count; ++k) {
                uint8_t value = static_cast<uint8_t>(rng());
                std::snprintf(hex, sizeof hex, rng() % 2 ? "%02X" : "%02x", value);
                text += hex;
                overlap = overlap || bytes.count(address + k);
                bytes[address + k] = value;
            }
            ASSERT_EQ(AddByteSetting(settings, text.c_str(), n), SETTING_ADDED) << text;
        }
        ASSERT_EQ(SortByteSettings(settings) >= 0, overlap) << round;
        if (overlap) {
            ReleaseByteSettings(settings);
            continue;
        }
        model::SetResult expected = model::Set(file, bytes);
        ASSERT_TRUE(testfiles::Write(path, file));
        std::optional<faults::NoChannelBuffers> unbuffered;
        if (round % 5 == 0) unbuffered.emplace();
        collect::SetRun run = collect::SetAsTheTool(path.c_str(), settings, round % 2 == 0);
        ASSERT_EQ(run.read, 1);
        bool untouched = run.first.unsettled == 0 && run.first.malformed == 0;
        ASSERT_EQ(untouched, model::Patch(file).out == file) << round;
        ASSERT_EQ(run.refusal, expected.refusal) << "round " << round << "\n" << file;
        if (run.refusal.empty()) {
            ASSERT_EQ(run.written, 1);
            ASSERT_TRUE(run.complete);
            ASSERT_EQ(run.tally.records, run.first.records);
            shortcuts += run.shortcut;
            ASSERT_EQ(testfiles::Read(path), expected.out) << "round " << round << "\n" << file;
            ASSERT_EQ(run.stretches, expected.stretches) << "round " << round;
            set += 1;
        }
        ReleaseByteSettings(settings);
    }
    EXPECT_GT(set, 120); // enough rounds got as far as setting, in both ways
    EXPECT_GT(shortcuts, 50);
}

} // namespace
