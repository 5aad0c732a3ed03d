// SPDX-License-Identifier: MIT
#include "core/heap_sort.h"

namespace heap_sort {

namespace {

void SwapBytes(char *a, char *b, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        char moved = a[i];
        a[i] = b[i];
        b[i] = moved;
    }
}

struct Heap {
    char *items;
    size_t size;
    Compare compare;
    const void *order;

    char *At(ptrdiff_t index) const { return items + static_cast<size_t>(index) * size; }
    bool Before(ptrdiff_t a, ptrdiff_t b) const { return compare(order, At(a), At(b)); }
};

void SiftDown(const Heap &heap, ptrdiff_t at, ptrdiff_t count) {
    for (ptrdiff_t child; (child = 2 * at + 1) < count; at = child) {
        if (child + 1 < count && heap.Before(child, child + 1)) ++child;
        if (!heap.Before(at, child)) return;
        SwapBytes(heap.At(at), heap.At(child), heap.size);
    }
}

} // namespace

void SortBytes(void *items, ptrdiff_t count, size_t size, Compare compare, const void *order) {
    const Heap heap{static_cast<char *>(items), size, compare, order};
    for (ptrdiff_t at = count / 2; at-- > 0;)
        SiftDown(heap, at, count);
    for (ptrdiff_t end = count; end-- > 1;) {
        SwapBytes(heap.At(0), heap.At(end), size);
        SiftDown(heap, 0, end);
    }
}

} // namespace heap_sort
