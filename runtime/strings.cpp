// SPDX-License-Identifier: MIT
#include "runtime/strings.h"

#include "runtime/platform.h"
#include "runtime/registry.h"

#include <cstring>

namespace {

PlatformHeap stringHeap = nullptr; // owned; lives as long as the process
char *workspace = nullptr;         // owned by stringHeap; moves when it grows
int32_t capacity = 0;
int32_t position = 0;

// The largest capacity the workspace may take: positions and lengths are 32-bit signed.
constexpr int64_t MAX_CAPACITY = INT32_MAX - 16;

[[noreturn]] void OutOfStringMemory() {
    EndProcess(OUT_OF_MEMORY_EXIT);
}

// Texts need no zero-filling: every byte that is read has been written.
void *HeapResize(void *block, size_t size) {
    void *result = ResizePlatformBlock(stringHeap, block, size, size);
    if (!result) OutOfStringMemory();
    return result;
}

// An argument that lies in the live workspace has to be found again after a reservation,
// which may move the block. Returns its offset, or -1 when it lies elsewhere.
int32_t WorkspaceOffsetOf(const char *s) {
    if (!s || !workspace || s < workspace || s > workspace + position) return -1;
    return static_cast<int32_t>(s - workspace);
}

const char *Relocated(const char *s, int32_t offset) {
    return offset >= 0 ? workspace + offset : s;
}

// Length of s from 1-based position start on (a start below 1 counts as 1).
int32_t AvailableFrom(const char *s, int32_t start, int32_t &skip) {
    int32_t length = StringLength(s);
    skip = start > 1 ? start - 1 : 0;
    if (skip > length) skip = length;
    return length - skip;
}

} // namespace

void InitStrings() {
    if (stringHeap) return;
    stringHeap = CreatePlatformHeap(4096);
    if (!stringHeap) OutOfStringMemory();
    capacity = 16;
    position = 0;
    workspace = static_cast<char *>(HeapResize(nullptr, 16));
    workspace[0] = 0;
}

int32_t StringLength(const char *s) {
    if (!s) return 0;
    size_t length = std::strlen(s);
    return length > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(length);
}

char *ReserveResult(int32_t count, int32_t resultStart) {
    if (count < 0) count = 0;
    if (resultStart < 0) resultStart = 0;
    // The growth test measures from the position before the call; a result start beyond it
    // (never passed by this system) is measured from the result start instead.
    int64_t base = resultStart > position ? resultStart : position;
    if (base + count >= static_cast<int64_t>(capacity) - 4) {
        int64_t grown = base + count + 16384;
        if (grown > MAX_CAPACITY) OutOfStringMemory();
        capacity = static_cast<int32_t>(grown);
        workspace = static_cast<char *>(HeapResize(workspace, static_cast<size_t>(capacity) + 5));
    }
    position = resultStart + count;
    return workspace + resultStart;
}

void GiveBackResult(int32_t count) {
    position -= count;
    if (position < 0) position = 0;
}

int32_t WorkspacePosition() {
    return position;
}

void SetWorkspacePosition(int32_t newPosition) {
    if (newPosition >= 0 && newPosition <= capacity) position = newPosition;
}

int32_t WorkspaceCapacity() {
    return capacity;
}

char *WorkspaceAt(int32_t offset) {
    return workspace + offset;
}

char *Substring(const char *s, int32_t start, int32_t count, int32_t resultStart) {
    if (count < 0) count = 0;
    int32_t skip = 0;
    int32_t available = AvailableFrom(s, start, skip);
    if (count > available) count = available; // reserve only what can be copied
    int32_t offset = WorkspaceOffsetOf(s);
    char *result = ReserveResult(count, resultStart);
    s = Relocated(s, offset);
    if (count > 0) std::memmove(result, s + skip, static_cast<size_t>(count));
    result[count] = 0;
    return result;
}

char *LeftPart(const char *s, int32_t count, int32_t resultStart) {
    return Substring(s, 1, count, resultStart);
}

char *HexText(uint32_t value, int32_t resultStart) {
    char *result = ReserveResult(8, resultStart);
    int32_t length = 0;
    for (int shift = 28; shift >= 0; shift -= 4) {
        uint32_t group = (value >> shift) & 15u;
        if (length == 0 && group == 0 && shift != 0) continue;
        result[length++] = HEX_DIGITS[group];
    }
    result[length] = 0;
    GiveBackResult(8 - length);
    return result;
}

