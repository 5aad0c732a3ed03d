// SPDX-License-Identifier: MIT
/*
 * The one growable array of the program: ReserveRoom makes a block of the main heap
 * (runtime/registry.h) hold at least `needed` elements, its capacity doubling from `first`, the
 * first `used` elements kept. A shortage ends the process, as every main-heap allocation does.
 * (Counts of what is in memory may be 32 bits in the 32-bit program, whose last doubling fails
 * to allocate before it could overflow.)
 */
#pragma once

#include "runtime/registry.h"

#include <cstddef>
#include <cstdint>

template <typename T, typename Count>
void ReserveRoom(T *&block, Count &capacity, Count used, Count needed, Count first = 4) {
    if (needed <= capacity) return;
    int64_t grown = capacity ? capacity : first;
    while (grown < needed)
        grown *= 2;
    block = static_cast<T *>(MainHeapMove(block, static_cast<size_t>(used) * sizeof(T),
                                          static_cast<size_t>(grown) * sizeof(T)));
    capacity = static_cast<Count>(grown);
}
