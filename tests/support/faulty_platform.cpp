// SPDX-License-Identifier: MIT
// The real platform, its file calls and allocations renamed, and wrappers under their names
// that fail on demand (tests/support/faulty_platform.h); on Windows its opens reach the system
// through a wrapper too.
#define ReadPlatformFile RealReadPlatformFile
#define WritePlatformFile RealWritePlatformFile
#define WriteBehindPlatformFile RealWriteBehindPlatformFile
#define MovePlatformFile RealMovePlatformFile
#define ClosePlatformFile RealClosePlatformFile
#define AllocatePlatformBlock RealAllocatePlatformBlock
#define ResizePlatformBlock RealResizePlatformBlock
#define PlatformFileStamp RealPlatformFileStamp
#define PlatformFileSize RealPlatformFileSize
#define EndPlatformReplacement RealEndPlatformReplacement
#define BeginPlatformReplacement RealBeginPlatformReplacement
#define OpenPlatformFile RealOpenPlatformFile
#ifdef _WIN32
#include <windows.h>
HANDLE FaultyCreateFileW(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD attributes, HANDLE model);
#define CreateFileW FaultyCreateFileW
#include "runtime/platform_win32_digest.cpp"
#include "runtime/platform_win32_files.cpp"
#include "runtime/platform_win32_memory.cpp"
#include "runtime/platform_win32_replace.cpp"
#include "runtime/platform_win32_streams.cpp"
#include "runtime/platform_win32_text.cpp"
#undef CreateFileW
#else
#include "runtime/platform_posix.cpp"
#endif
#undef ReadPlatformFile
#undef WritePlatformFile
#undef WriteBehindPlatformFile
#undef MovePlatformFile
#undef ClosePlatformFile
#undef AllocatePlatformBlock
#undef ResizePlatformBlock
#undef PlatformFileStamp
#undef PlatformFileSize
#undef EndPlatformReplacement
#undef BeginPlatformReplacement
#undef OpenPlatformFile

#include "tests/support/faulty_platform.h"

#include <string>
#include <vector>

namespace faults {
namespace {

// Each kind of call has two slots that count on their own: a failure, and an action of another
// program's.
struct Armed {
    int64_t nth; // the call that fails; negative: every call; 0: none
    int64_t calls;
    uint32_t code;
    bool fired;
};
struct Action {
    int64_t at; // the call that action runs before; 0: none
    int64_t calls;
    void (*run)(void *context);
    void *context;
};
Armed armed[REPLACE + 1] = {};
Action actions[REPLACE + 1] = {};
size_t allocationSize = 0;
std::vector<std::string> openedPaths;
PlatformFile replacement = 0;

// Counts the call; true when it is to fail (its code then in *failure).
bool Failing(Call call, uint32_t *failure) {
    Action &action = actions[call];
    if (action.run && ++action.calls == action.at) action.run(action.context);
    Armed &state = armed[call];
    state.calls += 1;
    bool fails = state.nth < 0 || (state.nth > 0 && state.calls == state.nth);
    if (!fails) return false;
    state.fired = true;
    if (failure) *failure = state.code;
    return true;
}

} // namespace

void Fail(Call call, int64_t nth, uint32_t code) {
    armed[call] = Armed{nth, 0, code, false};
}

void Before(Call call, int64_t nth, void (*action)(void *context), void *context) {
    actions[call] = Action{nth, 0, action, context};
}

int64_t Calls(Call call) {
    return armed[call].calls;
}

bool Fired(Call call) {
    return armed[call].fired;
}

void OnlyAllocationsOf(size_t size) {
    allocationSize = size;
}

void Clear() {
    for (Armed &state : armed)
        state = Armed{};
    for (Action &action : actions)
        action = Action{};
    allocationSize = 0;
    openedPaths.clear();
}

const std::vector<std::string> &OpenedPaths() {
    return openedPaths;
}

intptr_t NewVersion() {
    return replacement;
}

NoChannelBuffers::NoChannelBuffers() {
    OnlyAllocationsOf(FILE_BUFFER_SIZE);
    Fail(ALLOCATE, -1);
}

} // namespace faults

int32_t ReadPlatformFile(PlatformFile file, void *destination, int32_t length, uint32_t *failure) {
    if (faults::Failing(faults::READ, failure)) return -1;
    return RealReadPlatformFile(file, destination, length, failure);
}

int32_t WritePlatformFile(PlatformFile file, const void *source, int32_t length,
                          uint32_t *failure) {
    if (faults::Failing(faults::WRITE, failure)) return -1;
    return RealWritePlatformFile(file, source, length, failure);
}

int32_t WriteBehindPlatformFile(PlatformFile file, const void *source, int32_t length,
                                int64_t pointer, uint32_t *failure) {
    if (faults::Failing(faults::WRITE, failure)) return -1;
    return RealWriteBehindPlatformFile(file, source, length, pointer, failure);
}

int64_t MovePlatformFile(PlatformFile file, int64_t distance, MoveFrom from, uint32_t *failure) {
    if (faults::Failing(faults::SEEK, failure)) return -1;
    return RealMovePlatformFile(file, distance, from, failure);
}

uint32_t ClosePlatformFile(PlatformFile file) {
    uint32_t failure = 0;
    bool fails = faults::Failing(faults::CLOSE, &failure);
    uint32_t closed = RealClosePlatformFile(file);
    return fails ? failure : closed;
}

void *AllocatePlatformBlock(PlatformHeap heap, size_t size) {
    if ((faults::allocationSize == 0 || size == faults::allocationSize) &&
        faults::Failing(faults::ALLOCATE, nullptr))
        return nullptr;
    return RealAllocatePlatformBlock(heap, size);
}

int64_t PlatformFileSize(PlatformFile file) {
    if (faults::Failing(faults::SIZE, nullptr)) return -1;
    return RealPlatformFileSize(file);
}

PlatformFile OpenPlatformFile(const char *path, Opening opening, uint32_t *failure) {
    faults::openedPaths.push_back(path ? path : "");
    return RealOpenPlatformFile(path, opening, failure);
}

PlatformFile BeginPlatformReplacement(const char *path, uint32_t *failure) {
    faults::replacement = RealBeginPlatformReplacement(path, failure);
    return faults::replacement;
}

// A failed replacement closes and removes the new file, as the real one does.
bool EndPlatformReplacement(PlatformFile file, const char *path, PlatformFile like,
                            uint32_t *failure) {
    faults::replacement = 0;
    if (faults::Failing(faults::REPLACE, failure)) {
        AbandonPlatformReplacement(file);
        return false;
    }
    return RealEndPlatformReplacement(file, path, like, failure);
}

bool PlatformFileStamp(PlatformFile file, FileStamp *stamp) {
    if (faults::Failing(faults::STAMP, nullptr)) return false;
    return RealPlatformFileStamp(file, stamp);
}

#ifdef _WIN32
HANDLE FaultyCreateFileW(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD attributes, HANDLE model) {
    uint32_t failure = 0;
    if (faults::Failing(faults::OPEN, &failure)) {
        SetLastError(failure);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, sharing, security, disposition, attributes, model);
}
#endif

void *ResizePlatformBlock(PlatformHeap heap, void *block, size_t oldSize, size_t newSize) {
    if (faults::Failing(faults::RESIZE, nullptr)) return nullptr;
    return RealResizePlatformBlock(heap, block, oldSize, newSize);
}
