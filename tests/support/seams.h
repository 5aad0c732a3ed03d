/*
 * Test seams of the product code, defined there and declared only here, so that no product
 * header carries them.
 *
 * mainHeapShortForTesting: while true, every main-heap request that has a way on without the
 * memory (MainHeapTryAlloc: a channel's buffer, a queued event, the file dialog's blocks) finds
 * no room; the requests that end the process when they fail are not affected.
 *
 * BrushReferences: how many controls share the cached background brush; 0 when the control
 * library's brush cache holds no such brush.
 *
 * failingReadForTesting, failingWriteForTesting: while one is set, it counts the file channels'
 * ReadFile or WriteFile calls down, and the call that brings it to 0 fails with
 * failureCodeForTesting, reading or writing nothing.
 */
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
int32_t BrushReferences(HBRUSH brush);
#endif

extern bool mainHeapShortForTesting;
extern int32_t failingReadForTesting;
extern int32_t failingWriteForTesting;
extern uint32_t failureCodeForTesting;

// Sets the seam for the lifetime of the object.
class MainHeapShortage {
  public:
    MainHeapShortage() { mainHeapShortForTesting = true; }
    MainHeapShortage(const MainHeapShortage &) = delete;
    MainHeapShortage &operator=(const MainHeapShortage &) = delete;
    ~MainHeapShortage() { mainHeapShortForTesting = false; }
};
