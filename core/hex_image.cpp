// SPDX-License-Identifier: MIT
#include "core/hex_image.h"

#include "core/heap_sort.h"
#include "core/record.h"
#include "core/record_sum.h"
#include "runtime/growable.h"
#include "runtime/registry.h"

#include <cassert>
#include <cstring>
#include <initializer_list>

namespace {

template <typename T>
void Reserve(T *&block, ptrdiff_t &capacity, ptrdiff_t used, ptrdiff_t needed) {
    ReserveRoom(block, capacity, used, needed, ptrdiff_t{64});
}

bool Before(const ImageRun &a, const ImageRun &b) {
    return a.address != b.address ? a.address < b.address : a.line < b.line;
}

void InsertionSort(ImageRun *runs, ptrdiff_t count) {
    for (ptrdiff_t i = 1; i < count; ++i)
        for (ptrdiff_t j = i; j > 0 && Before(runs[j], runs[j - 1]); --j)
            heap_sort::Swap(runs[j], runs[j - 1]);
}

// In place, by the address's byte at shift and those below it (a radix sort from the top byte
// down, each byte's buckets swapped into place), then by line: a few passes over the runs in any
// order, and no memory beyond them.
void SortRuns(ImageRun *runs, ptrdiff_t count, int32_t shift) {
    if (count <= 32) return InsertionSort(runs, count);
    if (shift < 0) return HeapSort(runs, count, Before); // one address, by line
    auto digit = [shift](const ImageRun &run) { return run.address >> shift & 255; };
    ptrdiff_t ends[256] = {}, next[256];
    for (ptrdiff_t i = 0; i < count; ++i)
        ++ends[digit(runs[i])];
    for (ptrdiff_t b = 0, sum = 0; b < 256; ++b) {
        next[b] = sum;
        sum += ends[b];
        ends[b] = sum;
    }
    for (uint32_t b = 0; b < 256; ++b)
        while (next[b] < ends[b]) {
            ImageRun &run = runs[next[b]];
            uint32_t d = digit(run);
            if (d == b)
                ++next[b];
            else
                heap_sort::Swap(run, runs[next[d]++]);
        }
    for (ptrdiff_t b = 0, start = 0; b < 256; start = ends[b++])
        if (ends[b] - start > 1) SortRuns(runs + start, ends[b] - start, shift - 8);
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
uint8_t &ByteAt(const HexImage &image, const ImageRun &run, uint32_t address) {
    return image.bytes[run.at + (address - run.address)];
}

// Whether EndHexImage sorted the runs (each query needs them so).
[[maybe_unused]] bool Sorted(const HexImage &image) {
    return image.runCount == 0 || image.reach != nullptr;
}

// The index of the last sorted run that starts at address or below it, or -1.
ptrdiff_t LastFrom(const HexImage &image, uint32_t address) {
    ptrdiff_t low = 0, high = image.runCount; // the answer lies in [low - 1, high)
    while (low < high) {
        ptrdiff_t middle = low + (high - low) / 2;
        if (image.runs[middle].address <= address)
            low = middle + 1;
        else
            high = middle;
    }
    return low - 1;
}

// Calls visit(run) for every sorted run that holds address; the runs before the last that starts
// there are looked at only while some of them reach it.
template <typename Visit> void EachHolder(const HexImage &image, uint32_t address, Visit visit) {
    assert(Sorted(image));
    for (ptrdiff_t i = LastFrom(image, address); i >= 0 && image.reach[i] >= address; --i)
        if (Holds(image.runs[i], address)) visit(image.runs[i]);
}

// The index of the first of sorted, separate ranges that ends at address or above it: the one
// found last (*hint) when it still is, as for records in address order; else found by halving.
int32_t FirstRangeFrom(const ImageRange *ranges, int32_t count, uint32_t address, int32_t *hint) {
    int32_t r = *hint;
    if (r < count && ranges[r].last >= address && (r == 0 || ranges[r - 1].last < address))
        return r;
    int32_t low = 0, high = count;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (ranges[middle].last < address)
            low = middle + 1;
        else
            high = middle;
    }
    return *hint = low;
}

// Keeps the part of a stretch of a record's data in each range.
void CollectStretch(HexImage &image, int64_t line, const char *record, uint64_t address,
                    int32_t first, int32_t count) {
    // Ranges lie below 4 GiB: a record there holds bytes up to 0xFFFFFFFF of them at most.
    if (count == 0 || address > 0xFFFFFFFF) return;
    auto start = static_cast<uint32_t>(address);
    uint64_t end = address + static_cast<uint64_t>(count) - 1;
    uint32_t last = end > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<uint32_t>(end);
    for (int32_t r = FirstRangeFrom(image.ranges, image.rangeCount, start, &image.rangeHint);
         r < image.rangeCount && image.ranges[r].first <= last; ++r) {
        const ImageRange &range = image.ranges[r];
        uint32_t from = start > range.first ? start : range.first;
        uint32_t to = last < range.last ? last : range.last;
        uint32_t taken = to - from + 1;
        Reserve(image.bytes, image.byteCapacity, image.byteCount, image.byteCount + taken);
        ImageRun *run = image.runCount ? &image.runs[image.runCount - 1] : nullptr;
        if (run && from > run->address && from - run->address == run->count && taken == run->each &&
            image.lastLine + 1 == line && int64_t{run->at} + run->count == image.byteCount) {
            run->count += taken; // the run goes on
        } else {
            Reserve(image.runs, image.runCapacity, image.runCount, image.runCount + 1);
            image.runs[image.runCount++] = {from, taken, line,
                                            static_cast<uint32_t>(image.byteCount), taken};
        }
        image.lastLine = line;
        DecodeDigits(record + 9 + 2 * (first + static_cast<int32_t>(from - start)),
                     image.bytes + image.byteCount, static_cast<int32_t>(taken));
        image.byteCount += taken;
    }
}

// Whether a stretch of addresses meets a written range.
bool MeetsWritten(HexImage &image, uint64_t address, int32_t count) {
    if (address > 0xFFFFFFFF) return false;
    uint64_t last = address + static_cast<uint64_t>(count) - 1;
    int32_t r = FirstRangeFrom(image.written, image.writtenCount, static_cast<uint32_t>(address),
                               &image.writtenHint);
    return r < image.writtenCount && image.written[r].first <= last;
}

// The ranges among the first count of ranges (written ones alone, or all) sorted and merged where
// they overlap or meet, into merged (room for count); their number.
int32_t MergeRanges(const ImageRange *ranges, int32_t count, bool writtenOnly, ImageRange *merged) {
    int32_t taken = 0;
    for (int32_t r = 0; r < count; ++r)
        if (!writtenOnly || ranges[r].written) merged[taken++] = ranges[r];
    auto before = [](const ImageRange &a, const ImageRange &b) { return a.first < b.first; };
    int32_t ordered = 1;
    while (ordered < taken && !before(merged[ordered], merged[ordered - 1]))
        ++ordered;
    if (ordered < taken) HeapSort(merged, taken, before);
    int32_t kept = 0;
    for (int32_t r = 0; r < taken; ++r) {
        if (ImageRange *last = kept ? &merged[kept - 1] : nullptr;
            last && uint64_t{merged[r].first} <= uint64_t{last->last} + 1) {
            if (merged[r].last > last->last) last->last = merged[r].last;
        } else {
            merged[kept++] = merged[r];
        }
    }
    return kept;
}

} // namespace

