// SPDX-License-Identifier: MIT
/*
 * What the pieces of the platform layer on Windows share (runtime/platform_win32_*.cpp): blocks
 * from the process heap for the layer's own use (null when out of memory; ProcessFree takes
 * null), a file's handle, the code of the last call that failed, and paths in UTF-16.
 */
#pragma once

#include "runtime/platform.h"

#include <windows.h>

void *ProcessAlloc(size_t size);
void ProcessFree(void *block);
HANDLE HandleOf(PlatformFile file);
uint32_t LastFailure();

// A path in UTF-16 for the file calls, in a process-heap block that it frees, as it was given;
// Lengthen makes it, when its absolute form (GetFullPathNameW) is MAX_PATH characters or longer,
// that with the prefix \\?\ (or \\?\UNC\ for a share), which lifts the limit, and with absolute
// set the absolute form in any case (for calls that take a relative path's folder as none).
// Null when out of memory.
class PathName {
  public:
    explicit PathName(const char *path);
    PathName(const PathName &) = delete;
    PathName &operator=(const PathName &) = delete;
    ~PathName() { ProcessFree(text_); }
    const wchar_t *Get() const { return text_; }
    int32_t Length() const { return length_; }
    void Lengthen(bool absolute = false);

  private:
    wchar_t *text_ = nullptr; // owned, process heap
    int32_t length_ = 0;
};
