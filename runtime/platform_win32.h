// SPDX-License-Identifier: MIT
/*
 * What the pieces of the platform layer on Windows share (runtime/platform_win32_*.cpp): blocks
 * from the process heap for the layer's own use (null when out of memory; ProcessFree takes
 * null), a file's handle, and the code of the last call that failed.
 */
#pragma once

#include "runtime/platform.h"

#include <windows.h>

void *ProcessAlloc(size_t size);
void ProcessFree(void *block);
HANDLE HandleOf(PlatformFile file);
uint32_t LastFailure();