uint64_t RecordFingerprint(const char *record, int32_t length) {
    uint64_t hash = 0xCBF29CE484222325u;
    for (int32_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(record[i])) * 0x100000001B3u;
    return hash;
}

void BeginHexImage(HexImage &image, const ImageRange *ranges, int32_t rangeCount) {
    ReleaseHexImage(image);
    if (rangeCount == 0) return;
    size_t room = static_cast<size_t>(rangeCount) * sizeof(ImageRange);
    image.ranges = static_cast<ImageRange *>(MainHeapAlloc(room));
    image.written = static_cast<ImageRange *>(MainHeapAlloc(room));
    image.rangeCount = MergeRanges(ranges, rangeCount, false, image.ranges);
    image.writtenCount = MergeRanges(ranges, rangeCount, true, image.written);
    // Room for the ranges' bytes at once (up to 64 MiB), so that they are not copied as they grow.
    uint64_t bytes = 0;
    for (int32_t r = 0; r < image.rangeCount; ++r) {
        assert(image.ranges[r].first <= image.ranges[r].last);
        bytes += uint64_t{image.ranges[r].last} - image.ranges[r].first + 1;
    }
    Reserve(image.bytes, image.byteCapacity, 0,
            bytes < (1 << 26) ? static_cast<int64_t>(bytes) : 1 << 26);
}

