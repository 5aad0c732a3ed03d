// SPDX-License-Identifier: MIT
/*
 * HeapSort orders count elements in place by before(a, b) (a strict order): n log n steps for
 * any order, no memory beyond the elements, nothing that fails.
 */
#pragma once

#include <cstdint>

namespace heap_sort {

template <typename T> void Swap(T &a, T &b) {
    T moved = a;
    a = b;
    b = moved;
}

template <typename T, typename Before>
void SiftDown(T *items, int64_t at, int64_t count, Before before) {
    for (int64_t child; (child = 2 * at + 1) < count; at = child) {
        if (child + 1 < count && before(items[child], items[child + 1])) ++child;
        if (!before(items[at], items[child])) return;
        Swap(items[at], items[child]);
    }
}

} // namespace heap_sort

template <typename T, typename Before> void HeapSort(T *items, int64_t count, Before before) {
    for (int64_t at = count / 2; at-- > 0;)
        heap_sort::SiftDown(items, at, count, before);
    for (int64_t end = count; end-- > 1;) {
        heap_sort::Swap(items[0], items[end]);
        heap_sort::SiftDown(items, 0, end, before);
    }
}
