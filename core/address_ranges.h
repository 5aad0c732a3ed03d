// SPDX-License-Identifier: MIT
/*
 * The addresses that the data records of a file hold, and on which lines: sorted ranges, each
 * merged with its neighbours where that keeps the lines known.
 *
 * HoldAddresses takes the addresses [start, end) of the record on line `line`, the lines coming
 * in rising order. Addresses that an earlier record holds stay with it; the others are held for
 * this line. It returns the lowest of the addresses that were held already and the line that
 * holds it; line 0 when there was none. A record that continues a range, one line after that
 * range's last record, with the same number of bytes and next to it in addresses (above it or
 * below it), extends the range instead of adding one, so that a file written in address order
 * takes one range for each stretch of data records on consecutive lines; lookups take about
 * log2(ranges) steps, and none where the record lies above every range.
 *
 * Ranges live on the main heap (runtime/registry.h): a shortage ends the process (exit code 3).
 * ReleaseAddresses frees them and leaves the set empty. A zero-filled HeldAddresses is empty.
 */
#pragma once

#include <cstdint>

struct AddressRange;

struct HeldAddresses {
    AddressRange *ranges; // owned, main heap; freed by ReleaseAddresses; ranges[0] is unused
    int32_t count;        // ranges[1] to ranges[count] are in use
    int32_t capacity;
    int32_t root;    // of a binary search tree by start, balanced (AVL); 0: none
    int32_t highest; // the range of the highest addresses; 0: none
};

struct HeldBefore {
    uint64_t address;
    int64_t line; // 0: no address was held before
};

HeldBefore HoldAddresses(HeldAddresses &held, uint64_t start, uint64_t end, int64_t line);
void ReleaseAddresses(HeldAddresses &held);
