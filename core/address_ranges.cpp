// SPDX-License-Identifier: MIT
#include "core/address_ranges.h"

#include "runtime/growable.h"
#include "runtime/registry.h"

#include <bit>
#include <cassert>

// A range of addresses inside one page that records of `each` bytes on consecutive lines hold,
// one after another in rising or falling order of addresses: the first record's bytes at start
// (rising) or at the end (falling). A range of one record is either.
struct AddressRange {
    uint32_t start; // in the page
    uint32_t count;
    int64_t line; // of the first record
    uint32_t each;
    bool falling;
};

struct AddressPage {
    uint32_t *bits;       // owned, main heap, made once the page has FEW ranges: an address is
                          // held when its bit is set
    AddressRange *ranges; // owned, main heap: in line order
    int32_t count, capacity;
};

namespace {

constexpr int32_t PAGES = (0x100000000 + 0x10000) >> 16; // (the highest address is below that)
constexpr int32_t TABLES = (PAGES + 255) / 256;          // of 256 pages each
// A page with fewer ranges is looked at range by range, as a file in address order has it.
constexpr int32_t FEW = 8;

int64_t LineAt(const AddressRange &range, uint32_t offset) {
    uint32_t from = range.falling ? range.start + range.count - 1 - offset : offset - range.start;
    return range.line + from / range.each;
}

// The bits [from, to) of a page: mask of the bits of word w among them. (Words of 32 bits, which
// both programs handle in one register.)
uint32_t Mask(uint32_t from, uint32_t to, uint32_t w) {
    uint32_t low = w == from / 32 ? ~uint32_t{0} << (from % 32) : ~uint32_t{0};
    uint32_t high = w == (to - 1) / 32 && to % 32 ? ~uint32_t{0} >> (32 - to % 32) : ~uint32_t{0};
    return low & high;
}

// The lowest held address in [from, to) of a page, or -1; then every one of them held.
int32_t HoldBits(AddressPage &page, uint32_t from, uint32_t to) {
    if (!page.bits && page.count < FEW) { // its ranges hold it, the new one added after this
        int32_t first = -1;
        for (int32_t i = 0; i < page.count; ++i) {
            const AddressRange &range = page.ranges[i];
            uint32_t low = from > range.start ? from : range.start;
            if (low < to && low < range.start + range.count &&
                (first < 0 || low < static_cast<uint32_t>(first)))
                first = static_cast<int32_t>(low);
        }
        return first;
    }
    if (!page.bits) { // its ranges' addresses as bits, from now on
        page.bits = static_cast<uint32_t *>(MainHeapAlloc(65536 / 8));
        for (int32_t i = 0; i < page.count; ++i)
            HoldBits(page, page.ranges[i].start, page.ranges[i].start + page.ranges[i].count);
    }
    int32_t first = -1;
    for (uint32_t w = from / 32; w <= (to - 1) / 32; ++w) {
        uint32_t mask = Mask(from, to, w);
        if (uint32_t held = page.bits[w] & mask; held && first < 0)
            first = static_cast<int32_t>(w * 32) + std::countr_zero(held);
        page.bits[w] |= mask;
    }
    return first;
}

// The line of the first record that holds an offset of a page that some record holds.
int64_t HolderAt(const AddressPage &page, uint32_t offset) {
    for (int32_t i = 0; i < page.count; ++i) {
        const AddressRange &range = page.ranges[i];
        if (offset - range.start < range.count) return LineAt(range, offset);
    }
    assert(false); // every held address is in a range
    return 0;
}

// Notes a record's part [from, from + count) of a page: it extends the range noted last when that
// one's records are of its size and end on the line before, right below or above it.
void AddRange(HeldAddresses &held, AddressPage &page, uint32_t from, uint32_t count, int64_t line) {
    if (AddressRange *last = page.count ? &page.ranges[page.count - 1] : nullptr;
        last && last->each == count && last->line + last->count / count == line) {
        bool single = last->count == count;
        bool above = from == last->start + last->count && (single || !last->falling);
        bool below = from + count == last->start && (single || last->falling);
        if (above || below) {
            last->falling = below;
            if (below) last->start = from;
            last->count += count;
            return;
        }
    }
    ReserveRoom(page.ranges, page.capacity, page.count, page.count + 1);
    page.ranges[page.count++] = {from, count, line, count, false};
    held.count += 1;
}

} // namespace

HeldBefore HoldAddresses(HeldAddresses &held, uint64_t start, uint64_t end, int64_t line) {
    assert(start <= end && end <= uint64_t{PAGES} << 16);
    HeldBefore before{0, 0};
    if (start == end) return before;
    if (!held.tables)
        held.tables = static_cast<AddressPage ***>(
            MainHeapAlloc(static_cast<size_t>(TABLES) * sizeof(AddressPage **)));
    for (uint64_t at = start; at < end;) {
        uint64_t number = at >> 16, pageEnd = (number + 1) << 16;
        uint64_t to = end < pageEnd ? end : pageEnd;
        AddressPage **&table = held.tables[number >> 8];
        if (!table) table = static_cast<AddressPage **>(MainHeapAlloc(256 * sizeof(AddressPage *)));
        AddressPage *&page = table[number & 255];
        if (!page) page = static_cast<AddressPage *>(MainHeapAlloc(sizeof(AddressPage)));
        auto from = static_cast<uint32_t>(at & 0xFFFF), count = static_cast<uint32_t>(to - at);
        if (int32_t first = HoldBits(*page, from, from + count); first >= 0 && !before.line)
            before = {(number << 16) + static_cast<uint64_t>(first),
                      HolderAt(*page, static_cast<uint32_t>(first))};
        AddRange(held, *page, from, count, line);
        at = to;
    }
    return before;
}

void ReleaseAddresses(HeldAddresses &held) {
    for (int32_t t = 0; held.tables && t < TABLES; ++t) {
        for (int32_t i = 0; held.tables[t] && i < 256; ++i)
            if (AddressPage *page = held.tables[t][i]) {
                if (page->bits) MainHeapFree(page->bits);
                if (page->ranges) MainHeapFree(page->ranges);
                MainHeapFree(page);
            }
        if (held.tables[t]) MainHeapFree(held.tables[t]);
    }
    if (held.tables) MainHeapFree(held.tables);
    held = HeldAddresses{};
}
