// SPDX-License-Identifier: MIT
#include "core/image_runs.h"

#include "core/addresses.h"
#include "core/record.h"
#include "core/record_sum.h"
#include "runtime/registry.h"

#include <cstring>

namespace {

// Grows a block of elements of size bytes to hold at least `needed`, doubling.
template <typename T> void Reserve(T *&block, int64_t &capacity, int64_t used, int64_t needed) {
    if (needed <= capacity) return;
    int64_t grown = capacity ? capacity : 64;
    while (grown < needed)
        grown *= 2;
    auto *larger = static_cast<T *>(MainHeapAlloc(static_cast<size_t>(grown) * sizeof(T)));
    if (block) {
        std::memcpy(larger, block, static_cast<size_t>(used) * sizeof(T));
        MainHeapFree(block);
    }
    block = larger;
    capacity = grown;
}

bool Before(const ImageRun &a, const ImageRun &b) {
    return a.address != b.address ? a.address < b.address : a.line < b.line;
}

// Heap sort: in place, O(n log n) for records in any order.
void SiftDown(ImageRun *runs, int64_t at, int64_t count) {
    for (int64_t child; (child = 2 * at + 1) < count; at = child) {
        if (child + 1 < count && Before(runs[child], runs[child + 1])) ++child;
        if (!Before(runs[at], runs[child])) return;
        ImageRun moved = runs[at];
        runs[at] = runs[child];
        runs[child] = moved;
    }
}

// Whether a run holds an address (32-bit arithmetic: an address below the run wraps past it).
bool Holds(const ImageRun &run, uint32_t address) {
    return address - run.address < run.count;
}

uint32_t LastOf(const ImageRun &run) {
    return run.address + (run.count - 1);
}

// The line of the record of a run that holds an address inside it.
int64_t LineAt(const ImageRun &run, uint32_t address) {
    return run.line + (address - run.address) / run.each;
}

// The byte a run holds at an address inside it.
uint8_t &ByteAt(const ImageRuns &image, const ImageRun &run, uint32_t address) {
    return image.bytes[run.at + (address - run.address)];
}

} // namespace

void BeginImageRuns(ImageRuns &image, const ImageRange *ranges, int32_t rangeCount) {
    ReleaseImageRuns(image);
    image.ranges = ranges;
    image.rangeCount = rangeCount;
    // Room for the ranges' bytes at once (up to 64 MiB), so that they are not copied as they grow.
    uint64_t bytes = 0;
    for (int32_t r = 0; r < rangeCount; ++r)
        bytes += uint64_t{ranges[r].last} - ranges[r].first + 1;
    if (bytes)
        Reserve(image.bytes, image.byteCapacity, 0,
                bytes < (1 << 26) ? static_cast<int64_t>(bytes) : 1 << 26);
}

// The part of a data record in each range, up to the end-of-file record.
int32_t CollectImageRuns(void *context, int64_t line, int64_t, char *record, int32_t length) {
    ImageRuns &image = *static_cast<ImageRuns *>(context);
    if (!length || image.endLine) return 0; // a line that is no record, or after the end
    RecordPlace place = PlaceRecord(&image.base, record);
    if (place.type == TYPE_END) image.endLine = line;
    // Ranges lie below 4 GiB: a record there holds bytes up to 0xFFFFFFFF of them at most.
    if (place.type != TYPE_DATA || place.count == 0 || place.address > 0xFFFFFFFF) return 0;
    auto first = static_cast<uint32_t>(place.address);
    uint64_t end = place.address + static_cast<uint64_t>(place.count) - 1;
    uint32_t last = end > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<uint32_t>(end);
    for (int32_t r = 0; r < image.rangeCount; ++r) {
        const ImageRange &range = image.ranges[r];
        uint32_t from = first > range.first ? first : range.first;
        uint32_t to = last < range.last ? last : range.last;
        if (from > to) continue;
        uint32_t count = to - from + 1;
        Reserve(image.bytes, image.byteCapacity, image.byteCount, image.byteCount + count);
        ImageRun *run = image.runCount ? &image.runs[image.runCount - 1] : nullptr;
        if (run && from > run->address && from - run->address == run->count && count == run->each &&
            image.lastLine + 1 == line && int64_t{run->at} + run->count == image.byteCount) {
            run->count += count; // the run goes on
        } else {
            Reserve(image.runs, image.runCapacity, image.runCount, image.runCount + 1);
            image.runs[image.runCount++] = {from, count, line,
                                            static_cast<uint32_t>(image.byteCount), count};
        }
        image.lastLine = line;
        DecodeDigits(record + 9 + 2 * (from - first), image.bytes + image.byteCount,
                     static_cast<int32_t>(count));
        image.byteCount += count;
    }
    return 0;
}

