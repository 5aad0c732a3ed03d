// SPDX-License-Identifier: MIT
#include "core/address_ranges.h"

#include "runtime/registry.h"

#include <cstring>

// A range of addresses that records of equal size on consecutive lines hold, one after another
// in rising or falling order of addresses: the size bytes at start (rising) or at end (falling)
// are on line, the next size bytes on line + 1, and so on. A range of one record is either.
// 32 bytes: lines beyond 2^48 would take a file of more than 256 TiB.
struct AddressRange {
    uint64_t start, end;  // [start, end), end - start a multiple of size
    int32_t child[2];     // the ranges below and above, 0: none
    uint64_t line : 48;   // of the record at the range's first end
    uint64_t size : 8;    // 1 to 255 bytes
    uint64_t height : 7;  // of the subtree under this range, this one alone being 1
    uint64_t falling : 1; // the first record holds the highest addresses
};
static_assert(sizeof(AddressRange) == 32);

namespace {

int64_t LineAt(const AddressRange &range, uint64_t address) {
    uint64_t from = range.falling ? range.end - 1 - address : address - range.start;
    return static_cast<int64_t>(range.line + from / range.size);
}

int64_t LastLine(const AddressRange &range) {
    return static_cast<int64_t>(range.line + (range.end - range.start) / range.size) - 1;
}

// The range with the lowest addresses of those that end above address; 0 when none does.
int32_t FirstEndingAbove(const HeldAddresses &held, uint64_t address) {
    int32_t found = 0;
    for (int32_t at = held.root; at;) {
        const AddressRange &range = held.ranges[at];
        if (range.end > address) {
            found = at;
            at = range.child[0];
        } else {
            at = range.child[1];
        }
    }
    return found;
}

// The range with the highest addresses of those that start below address; 0 when none does.
int32_t LastStartingBelow(const HeldAddresses &held, uint64_t address) {
    int32_t found = 0;
    for (int32_t at = held.root; at;) {
        const AddressRange &range = held.ranges[at];
        if (range.start < address) {
            found = at;
            at = range.child[1];
        } else {
            at = range.child[0];
        }
    }
    return found;
}

int32_t Height(const AddressRange *ranges, int32_t at) {
    return at ? static_cast<int32_t>(ranges[at].height) : 0;
}

void SetHeight(AddressRange *ranges, int32_t at) {
    int32_t below = Height(ranges, ranges[at].child[0]),
            above = Height(ranges, ranges[at].child[1]);
    ranges[at].height = static_cast<uint64_t>(1 + (below > above ? below : above)) & 127;
}

// Lifts the child of range `at` on the given side (0 below, 1 above) into its place; returns it.
int32_t Lift(AddressRange *ranges, int32_t at, int side) {
    int32_t child = ranges[at].child[side];
    ranges[at].child[side] = ranges[child].child[!side];
    ranges[child].child[!side] = at;
    SetHeight(ranges, at);
    SetHeight(ranges, child);
    return child;
}

// The subtree under range `at`, whose two subtrees are balanced and differ in height by at most
// 2, balanced again (an AVL tree); returns its new top.
int32_t Rebalance(AddressRange *ranges, int32_t at) {
    int32_t tilt = Height(ranges, ranges[at].child[1]) - Height(ranges, ranges[at].child[0]);
    if (tilt < 2 && tilt > -2) {
        SetHeight(ranges, at);
        return at;
    }
    int side = tilt > 0, child = ranges[at].child[side];
    if (Height(ranges, ranges[child].child[!side]) > Height(ranges, ranges[child].child[side]))
        ranges[at].child[side] = Lift(ranges, child, !side);
    return Lift(ranges, at, side);
}

// Puts range `added` into the tree by its start: down a path, then back up it, rebalancing. An
// AVL tree of fewer than 2^31 ranges is less than 46 levels deep.
void Insert(HeldAddresses &held, int32_t added) {
    AddressRange *ranges = held.ranges;
    int32_t path[48];
    int32_t depth = 0;
    for (int32_t at = held.root; at && depth < 48;
         at = ranges[at].child[ranges[added].start > ranges[at].start])
        path[depth++] = at;
    int32_t top = added;
    while (depth--) {
        int32_t at = path[depth];
        ranges[at].child[ranges[added].start > ranges[at].start] = top;
        top = Rebalance(ranges, at);
    }
    held.root = top;
}

// Holds [start, end) for line, where no address is held yet: as part of a range next to it, or
// as a range of its own.
void HoldFree(HeldAddresses &held, uint64_t start, uint64_t end, int64_t line) {
    uint64_t size = end - start;
    int32_t below = held.highest && held.ranges[held.highest].end <= start
                        ? held.highest
                        : LastStartingBelow(held, start);
    if (below) {
        AddressRange &range = held.ranges[below];
        if (range.end == start && range.size == size && !range.falling &&
            LastLine(range) == line - 1) {
            range.end = end;
            return;
        }
    }
    if (int32_t above = below == held.highest && below ? 0 : FirstEndingAbove(held, start)) {
        AddressRange &range = held.ranges[above];
        if (range.start == end && range.size == size &&
            (range.falling || range.end - range.start == size) && LastLine(range) == line - 1) {
            range.start = start;
            range.falling = true;
            return;
        }
    }
    if (held.count + 1 >= held.capacity) {
        int32_t capacity = held.capacity ? held.capacity + held.capacity / 2 : 64;
        auto *ranges = static_cast<AddressRange *>(
            MainHeapAlloc(static_cast<size_t>(capacity) * sizeof(AddressRange)));
        if (held.ranges) {
            std::memcpy(ranges, held.ranges, static_cast<size_t>(held.count + 1) * sizeof *ranges);
            MainHeapFree(held.ranges);
        }
        held.ranges = ranges;
        held.capacity = capacity;
    }
    int32_t added = ++held.count;
    held.ranges[added] = {start, end, {0, 0}, static_cast<uint64_t>(line), size, 1, 0};
    Insert(held, added);
    if (!held.highest || start > held.ranges[held.highest].start) held.highest = added;
}

} // namespace

HeldBefore HoldAddresses(HeldAddresses &held, uint64_t start, uint64_t end, int64_t line) {
    HeldBefore before{0, 0};
    // Above every range: nothing held before (the way of a file written in address order).
    if (!held.highest || held.ranges[held.highest].end <= start) {
        if (start < end) HoldFree(held, start, end, line);
        return before;
    }
    for (uint64_t at = start; at < end;) {
        int32_t next = FirstEndingAbove(held, at);
        uint64_t taken = next ? held.ranges[next].start : end;
        if (taken >= end) {
            HoldFree(held, at, end, line);
            break;
        }
        if (taken > at)
            HoldFree(held, at, taken, line);
        else
            taken = at;
        if (!before.line) before = {taken, LineAt(held.ranges[next], taken)};
        at = held.ranges[next].end;
    }
    return before;
}

void ReleaseAddresses(HeldAddresses &held) {
    if (held.ranges) MainHeapFree(held.ranges);
    held = HeldAddresses{};
}