int32_t HexImageVisitor(void *context, int64_t line, int64_t position, char *record,
                        int32_t length) {
    HexImage &image = *static_cast<HexImage *>(context);
    if (!length) {
        NoteOtherLine(image.addresses, line, record);
        return 0;
    }
    const char *caseBefore = image.lastCase;
    if (image.writtenCount) image.lastCase = RecordCase(record, length);
    RecordPlace place = PlaceRecord(image.addresses, line, record);
    if (place.type != TYPE_DATA || place.count == 0) return 0;
    bool written = false;
    EachStretch(place, [&](uint64_t address, int32_t first, int32_t count) {
        written = written || MeetsWritten(image, address, count);
        if (place.afterEnd) return;
        CollectStretch(image, line, record, address, first, count);
    });
    if (!written) return 0;
    if (place.afterEnd) {
        EachStretch(place, [&](uint64_t address, int32_t, int32_t count) {
            if (address > 0xFFFFFFFF) return;
            Reserve(image.late, image.lateCapacity, image.lateCount, image.lateCount + 1);
            image.late[image.lateCount++] = {static_cast<uint32_t>(address),
                                             static_cast<uint32_t>(count), line, 0, 0};
        });
        return 0;
    }
    Reserve(image.records, image.recordCapacity, image.recordCount, image.recordCount + 1);
    image.records[image.recordCount++] = {
        line, position, place, length, RecordFingerprint(record, length), caseBefore};
    return 0;
}

void HexImageSink(void *context, const Finding &finding) {
    HexImage &image = *static_cast<HexImage *>(context);
    if (finding.kind == FINDING_MALFORMED) NoteMalformedLine(image.addresses, finding.line);
    if (finding.kind == FINDING_CHECKSUM && !image.wrongLine) image.wrongLine = finding.line;
}

void EndHexImage(HexImage &image) {
    ImageRun *runs = image.runs;
    ptrdiff_t count = image.runCount, ordered = 1;
    while (ordered < count && !Before(runs[ordered], runs[ordered - 1]))
        ++ordered;
    if (ordered < count) SortRuns(runs, count, 24); // (in order, as most are: as they are)
    if (count)
        image.reach =
            static_cast<uint32_t *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(uint32_t)));
    for (ptrdiff_t i = 0; i < count; ++i) {
        assert(i == 0 || !Before(runs[i], runs[i - 1])); // sorted
        uint32_t last = LastOf(runs[i]);
        image.reach[i] = i > 0 && image.reach[i - 1] > last ? image.reach[i - 1] : last;
    }
}