// Written from its last digit back, two digits at a time from a table of the hundred pairs.
int32_t FormatDecimal(int64_t value, char *out) {
    static constexpr char PAIRS[] = "00010203040506070809101112131415161718192021222324252627282930"
                                    "31323334353637383940414243444546474849505152535455565758596061"
                                    "62636465666768697071727374757677787980818283848586878889909192"
                                    "93949596979899";
    // Work on the magnitude as unsigned, so that the lowest value needs no special digits.
    uint64_t magnitude =
        value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    int32_t length = value < 0 ? 2 : 1;
    for (uint64_t power = 10; magnitude >= power; power *= 10) {
        ++length;
        if (power > UINT64_MAX / 10) break; // 20 digits
    }
    out[0] = '-';
    out[length] = 0;
    char *at = out + length;
    // A hundredth by multiplication where the number fits in 32 bits (a line number, a count):
    // exact for every such number, and no division even where this code is made small.
    while (magnitude >= 100) {
        uint64_t rest =
            magnitude < (uint64_t{1} << 32) ? (magnitude * 0x51EB851Fu) >> 37 : magnitude / 100u;
        auto pair = static_cast<uint32_t>(magnitude - rest * 100u);
        magnitude = rest;
        at -= 2;
        at[0] = PAIRS[2 * pair];
        at[1] = PAIRS[2 * pair + 1];
    }
    if (magnitude >= 10) {
        at[-2] = PAIRS[2 * magnitude];
        at[-1] = PAIRS[2 * magnitude + 1];
    } else {
        at[-1] = static_cast<char>('0' + magnitude);
    }
    return length;
}

char *DecimalText(int32_t value, int32_t resultStart) {
    char *result = ReserveResult(DECIMAL_TEXT_SIZE, resultStart);
    GiveBackResult(DECIMAL_TEXT_SIZE - FormatDecimal(value, result));
    return result;
}

char *RightAlign(const char *s, int32_t width, const char *fill, int32_t resultStart) {
    if (width < 0) width = 0;
    int32_t length = StringLength(s);
    int32_t kept = length < width ? length : width;
    int32_t fills = width - kept;
    int32_t offset = WorkspaceOffsetOf(s);
    char *result = ReserveResult(width, resultStart);
    s = Relocated(s, offset);
    if (kept > 0) std::memmove(result + fills, s, static_cast<size_t>(kept));
    char fillChar = fill ? fill[0] : ' ';
    if (fills > 0) std::memset(result, fillChar, static_cast<size_t>(fills));
    result[width] = 0;
    return result;
}

void AppendString(const char *s) {
    if (!s) {
        ReserveResult(0, position)[0] = 0;
        return;
    }
    int32_t length = StringLength(s);
    int32_t offset = WorkspaceOffsetOf(s);
    char *destination = ReserveResult(length, position);
    s = Relocated(s, offset);
    std::memmove(destination, s, static_cast<size_t>(length));
    destination[length] = 0;
}

int32_t StringsEqual(const char *a, const char *b) {
    return std::strcmp(a ? a : "", b ? b : "") == 0 ? 1 : 0;
}

void AssignFromWorkspace(StringVar &variable, int32_t resultStart) {
    int32_t length = position - resultStart;
    if (length < 0) length = 0;
    variable.block =
        static_cast<char *>(HeapResize(variable.block, static_cast<size_t>(length) + 5));
    std::memcpy(variable.block, workspace + resultStart, static_cast<size_t>(length));
    variable.block[length] = 0;
    position = resultStart;
}

void AssignString(StringVar &variable, const char *s) {
    if (!s) {
        FreeString(variable);
        return;
    }
    // A fresh block first, so that s may be the variable's own text.
    int32_t length = StringLength(s);
    char *block = static_cast<char *>(HeapResize(nullptr, static_cast<size_t>(length) + 5));
    std::memcpy(block, s, static_cast<size_t>(length));
    block[length] = 0;
    FreeString(variable);
    variable.block = block;
}

void CopyStringInto(StringVar &variable, const char *s) {
    AssignString(variable, s);
}

void FreeString(StringVar &variable) {
    FreePlatformBlock(stringHeap, variable.block);
    variable.block = nullptr;
}
