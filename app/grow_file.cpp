// SPDX-License-Identifier: MIT
#include "app/grow_file.h"

#include "app/image_values.h"
#include "app/texts.h"
#include "core/heap_sort.h"
#include "core/hex_growth.h"
#include "core/hex_image.h"
#include "core/record.h"
#include "runtime/file_channels.h"
#include "runtime/growable.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// Addresses held or added, as runs with their bytes (owned, main heap; null: the fill).
struct Runs {
    GrowthRun *items;
    int32_t count, capacity;
};

void Add(Runs &runs, const GrowthRun &run) {
    ReserveRoom(runs.items, runs.capacity, runs.count, runs.count + 1, 16);
    runs.items[runs.count++] = run;
}

void Release(Runs &runs, bool bytes) {
    for (int32_t i = 0; bytes && i < runs.count; ++i)
        if (runs.items[i].bytes) MainHeapFree(const_cast<uint8_t *>(runs.items[i].bytes));
    if (runs.items) MainHeapFree(runs.items);
    runs = Runs{};
}

void SortRuns(Runs &runs) {
    HeapSort(runs.items, runs.count,
             [](const GrowthRun &a, const GrowthRun &b) { return a.first < b.first; });
}

// The parts of [first, last] that no run of taken (sorted) covers, each given to visit.
template <typename Visit>
void EachGap(const Runs &taken, uint32_t first, uint32_t last, Visit visit) {
    uint64_t from = first;
    for (int32_t i = 0; i < taken.count && from <= last; ++i) {
        const GrowthRun &run = taken.items[i];
        if (run.last < from) continue;
        if (run.first > last) break;
        if (run.first > from) visit(static_cast<uint32_t>(from), run.first - 1);
        from = uint64_t{run.last} + 1;
    }
    if (from <= last) visit(static_cast<uint32_t>(from), last);
}

// A file's first start-address record (type 03 or 05): its type and data; type 0: none.
struct Start {
    int32_t type, count;
    uint8_t bytes[8];
    bool operator==(const Start &) const = default;
};

// A walk into an image that notes the start address on the way.
struct StartAndImage {
    HexImage *image;
    Start start;
};

int32_t StartVisitor(void *context, int64_t line, int64_t position, char *record, int32_t length) {
    auto &both = *static_cast<StartAndImage *>(context);
    int32_t type = length >= 11 ? RecordPair(record, 3) : 0;
    if (!both.start.type && (type == TYPE_SEGMENT_START || type == TYPE_LINEAR_START)) {
        both.start.type = type;
        both.start.count = RecordPair(record, 0);
        for (int32_t i = 0; i < both.start.count && i < 8; ++i)
            both.start.bytes[i] = RecordPair(record, 4 + i);
    }
    return HexImageVisitor(both.image, line, position, record, length);
}

// A merged file's data as runs with their bytes, and the lines of its records (an Intel HEX
// file's image, kept for the lines); false when it could not be read (reported).
struct Merged {
    Runs runs;
    HexImage image; // of an Intel HEX file
    bool hex;
    Start start;
};

bool ReadMerged(const MergeJob &merge, Merged &merged, Report &out) {
    if (merge.raw) {
        uint32_t failure = 0;
        PlatformFile file = OpenPlatformFile(merge.path, OPENING_READ, &failure);
        int64_t size = file ? PlatformFileSize(file) : -1;
        if (file && (size < 0 || size > int64_t{0xFFFFFFFF} - merge.address + 1)) failure = 1;
        uint8_t *bytes = nullptr;
        if (file && !failure && size > 0) {
            bytes = static_cast<uint8_t *>(MainHeapAlloc(static_cast<size_t>(size)));
            for (int64_t done = 0; done < size && !failure;) {
                int64_t want = size - done < 1 << 30 ? size - done : 1 << 30;
                int32_t got =
                    ReadPlatformFile(file, bytes + done, static_cast<int32_t>(want), &failure);
                if (got <= 0 && !failure) failure = FAILURE_CODE_CHANGED;
                done += got > 0 ? got : 0;
            }
        }
        if (file) ClosePlatformFile(file);
        if (failure || !file) {
            if (bytes) MainHeapFree(bytes);
            ReportMergeNotRead(out, merge.path, failure ? failure : FAILURE_CODE_CHANGED, nullptr);
            return false;
        }
        if (size > 0)
            Add(merged.runs,
                {merge.address, static_cast<uint32_t>(merge.address + size - 1), bytes, 0});
        return true;
    }
    merged.hex = true;
    ImageRange all{0, 0xFFFFFFFF, false};
    BeginHexImage(merged.image, &all, 1);
    WalkTally tally{};
    StartAndImage both{&merged.image, {}};
    int32_t walked = WalkHexFile(merge.path, WALK_CHECK, HexImageSink, &merged.image, &tally,
                                 StartVisitor, &both);
    merged.start = both.start;
    if (walked != 1 || merged.image.addresses.unknownLine || merged.image.wrongLine) {
        ReportMergeNotRead(out, merge.path, tally.failure,
                           walked != 1              ? nullptr
                           : merged.image.wrongLine ? texts::MERGE_WRONG_CHECKSUM
                                                    : texts::MERGE_UNKNOWN);
        return false;
    }
    EndHexImage(merged.image);
    ImageRange range{};
    for (ptrdiff_t next = 0; NextImageRange(merged.image, &next, &range);) {
        uint64_t count = uint64_t{range.last} - range.first + 1;
        auto *bytes = static_cast<uint8_t *>(MainHeapAlloc(static_cast<size_t>(count)));
        int64_t line = 0;
        ReadImageBytes(merged.image, range.first, static_cast<int32_t>(count), bytes, &line);
        Add(merged.runs, {range.first, range.last, bytes, 0});
    }
    return true;
}

