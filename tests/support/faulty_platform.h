// SPDX-License-Identifier: MIT
/*
 * The platform the tests link in place of the product's: the real one (runtime/platform_*.cpp,
 * compiled into it whole), with failures on demand at its boundary, so that no product object
 * carries a hook for them.
 *
 * Fail(call, nth, code) makes the nth call of that kind from now fail with code, as the system
 * would report it: a read, write (also a write behind) or seek gives -1, an allocation or a
 * resize null, a close the code (the file is closed all the same), a stamp or a replace false; on
 * Windows an open (each CreateFileW the platform makes; POSIX opens are not counted)
 * INVALID_HANDLE_VALUE. A negative nth fails every such call until the next Fail or Clear; 0 fails
 * none but counts them. Calls(call) counts the calls of that kind since its last Fail; Fired(call)
 * tells whether the armed failure happened. Allocations count only blocks of the size given to
 * OnlyAllocationsOf (0: every size). Before(call, nth, action) runs action right before the nth
 * call of that kind from now, as another program would act in between; it counts on its own, so a
 * failure and an action of the same kind combine.
 *
 * OpenedPaths lists the paths the platform was asked to open since the last Clear (both
 * platforms); NewVersion is the file of the new version of a file under way
 * (BeginPlatformReplacement), 0 when none is.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace faults {

enum Call { READ, WRITE, SEEK, ALLOCATE, CLOSE, STAMP, OPEN, RESIZE, SIZE, REPLACE };

void Fail(Call call, int64_t nth, uint32_t code = 1);
int64_t Calls(Call call);
bool Fired(Call call);
void OnlyAllocationsOf(size_t size);
void Before(Call call, int64_t nth, void (*action)(void *context), void *context);
void Clear();
const std::vector<std::string> &OpenedPaths();
intptr_t NewVersion();

// Clears every fault when it ends.
struct Scope {
    Scope() = default;
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
    ~Scope() { Clear(); }
};

// Channels opened while it lives get no buffer (its allocation fails) and work unbuffered.
struct NoChannelBuffers : Scope {
    NoChannelBuffers();
};

} // namespace faults
