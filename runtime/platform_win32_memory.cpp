// SPDX-License-Identifier: MIT
// The platform layer on Windows, its memory: the heaps, the process heap for the layer's own
// blocks, and the end of the process.
#include "runtime/platform.h"
#include "runtime/platform_win32.h"

#include <windows.h>

PlatformHeap CreatePlatformHeap(size_t initialSize) {
    return HeapCreate(0, initialSize, 0);
}

void DestroyPlatformHeap(PlatformHeap heap) {
    if (heap) HeapDestroy(heap);
}

void *AllocatePlatformBlock(PlatformHeap heap, size_t size) {
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
}

void *ResizePlatformBlock(PlatformHeap heap, void *block, size_t, size_t newSize) {
    if (!block) return HeapAlloc(heap, HEAP_ZERO_MEMORY, newSize);
    return HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, newSize);
}

void FreePlatformBlock(PlatformHeap heap, void *block) {
    if (block) HeapFree(heap, 0, block);
}

void EndProcess(uint32_t exitCode) {
    ExitProcess(exitCode);
}

void *ProcessAlloc(size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void ProcessFree(void *block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
