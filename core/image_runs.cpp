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

// The address after a run's last byte (4 GiB after a run that ends at 0xFFFFFFFF).
uint64_t EndOf(const ImageRun &run) {
    return uint64_t{run.address} + run.count;
}

// The byte a run holds at an address inside it.
uint8_t &ByteAt(const ImageRuns &image, const ImageRun &run, uint64_t address) {
    return image.bytes[run.at + (address - run.address)];
}

} // namespace

void BeginImageRuns(ImageRuns &image, const ImageRange *ranges, int32_t rangeCount) {
    ReleaseImageRuns(image);
    image.ranges = ranges;
    image.rangeCount = rangeCount;
}

// The part of a data record in each range, up to the end-of-file record.
int32_t CollectImageRuns(void *context, int64_t line, int64_t, char *record, int32_t length) {
    ImageRuns &image = *static_cast<ImageRuns *>(context);
    if (!length || image.endLine) return 0; // a line that is no record, or after the end
    RecordPlace place = PlaceRecord(&image.base, record);
    if (place.type == TYPE_END) image.endLine = line;
    if (place.type != TYPE_DATA) return 0;
    uint64_t end = place.address + static_cast<uint64_t>(place.count); // after its last byte
    for (int32_t r = 0; r < image.rangeCount; ++r) {
        const ImageRange &range = image.ranges[r];
        uint64_t from = place.address > range.first ? place.address : range.first;
        uint64_t to = end < uint64_t{range.last} + 1 ? end : uint64_t{range.last} + 1;
        if (from >= to) continue;
        auto count = static_cast<uint32_t>(to - from);
        Reserve(image.runs, image.runCapacity, image.runCount, image.runCount + 1);
        Reserve(image.bytes, image.byteCapacity, image.byteCount, image.byteCount + count);
        image.runs[image.runCount++] = {static_cast<uint32_t>(from), count, line,
                                        static_cast<uint32_t>(image.byteCount)};
        const char *digits = record + 9 + 2 * (from - place.address);
        for (uint32_t k = 0; k < count; ++k, digits += 2)
            image.bytes[image.byteCount++] = static_cast<uint8_t>(DigitPair(digits));
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
        for (uint64_t at = run.address; at < EndOf(held) && at < EndOf(run); ++at) {
            if (ByteAt(image, held, at) == ByteAt(image, run, at)) continue;
            if (!conflict.first || at < conflict.address)
                conflict = {static_cast<uint32_t>(at), held.line < run.line ? held.line : run.line,
                            held.line < run.line ? run.line : held.line};
            break;
        }
        if (EndOf(run) > EndOf(held)) reach = i;
    }
    return conflict;
}

void OverlayImageBytes(ImageRuns &image, uint32_t address, const uint8_t *bytes, int32_t count) {
    for (int64_t i = 0; i < image.runCount; ++i)
        for (int32_t k = 0; k < count; ++k) {
            const ImageRun &run = image.runs[i];
            uint64_t at = uint64_t{address} + static_cast<uint64_t>(k);
            if (at >= run.address && at < EndOf(run)) ByteAt(image, run, at) = bytes[k];
        }
}

bool ReadImageBytes(const ImageRuns &image, uint32_t address, int32_t count, uint8_t *out,
                    int64_t *line) {
    for (int32_t k = count; k-- > 0;) {
        uint64_t at = uint64_t{address} + static_cast<uint64_t>(k);
        int64_t i = 0;
        while (i < image.runCount && (at < image.runs[i].address || at >= EndOf(image.runs[i])))
            ++i;
        if (i == image.runCount) return false;
        out[k] = ByteAt(image, image.runs[i], at);
        *line = image.runs[i].line; // the first byte's, last
    }
    return true;
}

uint32_t ImageChecksumOver(const ImageRuns &image, ChecksumAlgorithm algorithm, uint32_t first,
                           uint32_t last, uint8_t fill) {
    ImageChecksum sum{};
    BeginImageChecksum(sum, algorithm);
    uint64_t next = first, end = uint64_t{last} + 1; // the first address not yet taken
    for (int64_t i = 0; i < image.runCount; ++i) {
        const ImageRun &run = image.runs[i];
        uint64_t from = run.address > next ? run.address : next;
        uint64_t to = EndOf(run) < end ? EndOf(run) : end;
        if (from >= to) continue;
        AddImageFill(sum, fill, from - next);
        AddImageBytes(sum, &ByteAt(image, run, from), static_cast<int64_t>(to - from));
        next = to;
    }
    AddImageFill(sum, fill, end - next);
    return EndImageChecksum(sum);
}

void ReleaseImageRuns(ImageRuns &image) {
    if (image.runs) MainHeapFree(image.runs);
    if (image.bytes) MainHeapFree(image.bytes);
    image = ImageRuns{};
}
