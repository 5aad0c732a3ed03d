// SPDX-License-Identifier: MIT
#include "core/address_ranges.h"

#include "runtime/registry.h"

#include <cstring>

// A range of addresses that records of equal size on consecutive lines hold, one after another
// in rising or falling order of addresses: the size bytes at start (rising) or at end (falling)
// are on line, the next size bytes on line + 1, and so on. A range of one record is either.
struct AddressRange {
    uint64_t start, end; // [start, end), end - start a multiple of size
    int64_t line;
    uint64_t size;
    uint32_t priority;   // a heap order over the tree that keeps it balanced, by chance
    int32_t left, right; // the ranges below and above, 0: none
    bool falling;
};

namespace {

int64_t LineAt(const AddressRange &range, uint64_t address) {
    uint64_t from = range.falling ? range.end - 1 - address : address - range.start;
    return range.line + static_cast<int64_t>(from / range.size);
}

int64_t LastLine(const AddressRange &range) {
    return range.line + static_cast<int64_t>((range.end - range.start) / range.size) - 1;
}

// The range with the lowest addresses of those that end above address; 0 when none does.
int32_t FirstEndingAbove(const HeldAddresses &held, uint64_t address) {
    int32_t found = 0;
    for (int32_t at = held.root; at;) {
        const AddressRange &range = held.ranges[at];
        if (range.end > address) {
            found = at;
            at = range.left;
        } else {
            at = range.right;
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
            at = range.right;
        } else {
            at = range.left;
        }
    }
    return found;
}

// A range's priority: its number, its bits mixed (as in MurmurHash3's finaliser) so that any
// order of insertion gives a tree of about logarithmic depth.
uint32_t Scrambled(uint32_t number) {
    number ^= number >> 16;
    number *= 0x85EBCA6Bu;
    number ^= number >> 13;
    number *= 0xC2B2AE35u;
    return number ^ number >> 16;
}

// Puts range `added` into the tree under root, by its start, and lifts it by its priority.
int32_t Insert(AddressRange *ranges, int32_t root, int32_t added) {
    if (!root) return added;
    AddressRange &top = ranges[root];
    bool below = ranges[added].start < top.start;
    int32_t &side = below ? top.left : top.right;
    side = Insert(ranges, side, added);
    AddressRange &child = ranges[side];
    if (child.priority <= top.priority) return root;
    int32_t lifted = side;
    side = below ? child.right : child.left;
    (below ? child.right : child.left) = root;
    return lifted;
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
        int32_t capacity = held.capacity ? 2 * held.capacity : 64;
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
    held.ranges[added] = {start, end, line, size, Scrambled(static_cast<uint32_t>(added)),
                          0,     0,   false};
    held.root = Insert(held.ranges, held.root, added);
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
