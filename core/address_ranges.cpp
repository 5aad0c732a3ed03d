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

// Where an address stands among the ranges: the range with the highest start below it and the
// one with the lowest start at or above it (0: none), and the path down the tree to there, for
// an insert. An AVL tree of fewer than 2^31 ranges is less than 46 levels deep.
struct Place {
    int32_t below, above;
    int32_t depth; // -1: the path is not known yet
    int32_t path[48];
};

void Locate(const HeldAddresses &held, uint64_t address, Place &place) {
    place.below = place.above = place.depth = 0;
    for (int32_t at = held.root; at && place.depth < 48;) {
        place.path[place.depth++] = at;
        bool higher = held.ranges[at].start < address;
        (higher ? place.below : place.above) = at;
        at = held.ranges[at].child[higher];
    }
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

// Puts range `added` into the tree where place leads: back up the path, rebalancing, until a
// subtree keeps its top and its height (nothing above it changes then).
void Insert(HeldAddresses &held, int32_t added, const Place &place) {
    AddressRange *ranges = held.ranges;
    int32_t top = added;
    for (int32_t depth = place.depth; depth--;) {
        int32_t at = place.path[depth];
        uint64_t height = ranges[at].height;
        ranges[at].child[ranges[added].start > ranges[at].start] = top;
        top = Rebalance(ranges, at);
        if (top == at && ranges[at].height == height) return;
    }
    held.root = top;
}

// Holds [start, end) for line, where no address is held yet, place being start's: as part of a
// range next to it, or as a range of its own.
void HoldFree(HeldAddresses &held, uint64_t start, uint64_t end, int64_t line, Place &place) {
    uint64_t size = end - start;
    if (place.below) {
        AddressRange &range = held.ranges[place.below];
        if (range.end == start && range.size == size && !range.falling &&
            LastLine(range) == line - 1) {
            range.end = end;
            return;
        }
    }
    if (place.above) {
        AddressRange &range = held.ranges[place.above];
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
    if (place.depth < 0) Locate(held, start, place);
    Insert(held, added, place);
    if (!held.highest || start > held.ranges[held.highest].start) held.highest = added;
}

} // namespace

// One descent of the tree for each stretch of the record, held or free; none where the record
// lies above every range (the way of a file written in address order) and continues the highest.
HeldBefore HoldAddresses(HeldAddresses &held, uint64_t start, uint64_t end, int64_t line) {
    HeldBefore before{0, 0};
    for (uint64_t at = start; at < end;) {
        Place place{held.highest, 0, -1, {}};
        if (held.highest && held.ranges[held.highest].end > at) Locate(held, at, place);
        const AddressRange *ranges = held.ranges;
        int32_t next = place.below && ranges[place.below].end > at ? place.below : place.above;
        uint64_t taken = next && ranges[next].start > at ? ranges[next].start : at;
        if (!next || taken > at) HoldFree(held, at, next && taken < end ? taken : end, line, place);
        if (!next || taken >= end) break;
        if (!before.line) before = {taken, LineAt(held.ranges[next], taken)};
        at = held.ranges[next].end;
    }
    return before;
}

void ReleaseAddresses(HeldAddresses &held) {
    if (held.ranges) MainHeapFree(held.ranges);
    held = HeldAddresses{};
}
