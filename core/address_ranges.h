// SPDX-License-Identifier: MIT
/*
 * The addresses that the data records of a file hold, and on which lines, for records in any
 * order.
 *
 * HoldAddresses takes the addresses [start, end) of the record on line `line` (below 2^32 + 2^16),
 * the lines coming in rising order. Addresses that an earlier record holds stay with it; the
 * others are held for this line. It returns the lowest of the addresses that were held already
 * and the line that holds it; line 0 when there was none. Each 64 KiB of addresses keeps the
 * records that hold its addresses in line order, as ranges: a record that continues the one
 * before it, on the next line, with the same number of bytes and next to it in addresses (above
 * it or below it), extends its range, so that a file written in address order takes one range
 * for each 64 KiB. A page of more than a few ranges also has a bit for each address (8 KiB), so
 * that a record costs the same in any order.
 *
 * Memory comes from the main heap (runtime/registry.h): a shortage ends the process (exit code 3).
 * ReleaseAddresses frees it and leaves the set empty. A zero-filled HeldAddresses is empty.
 */
#pragma once

#include <cstdint>

struct AddressPage;

struct HeldAddresses {
    AddressPage ***tables; // owned, main heap: tables of 256 pages of 64 KiB of addresses each,
                           // each table and page made on first use
    int64_t count;         // ranges in all
};

struct HeldBefore {
    uint64_t address;
    int64_t line; // 0: no address was held before
};

HeldBefore HoldAddresses(HeldAddresses &held, uint64_t start, uint64_t end, int64_t line);
void ReleaseAddresses(HeldAddresses &held);
