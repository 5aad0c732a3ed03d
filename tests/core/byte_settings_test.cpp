// --set values read, and bytes set in whole files in two walks, against the model
// (tests/support/hex_model.h), buffered and without a buffer.
#include "core/byte_settings.h"

#include "core/patcher.h"
#include "runtime/file_channels.h"
#include "tests/support/hex_model.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(ByteSettings, ReadsAddressEqualsBytes) {
    const struct {
        std::string text;
        uint64_t address; // 1: not ADDRESS=BYTES
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"0x0800FFF0=DEADbeef", 0x0800FFF0, {0xDE, 0xAD, 0xBE, 0xEF}},
        {"16=01", 16, {1}},
        {"0XffffFFFF=00", 0xFFFFFFFF, {0}},
        {"4294967295=0a", 0xFFFFFFFF, {10}},
        {"0x000000000010=FF", 16, {0xFF}},
        {"0=" + std::string(510, '7'), 0, std::vector<uint8_t>(255, 0x77)},
        {"0=" + std::string(512, '7'), 1, {}},
        {"4294967296=00", 1, {}},
        {"0x100000000=00", 1, {}},
        {"0x=00", 1, {}},
        {"=00", 1, {}},
        {"1=", 1, {}},
        {"1=0", 1, {}},
        {"1=0g", 1, {}},
        {" 1=00", 1, {}},
        {"-1=00", 1, {}},
        {"1=00=", 1, {}},
        {"0xG=00", 1, {}},
        {"1A=00", 1, {}},
        {"12", 1, {}},
        {"", 1, {}},
    };
    for (const auto &c : cases) {
        ByteSettings settings{};
        bool read = AddByteSetting(settings, c.text.c_str(), 7);
        EXPECT_EQ(read, c.address != 1) << c.text;
        if (read) {
            EXPECT_EQ(settings.items[0].address, c.address) << c.text;
            EXPECT_EQ(settings.items[0].argument, 7);
            EXPECT_EQ(std::vector<uint8_t>(settings.items[0].bytes,
                                           settings.items[0].bytes + settings.items[0].count),
                      c.bytes)
                << c.text;
        }
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
            ASSERT_TRUE(AddByteSetting(settings, text.c_str(), n));
        }
        ASSERT_EQ(SortByteSettings(settings) >= 0, overlap) << round;
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
        std::string refused = refusal.refused ? std::to_string(refusal.address) + " " +
                                                    std::to_string(refusal.first) + " " +
                                                    std::to_string(refusal.second)
                                              : "";
        if (!overlap) {
            ASSERT_EQ(refused, expected.refusal) << "round " << round << "\n" << file;
        }
        if (!overlap && !refusal.refused) {
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
            ASSERT_EQ(testfiles::Read(path), expected.out) << "round " << round << "\n" << file;
            ASSERT_EQ(stretches, expected.stretches) << "round " << round;
            set += 1;
        }
        ReleaseByteSettings(settings);
    }
    EXPECT_GT(set, 300); // enough rounds got as far as setting, in both ways
    EXPECT_GT(shortcuts, 50);
}

} // namespace
