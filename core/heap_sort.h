// SPDX-License-Identifier: MIT
/*
 * HeapSort orders count elements in place by before(a, b) (a strict order): n log n steps for
 * any order, no memory beyond the elements, nothing that fails. One sort serves every element
 * type (SortBytes, on elements of size bytes); the template only tells it the type.
 */
#pragma once

#include <cstddef>
#include <cstdint>

namespace heap_sort {

template <typename T> void Swap(T &a, T &b) {
    T moved = a;
    a = b;
    b = moved;
}

// Whether element a comes before element b, by the order that `order` points to.
using Compare = bool (*)(const void *order, const void *a, const void *b);

void SortBytes(void *items, ptrdiff_t count, size_t size, Compare compare, const void *order);

} // namespace heap_sort

template <typename T, typename Before> void HeapSort(T *items, ptrdiff_t count, Before before) {
    heap_sort::SortBytes(
        items, count, sizeof(T),
        [](const void *order, const void *a, const void *b) -> bool {
            return (*static_cast<const Before *>(order))(*static_cast<const T *>(a),
                                                         *static_cast<const T *>(b));
        },
        &before);
}
