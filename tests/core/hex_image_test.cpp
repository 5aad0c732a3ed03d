// SPDX-License-Identifier: MIT
#include "app/values.h"
#include "core/hex_image.h"
#include "core/patcher.h"
#include "runtime/file_channels.h"
#include "tests/support/crc_reference.h"
#include "tests/support/hex_model.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// Random layouts of the tests' model (address records, data that wraps in its segment, records
// after the end-of-file record, malformed lines), sometimes with their lines in another order,
// and ranges around the bytes they hold, the first of them written: the line that makes the
// image unknown; the lowest written byte that not exactly one record holds; the lowest byte that
// two records hold with different values, and otherwise every algorithm's checksum over each
// range (the fill where no record holds a byte), before and after bytes are put over them,
// against the model and the catalogue's parameters.
TEST(HexImage, RandomizedAgainstTheModel) {
    InitFileChannels();
    std::string path = testfiles::Folder("image runs") + "i.hex";
    std::mt19937 rng(4242);
    int conflicts = 0, summed = 0, unknown = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string file = model::RandomLayout(rng);
        if (round % 3 == 0) { // the lines in another order
            std::vector<std::string> lines;
            for (size_t at = 0, end; at < file.size(); at = end + 1) {
                end = file.find('\n', at);
                if (end == std::string::npos) end = file.size() - 1;
                lines.push_back(file.substr(at, end + 1 - at));
            }
            std::shuffle(lines.begin(), lines.end(), rng);
            file.clear();
            for (const std::string &line : lines)
                file += line;
        }
        auto image = model::Image(file);
        if (image.empty()) continue;
        std::vector<ImageRange> ranges;
        for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) {
            auto held = image.begin();
            std::advance(held, static_cast<long>(rng() % image.size()));
            uint64_t first = held->first - std::min<uint64_t>(held->first, rng() % 8);
            first = std::min<uint64_t>(first, 0xFFFFFF00); // ranges lie below 4 GiB
            ranges.push_back({static_cast<uint32_t>(first),
                              static_cast<uint32_t>(first + rng() % 96), ranges.empty()});
        }
        ASSERT_TRUE(testfiles::Write(path, file));
        HexImage runs{};
        BeginHexImage(runs, ranges.data(), static_cast<int32_t>(ranges.size()));
        WalkTally tally{};
        ASSERT_EQ(WalkHexFile(path.c_str(), WALK_CHECK, HexImageSink, &runs, &tally,
                              HexImageVisitor, &runs),
                  1);
        EndHexImage(runs);
        ASSERT_EQ(runs.addresses.unknownLine, model::UnknownLine(file)) << "round " << round;
        unknown += runs.addresses.unknownLine != 0;
        // A written byte needs exactly one record.
        std::string expected, written;
        for (uint64_t at = ranges[0].first; at <= ranges[0].last && expected.empty(); ++at) {
            auto held = image.find(at);
            size_t count = held == image.end() ? 0 : held->second.size();
            if (count != 1)
                expected = std::to_string(at) + " " +
                           std::to_string(count ? held->second[0].first : 0) + " " +
                           std::to_string(count > 1 ? held->second[1].first : 0);
        }
        WriteRefusal refusal = WriteHolders(
            runs, ranges[0].first, static_cast<int32_t>(ranges[0].last - ranges[0].first + 1));
        if (refusal.refused)
            written = std::to_string(refusal.address) + " " + std::to_string(refusal.first) + " " +
                      std::to_string(refusal.second);
        ASSERT_EQ(written, expected) << "round " << round;
        refused += refusal.refused;
        ImageConflict conflict = ReadConflict(runs);
        // The model's lowest address in a range whose holders disagree.
        uint64_t lowest = UINT64_MAX;
        for (const auto &held : image)
            for (const ImageRange &range : ranges)
                if (held.first >= range.first && held.first <= range.last &&
                    std::any_of(held.second.begin(), held.second.end(),
                                [&](auto h) { return h.second != held.second[0].second; }))
                    lowest = std::min(lowest, held.first);
        if (lowest != UINT64_MAX) {
            ++conflicts;
            ASSERT_EQ(conflict.address, lowest) << "round " << round;
            const auto &holders = image[lowest];
            auto valueOf = [&](int64_t line) {
                auto h = std::find_if(holders.begin(), holders.end(),
                                      [&](auto one) { return one.first == line; });
                return h == holders.end() ? -1 : h->second;
            };
            ASSERT_LT(conflict.first, conflict.second);
            ASSERT_NE(valueOf(conflict.first), -1);
            ASSERT_NE(valueOf(conflict.second), -1);
            ASSERT_NE(valueOf(conflict.first), valueOf(conflict.second));
            ReleaseHexImage(runs);
            continue;
        }
        ASSERT_EQ(conflict.first, 0) << "round " << round;
        // Bytes put over a range's start (as --set or a stored checksum does), then checksums.
        uint8_t over[3] = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), 0x5A};
        OverlayImageBytes(runs, ranges[0].first + 1, over, 3);
        for (uint64_t k = 0; k < 3; ++k)
            if (image.count(ranges[0].first + 1 + k))
                image[ranges[0].first + 1 + k][0].second = over[k];
        uint8_t fill = rng() % 2 ? 0xFF : static_cast<uint8_t>(rng());
        for (const ImageRange &range : ranges) {
            std::string bytes;
            for (uint64_t at = range.first; at <= range.last; ++at)
                bytes += static_cast<char>(image.count(at) ? image[at][0].second : fill);
            for (const reference::CatalogueEntry &c : reference::CATALOGUE) {
                ChecksumAlgorithm algorithm{};
                int32_t none = 0;
                ReadChecksumAlgorithm(c.shortName, static_cast<int32_t>(std::strlen(c.shortName)),
                                      algorithm, &none, &none);
                ImageChecksum sum;
                BeginImageChecksum(sum, algorithm);
                AddImageRange(sum, runs, range.first, range.last, fill);
                ASSERT_EQ(EndImageChecksum(sum), reference::Checksum(c.model, bytes))
                    << "round " << round << " " << c.shortName;
            }
            // A stored value's bytes, read back: held or not, as the model holds them.
            uint8_t read[4] = {};
            int64_t line = 0;
            uint64_t at = range.first;
            int32_t count = range.last > at ? 2 : 1;
            int32_t leading = !image.count(at) ? 0 : count == 1 || !image.count(at + 1) ? 1 : 2;
            bool held = leading == count;
            ASSERT_EQ(ReadImageBytes(runs, at, count, read, &line), leading);
            ASSERT_EQ(ImageHoldsAny(runs, at, at + count - 1),
                      image.count(at) || (count == 2 && image.count(at + 1)));
            if (held) {
                ASSERT_EQ(read[count - 1], image[at + count - 1][0].second);
                ASSERT_EQ(line, image[at][0].first);
            }
            ++summed;
        }
        ReleaseHexImage(runs);
    }
    EXPECT_GT(conflicts, 20);
    EXPECT_GT(unknown, 20);
    EXPECT_GT(refused, 50);
    EXPECT_GT(summed, 200);
}

} // namespace
