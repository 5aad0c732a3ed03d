// SPDX-License-Identifier: MIT
#include "core/hex_growth.h"

#include "core/addresses.h"
#include "core/heap_sort.h"
#include "core/patcher.h"
#include "core/record.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"

#include <climits>
#include <cstring>
#include <initializer_list>

namespace {

// Where a run's records go, and what holds there.
enum PointKind : int32_t { POINT_END, POINT_BEFORE, POINT_AFTER };
struct Point {
    PointKind kind;
    int64_t position;   // in the file; -1: the file's end
    uint64_t base;      // the base in effect there
    bool segmented;     // ... set by a type 02 record
    bool dataFollows;   // the next record there is a data record
    int32_t length;     // of the new data records; 0: the file's commonest
    const char *digits; // their case
};

struct Plan {
    const GrowthRun *runs;
    int32_t runCount;
    Point *points;                      // one a run
    int32_t *waitingLine, *waitingNext; // runs waiting for the next line's position, or record
    int32_t lineWaits, nextWaits;
    AddressWalk addresses;
    const char *digits; // of the last record with letters; null: none yet
    int64_t lengths[256];
    int64_t segmentRecords, linearRecords;
    bool ended; // the end-of-file record was seen
};

// The first run whose first address is at least address (runCount: none).
int32_t RunFrom(const Plan &plan, uint64_t address) {
    int32_t low = 0, high = plan.runCount;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (plan.runs[middle].first < address)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Whether count bytes at address can be data records under the base.
bool Fits(uint64_t base, bool segmented, uint64_t address, uint64_t count) {
    if (segmented) return address >= base && address + count - 1 < base + 0x10000;
    return (base & 0xFFFF) == 0 && address >> 16 == base >> 16 &&
           (address + count - 1) >> 16 == address >> 16;
}

// A stretch [first, last] of a record's data: the run right behind it goes after the record
// (unless it needs another base), and the run right before it, where nothing placed it yet,
// before the record.
void NoteStretch(Plan &plan, uint64_t first, uint64_t last, int64_t position, int32_t count,
                 const char *digitsBefore) {
    const AddressWalk &at = plan.addresses;
    int32_t after = RunFrom(plan, last + 1);
    if (after < plan.runCount && plan.runs[after].first == last + 1 &&
        Fits(at.base, at.segmented, last + 1, 1)) {
        plan.points[after] = {POINT_AFTER, -1, at.base, at.segmented, false, count, plan.digits};
        plan.waitingLine[plan.lineWaits++] = after;
    }
    int32_t before = RunFrom(plan, first) - 1;
    if (first > 0 && before >= 0 && plan.runs[before].last == first - 1 &&
        plan.points[before].kind == POINT_END)
        plan.points[before] = {POINT_BEFORE, position, at.base,     at.segmented,
                               true,         0,        digitsBefore};
}

int32_t PlanVisitor(void *context, int64_t line, int64_t position, char *record, int32_t length) {
    Plan &plan = *static_cast<Plan *>(context);
    if (plan.ended) return 0;
    for (int32_t i = 0; i < plan.lineWaits; ++i) {
        plan.points[plan.waitingLine[i]].position = position;
        plan.waitingNext[plan.nextWaits++] = plan.waitingLine[i];
    }
    plan.lineWaits = 0;
    if (!length) {
        NoteOtherLine(plan.addresses, line, record);
        return 0;
    }
    const char *digitsBefore = plan.digits;
    if (const char *own = RecordCase(record, length)) plan.digits = own;
    RecordPlace place = PlaceRecord(plan.addresses, line, record);
    for (int32_t i = 0; i < plan.nextWaits; ++i)
        plan.points[plan.waitingNext[i]].dataFollows = place.type == TYPE_DATA;
    plan.nextWaits = 0;
    if (place.afterEnd) { // the end-of-file record: what is left goes before it
        plan.ended = true;
        for (int32_t i = 0; i < plan.runCount; ++i)
            if (plan.points[i].kind == POINT_END)
                plan.points[i] = {
                    POINT_END, position, plan.addresses.base, plan.addresses.segmented,
                    false,     0,        digitsBefore};
        return 0;
    }
    plan.segmentRecords += place.type == TYPE_SEGMENT ? 1 : 0;
    plan.linearRecords += place.type == TYPE_LINEAR ? 1 : 0;
    if (place.type != TYPE_DATA || place.count == 0) return 0;
    plan.lengths[place.count] += 1;
    EachStretch(place, [&](uint64_t address, int32_t, int32_t count) {
        NoteStretch(plan, address, address + static_cast<uint64_t>(count) - 1, position,
                    place.count, digitsBefore ? digitsBefore : plan.digits);
    });
    return 0;
}

// The new lines, built before they are written.
struct Lines {
    int32_t to;
    const char *digits;
    char end[2];
    int32_t endLength;
    int64_t added;
};

void WriteRecord(Lines &lines, int32_t type, uint32_t offset, const uint8_t *data,
                 const GrowthRun &run, uint64_t from, int32_t count) {
    char text[LONGEST_RECORD + 2];
    uint8_t sum = 0;
    int32_t at = 0;
    text[at++] = ':';
    auto pair = [&](uint8_t value) {
        text[at++] = lines.digits[value >> 4];
        text[at++] = lines.digits[value & 15];
        sum = static_cast<uint8_t>(sum + value);
    };
    pair(static_cast<uint8_t>(count));
    pair(static_cast<uint8_t>(offset >> 8));
    pair(static_cast<uint8_t>(offset));
    pair(static_cast<uint8_t>(type));
    for (int32_t i = 0; i < count; ++i)
        pair(data        ? data[i]
             : run.bytes ? run.bytes[from - run.first + static_cast<uint64_t>(i)]
                         : run.fill);
    pair(static_cast<uint8_t>(-sum));
    sum = 0;
    std::memcpy(text + at, lines.end, static_cast<size_t>(lines.endLength));
    WriteChannelBytes(lines.to, text, at + lines.endLength);
    lines.added += 1;
}

void WriteBase(Lines &lines, bool segment, uint64_t base) {
    uint8_t value[2];
    uint64_t field = segment ? base >> 4 : base >> 16;
    value[0] = static_cast<uint8_t>(field >> 8);
    value[1] = static_cast<uint8_t>(field);
    WriteRecord(lines, segment ? TYPE_SEGMENT : TYPE_LINEAR, 0, value, GrowthRun{}, 0, 2);
}

// The run's records at its point, the base as it stands in *base / *segmented.
void WriteRun(Lines &lines, const GrowthRun &run, int32_t length, bool segments, uint64_t *base,
              bool *segmented) {
    for (uint64_t address = run.first; address <= run.last;) {
        uint64_t left = uint64_t{run.last} - address + 1, page = 0x10000 - (address & 0xFFFF);
        auto count = static_cast<int32_t>(left < page ? left : page);
        count = count < length ? count : length;
        if (!Fits(*base, *segmented, address, static_cast<uint64_t>(count))) {
            *segmented = segments && address < 0x100000;
            *base = address & ~uint64_t{0xFFFF};
            WriteBase(lines, *segmented, *base);
        }
        WriteRecord(lines, TYPE_DATA, static_cast<uint32_t>(address - *base), nullptr, run, address,
                    count);
        address += static_cast<uint64_t>(count);
    }
}

} // namespace

int32_t GrowHexFile(int32_t from, int32_t to, const GrowthRun *runs, int32_t runCount,
                    int64_t *added) {
    *added = 0;
    Plan plan{};
    plan.runs = runs;
    plan.runCount = runCount;
    auto count = static_cast<size_t>(runCount) + 2; // (a record's two stretches wait at most)
    plan.points = static_cast<Point *>(MainHeapAlloc(count * sizeof(Point)));
    plan.waitingLine = static_cast<int32_t *>(MainHeapAlloc(count * sizeof(int32_t)));
    plan.waitingNext = static_cast<int32_t *>(MainHeapAlloc(count * sizeof(int32_t)));
    WalkTally tally{};
    int32_t walked = SeekChannel(from, 0) < 0 ? -1
                                              : WalkHexChannel(from, WALK_CHECK, nullptr, nullptr,
                                                               &tally, PlanVisitor, &plan);
    // Runs still waiting go to the file's end; so do those with no record about them where the
    // file has no end-of-file record.
    for (int32_t i = 0; i < plan.lineWaits; ++i)
        plan.points[plan.waitingLine[i]].position = -1;
    for (int32_t i = 0; i < runCount && !plan.ended; ++i)
        if (plan.points[i].kind == POINT_END)
            plan.points[i] = {POINT_END, -1, plan.addresses.base, plan.addresses.segmented,
                              false,     0,  plan.digits};
    int32_t common = 16;
    int64_t most = 0;
    for (int32_t n = 1; n < 256; ++n)
        if (plan.lengths[n] > most) most = plan.lengths[n], common = n;
    bool segments = plan.segmentRecords > 0 && plan.linearRecords == 0;
    // The file's commonest line end, for new lines at its start or behind a last line without one.
    int64_t *ends = tally.lineEnds;
    char fileEnd[2] = {'\r', '\n'};
    int32_t fileEndLength = 2;
    if (ends[LINE_END_LF] > ends[LINE_END_CR_LF] && ends[LINE_END_LF] >= ends[LINE_END_CR])
        fileEnd[0] = '\n', fileEndLength = 1;
    else if (ends[LINE_END_CR] > ends[LINE_END_CR_LF])
        fileEndLength = 1;

    // The points in the order of the file, each one's runs in address order.
    auto *order = static_cast<int32_t *>(MainHeapAlloc(count * sizeof(int32_t)));
    for (int32_t i = 0; i < runCount; ++i)
        order[i] = i;
    HeapSort(order, runCount, [&plan](int32_t a, int32_t b) {
        int64_t one = plan.points[a].position, other = plan.points[b].position;
        one = one < 0 ? INT64_MAX : one;
        other = other < 0 ? INT64_MAX : other;
        return one != other ? one < other : a < b;
    });

    // The file's bytes as they stand, the new lines at their points.
    auto *buffer = static_cast<char *>(MainHeapAlloc(65536));
    int64_t copied = 0;
    char last[2] = {0, 0}; // the last two bytes copied
    bool failed = walked < 0 || SeekChannel(from, 0) < 0;
    Lines lines{to, HEX_DIGITS, {}, 0, 0};
    for (int32_t k = 0; k <= runCount && !failed; ++k) {
        int64_t until = k < runCount ? plan.points[order[k]].position : -1;
        while (until < 0 || copied < until) {
            int64_t want = until < 0 ? 65536 : until - copied;
            int32_t got =
                ReadChannelData(from, buffer, static_cast<int32_t>(want < 65536 ? want : 65536));
            if (got <= 0) break;
            if (WriteChannelBytes(to, buffer, got) != got) break;
            if (got >= 2)
                last[0] = buffer[got - 2];
            else
                last[0] = last[1];
            last[1] = buffer[got - 1];
            copied += got;
        }
        if (ChannelFailure(from) || ChannelFailure(to)) failed = true;
        if (k == runCount || failed) break;
        // The runs of this point, one after another.
        const Point &point = plan.points[order[k]];
        bool open = copied > 0 && last[1] != '\n' && last[1] != '\r' && last[1] != 0;
        if (open) WriteChannelBytes(to, fileEnd, fileEndLength);
        if (copied == 0 || open || last[1] == 0) {
            std::memcpy(lines.end, fileEnd, 2);
            lines.endLength = fileEndLength;
        } else if (last[1] == '\n' && last[0] == '\r') {
            lines.end[0] = '\r', lines.end[1] = '\n', lines.endLength = 2;
        } else {
            lines.end[0] = last[1], lines.endLength = 1;
        }
        lines.digits = point.digits ? point.digits : HEX_DIGITS;
        uint64_t base = point.base;
        bool segmented = point.segmented;
        int32_t j = k;
        for (; j < runCount && plan.points[order[j]].position == point.position; ++j) {
            const Point &own = plan.points[order[j]];
            WriteRun(lines, runs[order[j]], own.length ? own.length : common, segments, &base,
                     &segmented);
        }
        if (point.dataFollows && (base != point.base || segmented != point.segmented))
            WriteBase(lines, point.segmented, point.base);
        k = j - 1;
    }
    if (ChannelFailure(from) || ChannelFailure(to)) failed = true;
    *added = lines.added;
    for (void *block : {static_cast<void *>(plan.points), static_cast<void *>(plan.waitingLine),
                        static_cast<void *>(plan.waitingNext), static_cast<void *>(order),
                        static_cast<void *>(buffer)})
        MainHeapFree(block);
    return failed ? -1 : 1;
}
