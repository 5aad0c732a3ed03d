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

char *AppendToWorkspace(const char *bytes, int32_t count) {
    if (count < 0) count = 0;
    int32_t offset = WorkspaceOffsetOf(bytes);
    char *result = ReserveResult(count, position);
    bytes = Relocated(bytes, offset);
    if (count > 0) std::memmove(result, bytes, static_cast<size_t>(count));
    result[count] = 0;
    return result;
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

namespace {

// A number of more than 32 bits divided by a divisor of at most 16 bits, as by hand in four
// steps of 16 bits each, so that 32-bit arithmetic does it: the 32-bit program has no 64-bit
// division of its own. Returns the remainder.
uint32_t DivideLong(uint64_t &value, uint32_t divisor) {
    uint64_t quotient = 0;
    uint32_t rest = 0;
    for (int32_t shift = 48; shift >= 0; shift -= 16) {
        uint32_t part = rest << 16 | static_cast<uint32_t>(value >> shift & 0xFFFF);
        quotient = quotient << 16 | part / divisor;
        rest = part % divisor;
    }
    value = quotient;
    return rest;
}

} // namespace

// Written from its last digit back, two digits at a time from a table of the hundred pairs, then
// moved to the front of out.
int32_t FormatUnsigned(uint64_t value, char *out) {
    static constexpr char PAIRS[] = "00010203040506070809101112131415161718192021222324252627282930"
                                    "31323334353637383940414243444546474849505152535455565758596061"
                                    "62636465666768697071727374757677787980818283848586878889909192"
                                    "93949596979899";
    char digits[20];
    char *end = digits + sizeof digits, *at = end;
    // A hundredth by multiplication where the number fits in 32 bits (a line number, a count):
    // exact for every such number, and no division even where this code is made small.
    while (value >= 100) {
        uint32_t pair = 0;
        if (value < (uint64_t{1} << 32)) {
            uint64_t rest = (value * 0x51EB851Fu) >> 37;
            pair = static_cast<uint32_t>(value - rest * 100u);
            value = rest;
        } else {
            pair = DivideLong(value, 100);
        }
        at -= 2;
        std::memcpy(at, PAIRS + 2 * pair, 2);
    }
    if (value >= 10) {
        at -= 2;
        std::memcpy(at, PAIRS + 2 * value, 2);
    } else {
        *--at = static_cast<char>('0' + value);
    }
    auto length = static_cast<int32_t>(end - at);
    std::memcpy(out, at, static_cast<size_t>(length));
    out[length] = 0;
    return length;
}

// Of the magnitude, as unsigned, so that the lowest value needs no special digits.
int32_t FormatDecimal(int64_t value, char *out) {
    if (value >= 0) return FormatUnsigned(static_cast<uint64_t>(value), out);
    out[0] = '-';
    return 1 + FormatUnsigned(0u - static_cast<uint64_t>(value), out + 1);
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

bool SameLetters(const char *a, const char *b, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        char one = a[i], other = b[i];
        if (one >= 'A' && one <= 'Z') one = static_cast<char>(one - 'A' + 'a');
        if (other >= 'A' && other <= 'Z') other = static_cast<char>(other - 'A' + 'a');
        if (one != other) return false;
    }
    return true;
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
