// SPDX-License-Identifier: MIT
// --set values read, and bytes set in whole files in two walks, against the model
// (tests/support/hex_model.h), buffered and without a buffer.
#include "core/byte_settings.h"

#include "core/patcher.h"
#include "runtime/file_channels.h"
#include "runtime/strings.h"
#include "tests/support/hex_model.h"
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
// when it is no ADDRESS=BYTES.
TEST(ByteSettings, ReadsAddressEqualsBytes) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"0x0800FFF0=DEADbeef", "134283248 DEADBEEF"},
        {"16=01", "16 01"},
        {"0XffffFFFF=0a", "4294967295 0A"},
        {"4294967295=00", "4294967295 00"},
        {"0x000000000010=FF", "16 FF"},
        {"0=" + std::string(510, '7'), "0 " + std::string(510, '7')},
        {"0=" + std::string(512, '7'), ""},
    };
    for (const char *refused : {"4294967296=00", "0x100000000=00", "0x=00", "=00", "1=", "1=0",
                                "1=0g", " 1=00", "-1=00", "1=00=", "0xG=00", "1A=00", "12", ""})
        cases.push_back({refused, ""});
    for (const auto &[text, expected] : cases) {
        ByteSettings settings{};
        std::string read;
        if (AddByteSetting(settings, text.c_str(), 7)) {
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

void CollectStretch(void *context, int64_t line, uint64_t from, uint64_t to) {
    static_cast<std::vector<std::string> *>(context)->push_back(
        std::to_string(line) + " " + std::to_string(from) + " " + std::to_string(to - 1));
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
    for (int round = 0; round < 1500; ++round) {
        std::string file = model::RandomLayout(rng);
        auto holders = model::Holders(file);
        if (holders.empty()) continue;
        ByteSettings settings{};
        std::map<uint64_t, uint8_t> bytes;
        bool overlap = false;
        for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) {
            auto held = holders.begin();
            std::advance(held, static_cast<long>(rng() % holders.size()));
            uint64_t address = held->first - (rng() % 4 == 0 ? rng() % 3 : 0);
            if (address > 0xFFFFFFFF) address = 0xFFFFFFFF; // the highest ADDRESS there is
            char hex[24];
            std::snprintf(hex, sizeof hex, rng() % 2 ? "0x%llX=" : "%llu=",
                          static_cast<unsigned long long>(address));
            std::string text = hex;
            for (uint64_t k = 0, count = 1 + rng() % (rng() % 2 ? 40 : 4); k < count; ++k) {
                uint8_t value = static_cast<uint8_t>(rng());
                std::snprintf(hex, sizeof hex, rng() % 2 ? "%02X" : "%02x", value);
                text += hex;
                overlap = overlap || bytes.count(address + k);
                bytes[address + k] = value;
            }
            ASSERT_TRUE(AddByteSetting(settings, text.c_str(), n)) << text;
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
        BeginSetWalk(settings, WALK_CHECK);
        WalkTally first{};
        ASSERT_EQ(WalkHexFile(path.c_str(), WALK_CHECK, nullptr, nullptr, &first, FindSetHolders,
                              &settings),
                  1);
        bool settled = first.unsettled == 0 && first.malformed == 0, shortcut = round % 2 == 0;
        ASSERT_EQ(settled, model::Patch(file).out == file) << round;
        SetRefusal refusal = FindSetRefusal(settings);
        ASSERT_EQ(refusal.refused
                      ? std::to_string(refusal.address) + " " + std::to_string(refusal.first) +
                            " " + std::to_string(refusal.second)
                      : "",
                  expected.refusal)
            << "round " << round << "\n"
            << file;
        if (!refusal.refused) {
            std::vector<std::string> stretches;
            WalkTally tally{};
            BeginSetWalk(settings, WALK_PATCH);
            settings.sink = CollectStretch;
            settings.context = &stretches;
            ASSERT_EQ(settled && shortcut ? SetFoundBytes(path.c_str(), settings, &tally)
                                          : WalkHexFile(path.c_str(), WALK_PATCH, nullptr, nullptr,
                                                        &tally, SetHeldBytes, &settings),
                      1);
            ASSERT_EQ(tally.records, first.records);
            shortcuts += settled && shortcut;
            // (SetFoundBytes writes the checksums of the records it sets in upper case.)
            std::string now = testfiles::Read(path), want = expected.out;
            for (std::string *text : {&now, &want})
                for (char &c : *text)
                    c = settled && shortcut ? static_cast<char>(std::toupper(c)) : c;
            ASSERT_EQ(now, want) << "round " << round << "\n" << file;
            ASSERT_EQ(stretches, expected.stretches) << "round " << round;
            set += 1;
        }
        ReleaseByteSettings(settings);
    }
    EXPECT_GT(set, 300); // enough rounds got as far as setting, in both ways
    EXPECT_GT(shortcuts, 50);
}

} // namespace
