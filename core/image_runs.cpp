// SPDX-License-Identifier: MIT
#include "core/image_runs.h"

#include "core/addresses.h"
#include "core/record.h"
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
    for (;;) {
        int64_t child = 2 * at + 1;
        if (child >= count) return;
        if (child + 1 < count && Before(runs[child], runs[child + 1])) ++child;
        if (!Before(runs[at], runs[child])) return;
        ImageRun moved = runs[at];
        runs[at] = runs[child];
        runs[child] = moved;
        at = child;
    }
}

uint64_t EndOf(const ImageRun &run) {
    return run.address + run.count;
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
    if (place.type != TYPE_DATA || place.count == 0) return 0;
    uint64_t last = place.address + static_cast<uint64_t>(place.count) - 1;
    for (int32_t r = 0; r < image.rangeCount; ++r) {
        const ImageRange &range = image.ranges[r];
        uint64_t from = place.address > range.first ? place.address : range.first;
        uint64_t to = last < range.last ? last : range.last;
        if (from > to) continue;
        auto count = static_cast<uint32_t>(to - from + 1);
        Reserve(image.runs, image.runCapacity, image.runCount, image.runCount + 1);
        Reserve(image.bytes, image.byteCapacity, image.byteCount, image.byteCount + count);
        image.runs[image.runCount++] = {from, line, count, static_cast<uint32_t>(image.byteCount)};
        auto skip = static_cast<int32_t>(from - place.address);
        for (uint32_t i = 0; i < count; ++i)
            image.bytes[image.byteCount++] = RecordPair(record, 4 + skip + static_cast<int32_t>(i));
    }
    return 0;
}

ImageConflict SortImageRuns(ImageRuns &image) {
    ImageRun *runs = image.runs;
    int64_t count = image.runCount;
    for (int64_t at = count / 2; at-- > 0;)
        SiftDown(runs, at, count);
    for (int64_t end = count; end-- > 1;) {
        ImageRun moved = runs[0];
        runs[0] = runs[end];
        runs[end] = moved;
        SiftDown(runs, 0, end);
    }
    // Two records hold a byte with different values: the lowest such address. A run is held
    // against the one that reaches furthest among those before it, which holds whatever the
    // others before it hold there.
    ImageConflict conflict{0, 0, 0};
    int64_t reach = -1;
    for (int64_t i = 0; i < count; ++i) {
        if (reach >= 0 && EndOf(runs[reach]) > runs[i].address) {
            const ImageRun &held = runs[reach];
            uint64_t end = EndOf(held) < EndOf(runs[i]) ? EndOf(held) : EndOf(runs[i]);
            for (uint64_t at = runs[i].address; at < end; ++at) {
                uint8_t a = image.bytes[held.at + (at - held.address)];
                uint8_t b = image.bytes[runs[i].at + (at - runs[i].address)];
                if (a == b) continue;
                if (!conflict.first || at < conflict.address) {
                    bool earlier = held.line < runs[i].line;
                    conflict = {at, earlier ? held.line : runs[i].line,
                                earlier ? runs[i].line : held.line};
                }
                break;
            }
        }
        if (reach < 0 || EndOf(runs[i]) > EndOf(runs[reach])) reach = i;
    }
    return conflict;
}

void OverlayImageBytes(ImageRuns &image, uint64_t address, const uint8_t *bytes, int32_t count) {
    uint64_t end = address + static_cast<uint64_t>(count);
    for (int64_t i = 0; i < image.runCount; ++i) {
        const ImageRun &run = image.runs[i];
        for (uint64_t at = run.address > address ? run.address : address;
             at < end && at < EndOf(run); ++at)
            image.bytes[run.at + (at - run.address)] = bytes[at - address];
    }
}

bool ReadImageBytes(const ImageRuns &image, uint64_t address, int32_t count, uint8_t *out,
                    int64_t *line) {
    for (int32_t k = 0; k < count; ++k) {
        uint64_t at = address + static_cast<uint64_t>(k);
        bool held = false;
        for (int64_t i = 0; i < image.runCount && !held; ++i) {
            const ImageRun &run = image.runs[i];
            if (at < run.address || at >= EndOf(run)) continue;
            out[k] = image.bytes[run.at + (at - run.address)];
            if (k == 0) *line = run.line;
            held = true;
        }
        if (!held) return false;
    }
    return true;
}

uint32_t ImageChecksumOver(const ImageRuns &image, ChecksumAlgorithm algorithm, uint64_t first,
                           uint64_t last, uint8_t fill) {
    ImageChecksum sum{};
    BeginImageChecksum(sum, algorithm);
    uint64_t next = first; // the first address not yet taken
    for (int64_t i = 0; i < image.runCount && next <= last; ++i) {
        const ImageRun &run = image.runs[i];
        if (EndOf(run) <= next || run.address > last) continue;
        if (run.address > next) AddImageFill(sum, fill, run.address - next);
        uint64_t from = run.address > next ? run.address : next;
        uint64_t to = EndOf(run) - 1 < last ? EndOf(run) - 1 : last;
        AddImageBytes(sum, image.bytes + run.at + (from - run.address),
                      static_cast<int64_t>(to - from + 1));
        next = to + 1;
    }
    if (next <= last) AddImageFill(sum, fill, last - next + 1);
    return EndImageChecksum(sum);
}

void ReleaseImageRuns(ImageRuns &image) {
    if (image.runs) MainHeapFree(image.runs);
    if (image.bytes) MainHeapFree(image.bytes);
    image = ImageRuns{};
}
