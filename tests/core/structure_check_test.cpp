// SPDX-License-Identifier: MIT
// The strict check of whole files against the model (tests/support/hex_model.h), and the held
// address ranges on large layouts.
#include "core/structure_check.h"

#include "core/address_ranges.h"
#include "core/patcher.h"
#include "runtime/file_channels.h"
#include "tests/support/collect.h"
#include "tests/support/hex_model.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(StructureCheck, RandomizedAgainstTheModel) {
    InitFileChannels();
    std::string path = testfiles::Folder("structure") + "s.hex";
    std::mt19937 rng(2024);
    for (int round = 0; round < 500; ++round) {
        std::string file = model::RandomLayout(rng);
        ASSERT_TRUE(testfiles::Write(path, file));
        std::vector<std::string> findings;
        StructureCheck check{};
        check.sink = collect::Structure;
        check.context = &findings;
        WalkTally tally{};
        ASSERT_EQ(WalkHexFile(path.c_str(), WALK_CHECK, nullptr, nullptr, &tally,
                              CheckRecordStructure, &check),
                  1);
        EndStructureCheck(check, tally.linesDone);
        ASSERT_EQ(findings, model::Structure(file)) << "round " << round << "\n" << file;
        ASSERT_EQ(check.findings, static_cast<int64_t>(findings.size()));
    }
}

// Records of 16 bytes, an extended address record before every 4096 of them, held in rising,
// falling and shuffled order: in order they take one range for each 64 KiB, shuffled one for
// each run of neighbours. Then each record of a sample is held again, from a byte
// inside it on: the lowest address held before is that byte, with the record's line.
TEST(AddressRanges, LargeLayouts) {
    constexpr int64_t RECORDS = 1 << 18;
    std::mt19937 rng(7);
    auto lineOf = [](int64_t k) { return 2 + k + k / 4096; };
    for (int order = 0; order < 3; ++order) {
        SCOPED_TRACE(order);
        std::vector<int64_t> records(RECORDS); // the record (by address) on each line
        std::iota(records.begin(), records.end(), 0);
        if (order == 1) std::reverse(records.begin(), records.end());
        if (order == 2) std::shuffle(records.begin(), records.end(), rng);
        HeldAddresses held{};
        int64_t found = 0;
        for (int64_t k = 0; k < RECORDS; ++k) {
            uint64_t start = 16 * static_cast<uint64_t>(records[k]);
            found += HoldAddresses(held, start, start + 16, lineOf(k)).line;
        }
        EXPECT_EQ(found, 0);
        // A range for each run of records on consecutive lines at consecutive addresses, rising or
        // falling, which a line of its own (an extended address record) ends.
        int32_t runs = 0;
        for (int64_t k = 0, step = 0; k < RECORDS; ++k) {
            int64_t next = k && lineOf(k) == lineOf(k - 1) + 1 ? records[k] - records[k - 1] : 0;
            bool goesOn = (next == 1 || next == -1) && (step == 0 || step == next);
            runs += !goesOn;
            step = goesOn ? next : 0;
        }
        EXPECT_EQ(held.count, order < 2 ? RECORDS / 4096 : runs);
        for (int64_t k = 0; k < RECORDS; k += 997) {
            uint64_t at = 16 * static_cast<uint64_t>(records[k]) + rng() % 16;
            HeldBefore before = HoldAddresses(held, at, at + 5, lineOf(RECORDS) + k);
            ASSERT_EQ(before.address, at);
            ASSERT_EQ(before.line, lineOf(k));
        }
        ReleaseAddresses(held);
    }
}

} // namespace