ImageConflict SortImageRuns(ImageRuns &image) {
    ImageRun *runs = image.runs;
    int64_t count = image.runCount, ordered = 1;
    while (ordered < count && !Before(runs[ordered], runs[ordered - 1]))
        ++ordered;
    for (int64_t at = ordered < count ? count / 2 : 0; at-- > 0;) // (in order, as most are: as is)
        SiftDown(runs, at, count);
    for (int64_t end = ordered < count ? count : 0; end-- > 1;) {
        ImageRun moved = runs[0];
        runs[0] = runs[end];
        runs[end] = moved;
        SiftDown(runs, 0, end);
    }
    // Each run against the one before it that reaches furthest, which holds what the others
    // before it hold where it overlaps them (or two of those differ already): the lowest
    // address where two differ, and their lines.
    ImageConflict conflict{0, 0, 0};
    for (int64_t i = 1, reach = 0; i < count; ++i) {
        const ImageRun &held = runs[reach], &run = runs[i];
        uint32_t last = LastOf(held) < LastOf(run) ? LastOf(held) : LastOf(run);
        for (uint32_t at = run.address, n = Holds(held, at) ? last - at + 1 : 0; n > 0; ++at, --n) {
            if (ByteAt(image, held, at) == ByteAt(image, run, at)) continue;
            int64_t one = LineAt(held, at), other = LineAt(run, at);
            if (!conflict.first || at < conflict.address)
                conflict = {at, one < other ? one : other, one < other ? other : one};
            break;
        }
        if (LastOf(run) > LastOf(held)) reach = i;
    }
    return conflict;
}

void OverlayImageBytes(ImageRuns &image, uint32_t address, const uint8_t *bytes, int32_t count) {
    for (int64_t i = 0; i < image.runCount; ++i)
        for (int32_t k = 0; k < count; ++k) {
            const ImageRun &run = image.runs[i];
            uint32_t at = address + static_cast<uint32_t>(k);
            if (Holds(run, at)) ByteAt(image, run, at) = bytes[k];
        }
}

bool ReadImageBytes(const ImageRuns &image, uint32_t address, int32_t count, uint8_t *out,
                    int64_t *line) {
    for (int32_t k = count; k-- > 0;) {
        uint32_t at = address + static_cast<uint32_t>(k);
        int64_t i = 0;
        while (i < image.runCount && !Holds(image.runs[i], at))
            ++i;
        if (i == image.runCount) return false;
        out[k] = ByteAt(image, image.runs[i], at);
        *line = LineAt(image.runs[i], at); // the first byte's, last
    }
    return true;
}

uint32_t ImageChecksumOver(const ImageRuns &image, ChecksumAlgorithm algorithm, uint32_t first,
                           uint32_t last, uint8_t fill) {
    ImageChecksum sum{};
    BeginImageChecksum(sum, algorithm);
    uint64_t next = first; // the first address not yet taken
    for (int64_t i = 0; i < image.runCount; ++i) {
        const ImageRun &run = image.runs[i];
        uint64_t from = run.address > next ? run.address : next;
        uint64_t to = LastOf(run) < last ? LastOf(run) : last;
        if (from > to) continue;
        AddImageFill(sum, fill, from - next);
        AddImageBytes(sum, &ByteAt(image, run, static_cast<uint32_t>(from)),
                      static_cast<int64_t>(to - from + 1));
        next = to + 1;
    }
    AddImageFill(sum, fill, uint64_t{last} + 1 - next);
    return EndImageChecksum(sum);
}

void ReleaseImageRuns(ImageRuns &image) {
    if (image.runs) MainHeapFree(image.runs);
    if (image.bytes) MainHeapFree(image.bytes);
    image = ImageRuns{};
}