// Whether the bytes that ours (the file's, or a merged file's added before) and theirs both hold
// are equal; else the first that differs is reported.
bool SameWhereBoth(const HexImage &image, const GrowthRun &ours, const Merged &merged,
                   const GrowthRun &theirs, const char *path, Report &out, ByteSettingList *taken,
                   int32_t argument) {
    uint32_t first = ours.first > theirs.first ? ours.first : theirs.first;
    uint32_t last = ours.last < theirs.last ? ours.last : theirs.last;
    static constexpr int32_t SPAN = 4096;
    uint8_t own[SPAN];
    for (uint64_t at = first; first <= last && at <= last;) {
        uint64_t left = last - at + 1;
        auto count = static_cast<int32_t>(left < SPAN ? left : SPAN);
        int64_t line = 0;
        if (ours.bytes)
            std::memcpy(own, ours.bytes + (at - ours.first), static_cast<size_t>(count));
        else
            ReadImageBytes(image, static_cast<uint32_t>(at), count, own, &line);
        const uint8_t *other = theirs.bytes + (at - theirs.first);
        for (int32_t i = 0; i < count; ++i) {
            if (own[i] == other[i]) continue;
            if (taken && ours.bytes) { // an earlier merge's, not written yet: theirs instead
                const_cast<uint8_t *>(ours.bytes)[at - ours.first + static_cast<uint64_t>(i)] =
                    other[i];
                continue;
            }
            if (taken) { // the file's: set to theirs, a stretch of up to 255 bytes at a time
                ByteSetting setting{};
                setting.address = at + static_cast<uint64_t>(i);
                setting.argument = argument;
                while (i < count && own[i] != other[i] && setting.count < 255)
                    setting.bytes[setting.count++] = other[i++];
                AddByteSettingValue(*taken, setting);
                --i;
                continue;
            }
            auto address = static_cast<uint32_t>(at + static_cast<uint64_t>(i));
            uint8_t ignored = 0;
            int64_t theirLine = 0;
            if (!ours.bytes) ReadImageBytes(image, address, 1, &ignored, &line);
            if (merged.hex) ReadImageBytes(merged.image, address, 1, &ignored, &theirLine);
            ReportMergeDiffers(out, path, address, ours.bytes ? 0 : line, theirLine);
            return false;
        }
        at += static_cast<uint64_t>(count);
    }
    return true;
}

} // namespace