// Each run against the one before it that reaches furthest, which holds what the others before
// it hold where it overlaps them (or two of those differ already).
ImageConflict ReadConflict(const HexImage &image) {
    assert(Sorted(image));
    const ImageRun *runs = image.runs;
    ImageConflict conflict{0, 0, 0};
    for (ptrdiff_t i = 1, reach = 0; i < image.runCount; ++i) {
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

// Each of the record's bytes below 4 GiB against the byte read at its address.
bool HeldAlike(const HexImage &image, const RecordPlace &place, const char *record) {
    for (int32_t k = 0; k < place.count; ++k) {
        uint64_t at = k < place.before ? place.address + static_cast<uint32_t>(k)
                                       : place.wrapped + static_cast<uint32_t>(k - place.before);
        uint8_t held = 0;
        int64_t line = 0;
        if (at <= 0xFFFFFFFF &&
            ReadImageBytes(image, static_cast<uint32_t>(at), 1, &held, &line) == 1 &&
            held != RecordPair(record, 4 + k))
            return false;
    }
    return true;
}

// A range goes on while the next run starts at most one address above the runs so far (64-bit:
// runs that reach 0xFFFFFFFF take every run after them).
bool NextImageRange(const HexImage &image, ptrdiff_t *next, ImageRange *range) {
    assert(Sorted(image));
    ptrdiff_t i = *next;
    if (i >= image.runCount) return false;
    range->first = image.runs[i].address;
    while (i + 1 < image.runCount &&
           uint64_t{image.runs[i + 1].address} <= uint64_t{image.reach[i]} + 1)
        ++i;
    range->last = image.reach[i];
    *next = i + 1;
    return true;
}

WriteRefusal WriteHolders(const HexImage &image, uint32_t address, int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        uint32_t at = address + static_cast<uint32_t>(k);
        int64_t first = 0, second = 0;
        EachHolder(image, at, [&](const ImageRun &run) {
            int64_t line = LineAt(run, at);
            if (!first || line < first) {
                second = first;
                first = line;
            } else if (!second || line < second) {
                second = line;
            }
        });
        if (first && !second) continue;
        int64_t late = 0;
        for (ptrdiff_t i = 0; !first && !late && i < image.lateCount; ++i)
            if (Holds(image.late[i], at)) late = image.late[i].line;
        return {true, at, first, second, late};
    }
    return {false, 0, 0, 0, 0};
}

int32_t ReadImageBytes(const HexImage &image, uint32_t address, int32_t count, uint8_t *out,
                       int64_t *line) {
    for (int32_t k = 0; k < count; ++k) {
        uint32_t at = address + static_cast<uint32_t>(k);
        int64_t first = 0;
        EachHolder(image, at, [&](const ImageRun &run) {
            if (first && LineAt(run, at) > first) return;
            first = LineAt(run, at);
            out[k] = ByteAt(image, run, at);
        });
        if (!first) return k;
        if (k == 0) *line = first;
    }
    return count;
}

// Some run that starts at last or below reaches first.
bool ImageHoldsAny(const HexImage &image, uint32_t first, uint32_t last) {
    assert(Sorted(image) && first <= last);
    ptrdiff_t i = LastFrom(image, last);
    return i >= 0 && image.reach[i] >= first;
}

void OverlayImageBytes(HexImage &image, uint32_t address, const uint8_t *bytes, int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        uint32_t at = address + static_cast<uint32_t>(k);
        EachHolder(image, at, [&](const ImageRun &run) { ByteAt(image, run, at) = bytes[k]; });
    }
}

void AddImageRange(ImageChecksum &sum, const HexImage &image, uint32_t first, uint32_t last,
                   uint8_t fill) {
    assert(Sorted(image) && first <= last);
    uint64_t next = first; // the first address not yet taken
    ptrdiff_t i = LastFrom(image, first);
    while (i > 0 && image.reach[i - 1] >= first) // (runs that start below and reach into it)
        --i;
    for (i = i < 0 ? 0 : i; i < image.runCount && image.runs[i].address <= last; ++i) {
        const ImageRun &run = image.runs[i];
        // Runs taken from records in any order hold their bytes anywhere: the bytes of those a
        // few runs on are fetched while these are summed.
        if (i + 8 < image.runCount) __builtin_prefetch(image.bytes + image.runs[i + 8].at);
        uint64_t from = run.address > next ? run.address : next;
        uint64_t to = LastOf(run) < last ? LastOf(run) : last;
        if (from > to) continue;
        AddImageFill(sum, fill, from - next);
        AddImageBytes(sum, &ByteAt(image, run, static_cast<uint32_t>(from)),
                      static_cast<ptrdiff_t>(to - from + 1));
        next = to + 1;
    }
    AddImageFill(sum, fill, uint64_t{last} + 1 - next);
}

void ReleaseImageBytes(HexImage &image) {
    for (void *block : {static_cast<void *>(image.ranges), static_cast<void *>(image.written),
                        static_cast<void *>(image.runs), static_cast<void *>(image.reach),
                        static_cast<void *>(image.bytes), static_cast<void *>(image.late)})
        if (block) MainHeapFree(block);
    ImageRecord *records = image.records;
    ptrdiff_t count = image.recordCount, capacity = image.recordCapacity;
    image = HexImage{};
    image.records = records;
    image.recordCount = count;
    image.recordCapacity = capacity;
}

void ReleaseHexImage(HexImage &image) {
    ReleaseImageBytes(image);
    if (image.records) MainHeapFree(image.records);
    image = HexImage{};
}
