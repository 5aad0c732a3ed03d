#include "core/patcher.h"

#include "core/record.h"
#include "runtime/file_channels.h"

#include <bit>

#include <emmintrin.h>

// SSE2 is part of every x64 processor; the 32-bit build enables it for the line-end scan alone.
#if defined(__GNUC__) && defined(__i386__)
#define SSE2_FUNCTION __attribute__((target("sse2")))
#else
#define SSE2_FUNCTION
#endif

namespace {

constexpr int32_t PATCH_CHANNEL = 1;

enum Outcome { NO_RECORD, RECORD_RIGHT, RECORD_PATCHED };

// Puts the right checksum digits into a well-formed record line (its text, without the line
// end) where they differ from the ones written.
Outcome PatchRecord(char *line, int64_t length) {
    uint8_t sum = 0;
    if (ClassifyRecord(line, length, &sum) != RECORD_WITH_CHECKSUM) return NO_RECORD;
    char digits[2];
    ChecksumDigits(sum, digits);
    if (digits[0] == line[length - 2] && digits[1] == line[length - 1]) return RECORD_RIGHT;
    line[length - 2] = digits[0];
    line[length - 1] = digits[1];
    return RECORD_PATCHED;
}

// Bit n set when byte n of the sixteen at bytes is a line-end byte (CR, LF or zero).
SSE2_FUNCTION unsigned LineEndBits(const char *bytes) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    const __m128i cr = _mm_cmpeq_epi8(block, _mm_set1_epi8('\r'));
    const __m128i lf = _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'));
    const __m128i zero = _mm_cmpeq_epi8(block, _mm_setzero_si128());
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(cr, lf), zero)));
}

// Offset of the first line-end byte in bytes[from, length), or length. Sixteen bytes at a time;
// what is left at the end is looked at among the range's last sixteen bytes, so that nothing
// outside the range is read.
SSE2_FUNCTION int32_t FindLineEnd(const char *bytes, int32_t from, int32_t length) {
    int32_t at = from;
    for (; at + 16 <= length; at += 16)
        if (unsigned bits = LineEndBits(bytes + at)) return at + std::countr_zero(bits);
    if (at == length) return length;
    if (length >= 16) {
        unsigned bits = LineEndBits(bytes + length - 16) >> (at - (length - 16));
        return bits ? at + std::countr_zero(bits) : length;
    }
    for (; at < length; ++at)
        if (bytes[at] == '\r' || bytes[at] == '\n' || bytes[at] == 0) return at;
    return length;
}

// The walk in the channel's own buffer. Each window holds whole lines up to the last line end
// read; the start of a line that goes on in the file is kept for the next window, unless it is
// already too long for a record, which it then is not. Checksums are changed in the window, and
// the channel writes the changed stretch back once per window. A last record without a line end
// gets CR LF. False when the channel has no buffer (nothing was read then).
bool PatchInWindows() {
    int32_t consumed = 0, length = 0, added = 0;
    bool inLongLine = false; // the window starts inside a line too long for a record
    bool lastRecordOpen = false;
    for (;;) {
        char *window = ReadChannelWindow(PATCH_CHANNEL, consumed, &length, &added);
        if (!window) return false;
        bool atEnd = added == 0;
        int32_t firstChange = length;
        int32_t start = 0;
        for (;;) {
            int32_t end = FindLineEnd(window, start, length);
            if (end == length && !atEnd) break; // the line goes on in the file
            if (inLongLine) {
                inLongLine = false;
            } else if (Outcome outcome = PatchRecord(window + start, end - start)) {
                if (outcome == RECORD_PATCHED && end - 2 < firstChange) firstChange = end - 2;
                lastRecordOpen = end == length;
            }
            if (end == length) break;
            start = end + 1;
        }
        if (firstChange < length) MarkChannelWindow(PATCH_CHANNEL, firstChange);
        if (atEnd) break;
        if (inLongLine || length - start > LONGEST_RECORD) {
            inLongLine = true;
            start = length;
        }
        consumed = start;
    }
    if (lastRecordOpen) WriteChannelBytes(PATCH_CHANNEL, "\r\n", 2); // at the end of the file
    return true;
}

// The walk of a channel without a buffer, a line at a time: each changed checksum is written
// with a seek there and back. A last record without a line end gets CR LF.
void PatchLineByLine() {
    constexpr int32_t LINE_ROOM = LONGEST_RECORD + 2; // a record and its line end
    char line[LINE_ROOM];
    int64_t position = 0;
    int64_t length = 0;
    int32_t terminator = 0;
    while (ReadChannelLineBytes(PATCH_CHANNEL, line, LINE_ROOM, &length, &terminator)) {
        int64_t next = position + length + terminator;
        Outcome outcome = length <= LONGEST_RECORD ? PatchRecord(line, length) : NO_RECORD;
        if (outcome == RECORD_PATCHED || (outcome == RECORD_RIGHT && terminator == 0)) {
            SeekChannel(PATCH_CHANNEL, position + length - 2);
            WriteChannelBytes(PATCH_CHANNEL, line + length - 2, 2);
            if (terminator == 0) WriteChannelBytes(PATCH_CHANNEL, "\r\n", 2);
            SeekChannel(PATCH_CHANNEL, next);
        }
        position = next;
    }
}

} // namespace

int32_t PatchFileInPlace(const char *path) {
    if (!path || !path[0]) return 0;
    if (!OpenChannelUpdate(PATCH_CHANNEL, path)) return 0;
    if (!PatchInWindows()) PatchLineByLine();
    CloseChannel(PATCH_CHANNEL);
    return 1;
}