bool GrowCopy(const CommandLine &command, PlatformFile from, PlatformFile copy, Report &out,
              ByteSettingList *settings) {
    ByteSettingList theirsSet{}; // the merged bytes that differ from the file's (theirs)
    Merged *merged = static_cast<Merged *>(
        MainHeapAlloc(static_cast<size_t>(command.mergeCount + 1) * sizeof(Merged)));
    bool done = true;
    for (int32_t k = 0; k < command.mergeCount && done; ++k)
        done = ReadMerged(command.merges[k], merged[k], out);
    // The file's image around what may be added.
    Runs around{};
    for (int32_t k = 0; k < command.mergeCount && done; ++k)
        for (int32_t i = 0; i < merged[k].runs.count; ++i)
            Add(around, merged[k].runs.items[i]);
    for (int32_t k = 0; k < command.padCount; ++k)
        for (int32_t i = 0; i < command.pads[k].rangeCount; ++i)
            Add(around,
                {command.pads[k].ranges[i].first, command.pads[k].ranges[i].last, nullptr, 0});
    auto *ranges = static_cast<ImageRange *>(
        MainHeapAlloc(static_cast<size_t>(around.count + 1) * sizeof(ImageRange)));
    for (int32_t i = 0; i < around.count; ++i)
        ranges[i] = {around.items[i].first ? around.items[i].first - 1 : 0,
                     around.items[i].last < 0xFFFFFFFF ? around.items[i].last + 1 : 0xFFFFFFFF,
                     false};
    HexImage image{};
    BeginHexImage(image, ranges, around.count);
    auto in = static_cast<int32_t>(OpenChannelOnFile(AUTO_NUMBER, from));
    WalkTally tally{};
    StartAndImage own{&image, {}};
    int32_t walked = done && in ? WalkHexChannel(in, WALK_CHECK, HexImageSink, &image, &tally,
                                                 StartVisitor, &own)
                                : 0;
    if (done && walked != 1) {
        if (!in) tally.failure = ChannelOpenFailure();
        ReportFailure(out, walked, tally, true);
        done = false;
    }
    if (done) {
        EndHexImage(image);
        // (the values are set in the new version, once it holds them)
        done = !RefuseImageItself(command, image, out, true);
    }
    // What the file holds, then each merged file's data where it holds none, then the pads.
    Runs taken{}, added{};
    ImageRange range{};
    for (ptrdiff_t next = 0; done && NextImageRange(image, &next, &range);)
        Add(taken, {range.first, range.last, nullptr, 0});
    for (int32_t k = 0; k < command.mergeCount && done; ++k) {
        SortRuns(taken);
        int32_t before = added.count;
        for (int32_t i = 0; i < merged[k].runs.count && done; ++i) {
            const GrowthRun &theirs = merged[k].runs.items[i];
            // Where both hold bytes, they must be equal (unless ours are taken).
            for (int32_t j = 0; j < taken.count && done && command.overlap != OVERLAP_OURS; ++j)
                done =
                    SameWhereBoth(image, taken.items[j], merged[k], theirs, command.merges[k].path,
                                  out, command.overlap == OVERLAP_THEIRS ? &theirsSet : nullptr,
                                  command.merges[k].argument);
            EachGap(taken, theirs.first, theirs.last, [&](uint32_t first, uint32_t last) {
                auto count = static_cast<size_t>(uint64_t{last} - first + 1);
                auto *bytes = static_cast<uint8_t *>(MainHeapAlloc(count));
                std::memcpy(bytes, theirs.bytes + (first - theirs.first), count);
                Add(added, {first, last, bytes, 0});
            });
        }
        for (int32_t i = before; i < added.count; ++i) // (a later merge compares with these too)
            Add(taken, added.items[i]);
    }
    SortRuns(taken);
    for (int32_t k = 0; k < command.padCount && done; ++k) {
        const PadJob &pad = command.pads[k];
        for (int32_t i = 0; i < pad.rangeCount; ++i) {
            Runs fills{};
            EachGap(taken, pad.ranges[i].first, pad.ranges[i].last,
                    [&](uint32_t first, uint32_t last) {
                        Add(fills, {first, last, nullptr, pad.byte});
                    });
            for (int32_t j = 0; j < fills.count; ++j) {
                Add(added, fills.items[j]);
                Add(taken, fills.items[j]);
            }
            Release(fills, false);
            SortRuns(taken);
        }
    }
    if (done) {
        SortRuns(added);
        auto to = static_cast<int32_t>(OpenChannelOnFile(AUTO_NUMBER, copy));
        int64_t lines = 0;
        int32_t grown = to ? GrowHexFile(in, to, added.items, added.count, &lines) : -1;
        bool writing = false;
        uint32_t failure = to ? ChannelFailure(to, &writing) : ChannelOpenFailure();
        if (!failure) failure = ChannelFailure(in);
        if (to) CloseChannel(to);
        if (grown != 1 || failure) {
            ReportNotCopied(out, failure ? failure : FAILURE_CODE_CHANGED, writing || !to);
            done = false;
        }
        for (int32_t k = 0; k < command.mergeCount && done; ++k)
            ReportMerged(out, command.merges[k].path,
                         merged[k].start.type && !(merged[k].start == own.start));
        if (done) ReportRecordsAdded(out, lines);
        if (done && theirsSet.count) *settings = LayeredByteSettings(theirsSet, command.settings);
    }
    ReleaseByteSettings(theirsSet);
    if (in) CloseChannel(in);
    Release(added, true);
    Release(taken, false);
    Release(around, false);
    MainHeapFree(ranges);
    ReleaseHexImage(image);
    for (int32_t k = 0; k < command.mergeCount; ++k) {
        Release(merged[k].runs, true);
        ReleaseHexImage(merged[k].image);
    }
    MainHeapFree(merged);
    return done;
}
