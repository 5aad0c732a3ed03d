// SPDX-License-Identifier: MIT
#include "core/patcher.h"

#include "core/record.h"
#include "core/record_sum.h"
#include "runtime/file_channels.h"

#include <bit>

namespace {

constexpr char UNKNOWN_END = 1;

enum Outcome { NO_RECORD, RECORD_RIGHT, RECORD_PATCHED };

// One walk over a file: its mode, where its findings go, and where it stands.
struct Walk {
    int32_t channel;
    bool patching;
    FindingSink sink; // may be null
    void *context;
    WalkTally tally;       // with the lines done and the failure that ended the walk, if one did
    int64_t line;          // the number of the line looked at next, from 1
    bool afterCR;          // the last line ended in CR: an LF right behind it ends no further line
    RecordVisitor visitor; // may be null
    void *visitorContext;
    int64_t changedFrom = 0, changedTo = 0; // of the line patched last: what to write back
    int64_t position = 0;                   // in the file, of the line looked at
    // The line end a last record without one gets when it is written: that of the line before
    // it, as the byte that ended it: LF or CR alone, else (CR LF, a zero byte, no line) CR LF.
    // UNKNOWN_END in the line-by-line walk when that line was too long to keep its lone line
    // end byte, which lies at lineEndAt in the file.
    char lineEnd = 0;
    int64_t lineEndAt = 0;
    Outcome lastOpen = NO_RECORD; // the last line looked at, a record without a line end: how it
                                  // was looked at; NO_RECORD for any other line
    // The record looked at last, as found: its text while the span holds it unchanged, else its
    // case (core/record.h).
    const char *lastRecord = nullptr;
    int32_t lastLength = 0;
    const char *lastCase = nullptr;
};

// The case of the record looked at last, as found, read from its text only when a record
// without letters needs it.
const char *CaseBefore(const Walk &walk) {
    return walk.lastRecord ? RecordCase(walk.lastRecord, walk.lastLength) : walk.lastCase;
}

void NoteRecord(Walk &walk, const char *text, int32_t length) {
    walk.lastRecord = text;
    walk.lastLength = length;
}

void NoteCase(Walk &walk, const char *digitSet) {
    walk.lastRecord = nullptr;
    walk.lastCase = digitSet;
}

// The digits a record is written in: its own case, else that of the record before.
const char *DigitsOf(const Walk &walk, const char *own) {
    return CaseDigits(own, own ? nullptr : CaseBefore(walk));
}

// Writes out what the channel still holds. Then, if no read or write has failed, the first
// linesDone lines are in the file as they should be; else the failure ends the walk.
bool Settled(Walk &walk, int64_t linesDone) {
    bool writing = false;
    uint32_t failure = ChannelFailure(walk.channel, &writing);
    if (!failure) {
        walk.tally.linesDone = linesDone;
        return true;
    }
    walk.tally.failure = failure;
    walk.tally.failedWriting = writing;
    // A failed read leaves what was written before it in place.
    if (!writing) walk.tally.linesDone = linesDone;
    return false;
}

// Hexadecimal digits of either case compare by value with bit 5 set: digits have it already.
bool SameDigit(char a, char b) {
    return (a | 0x20) == (b | 0x20);
}

void ReportMalformed(Walk &walk, int64_t length, RecordFault fault) {
    walk.tally.malformed += 1;
    if (walk.sink)
        walk.sink(walk.context, Finding{walk.line,
                                        FINDING_MALFORMED,
                                        {},
                                        {},
                                        length,
                                        fault.notDigit,
                                        fault.expected,
                                        fault});
}

// A byte-order mark in front of the first line is not part of its record.
int64_t MarkLength(const Walk &walk, const char *text, int64_t stored) {
    return walk.line == 1 && stored >= 3 && text[0] == '\xEF' && text[1] == '\xBB' &&
                   text[2] == '\xBF'
               ? 3
               : 0;
}

// A line that holds no record and does not start with ":", its first `stored` bytes at hand:
// the visitor sees it unless they are all blanks and tabs.
void VisitOtherLine(Walk &walk, char *text, int64_t stored) {
    if (!walk.visitor) return;
    for (int64_t at = 0; at < stored; ++at)
        if (text[at] != ' ' && text[at] != '\t') {
            walk.visitor(walk.visitorContext, walk.line, walk.position, text, 0);
            return;
        }
}

// A checksum finding: the two characters as they stand, and the right ones.
void ReportChecksum(const Walk &walk, const char *field, const char *right) {
    walk.sink(
        walk.context,
        Finding{
            walk.line, FINDING_CHECKSUM, {field[0], field[1]}, {right[0], right[1]}, 0, 0, 0, {}});
}

// A checksum field that differs in value from the right checksum: reported, and when patching
// given the right digits (digitSet: the record's case); true when it was. The one mend of the
// walk, inline in its loop over plain records, where its caller counts it.
RECORD_SUM_INLINE bool Mend(const Walk &walk, char *field, uint8_t checksum, const char *digitSet) {
    char right[2];
    ChecksumDigits(checksum, right, digitSet);
    if (walk.sink) ReportChecksum(walk, field, right);
    if (!walk.patching) return false;
    field[0] = right[0];
    field[1] = right[1];
    return true;
}

// The record a line holds, with its right checksum in *sum: a line that is a record alone is
// read as the walk's loop over plain records reads one, any other as RecordInLine finds it.
int64_t RecordOfLine(const char *text, int64_t stored, uint8_t *sum) {
    if (stored >= 11 && text[0] == ':' && stored == 11 + 2 * int64_t{DigitPair(text + 1)}) {
        uint8_t total = 0;
        const char *own = nullptr;
        if (RecordDigitsSum(text, static_cast<int32_t>(stored), &total, &own)) {
            *sum = static_cast<uint8_t>(DigitPair(text + stored - 2) - total);
            return stored;
        }
    }
    return RecordInLine(text, stored, sum);
}

// Looks at one line's text (without its line end), of which the first `stored` bytes are at
// hand (all of it, or more than any record and a blank): the visitor sees a record first, then
// its checksum is checked, and when patching its right digits, in the record's case, are put in
// place of the ones written where they differ in value (the characters to write back are noted
// in the walk); a line that starts with ":" but holds no record is reported. A right checksum
// costs no more than its two digits compared.
Outcome LookAt(Walk &walk, char *text, int64_t length, int64_t stored) {
    int64_t mark = MarkLength(walk, text, stored);
    text += mark;
    length -= mark;
    stored -= mark;
    uint8_t sum = 0;
    int64_t record = RecordOfLine(text, stored, &sum);
    if (!record) {
        if (length > 0 && text[0] == ':')
            ReportMalformed(walk, length, DiagnoseRecord(text, stored));
        else
            VisitOtherLine(walk, text, stored);
        return NO_RECORD;
    }
    walk.tally.records += 1;
    auto length32 = static_cast<int32_t>(record);
    char *field = text + record - 2;
    walk.changedFrom = mark + record - 2;
    walk.changedTo = mark + record;
    // The record's case as found, where it is needed: a visitor that patches may change the very
    // digits that tell it.
    const char *own = nullptr, *digitSet = nullptr;
    bool changing = walk.visitor && walk.patching;
    if (changing) {
        own = RecordCase(text, length32);
        digitSet = DigitsOf(walk, own);
        NoteCase(walk, own);
        if (int32_t changed = walk.visitor(walk.visitorContext, walk.line, walk.position + mark,
                                           text, length32)) {
            RemakeChecksum(text, length32, digitSet);
            walk.changedFrom = mark + changed;
            return RECORD_PATCHED;
        }
    } else if (walk.visitor) {
        walk.visitor(walk.visitorContext, walk.line, walk.position + mark, text, length32);
    }
    char right[2];
    ChecksumDigits(sum, right);
    if (SameDigit(field[0], right[0]) && SameDigit(field[1], right[1])) {
        if (!changing) NoteRecord(walk, text, length32);
        return RECORD_RIGHT;
    }
    walk.tally.unsettled += 1;
    walk.tally.checksums += 1;
    if (!changing) {
        own = RecordCase(text, length32);
        digitSet = DigitsOf(walk, own);
        NoteCase(walk, own);
    }
    return Mend(walk, field, sum, digitSet) ? RECORD_PATCHED : RECORD_RIGHT;
}

// Counts the line end at ending (CR, LF or zero byte; null at the end of the file): an LF right
// behind a CR, with no text between them, belongs to the CR, which it makes a CR LF. False for
// such an LF. The line end is noted for a last record behind it.
bool EndsLine(Walk &walk, const char *ending, bool empty) {
    char byte = ending ? *ending : 0;
    bool belongsToCR = walk.afterCR && empty && byte == '\n';
    walk.afterCR = !belongsToCR && byte == '\r';
    if (ending) {
        walk.lineEnd = belongsToCR ? 0 : byte;
        walk.tally.lineEnds[belongsToCR ? LINE_END_CR_LF : byte & 3] += 1;
        walk.tally.lineEnds[LINE_END_CR] -= belongsToCR;
    }
    return !belongsToCR;
}

// Line ends sixteen bytes at a time where records are read so too (core/record_sum.h); elsewhere
// a byte at a time.
#ifdef RECORD_SUM_SSE2
// Bit n set when byte n of the sixteen at bytes is a line-end byte (CR, LF or zero).
unsigned LineEndBits(const char *bytes) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    const __m128i cr = _mm_cmpeq_epi8(block, _mm_set1_epi8('\r'));
    const __m128i lf = _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'));
    const __m128i zero = _mm_cmpeq_epi8(block, _mm_setzero_si128());
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(cr, lf), zero)));
}

// Offset of the first line-end byte in bytes[from, length), or length. Sixteen bytes at a time;
// what is left at the end is looked at among the range's last sixteen bytes, so that nothing
// outside the range is read.
int32_t FindLineEnd(const char *bytes, int32_t from, int32_t length) {
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
#else
int32_t FindLineEnd(const char *bytes, int32_t from, int32_t length) {
    for (int32_t at = from; at < length; ++at)
        if (bytes[at] == '\r' || bytes[at] == '\n' || bytes[at] == 0) return at;
    return length;
}
#endif

// A line that goes on beyond any record's length: what is known of it so far.
struct LongLine {
    bool open;         // the span starts inside such a line
    bool colon;        // it starts with ":" (behind a byte-order mark on the first line) and
                       // holds no record
    int64_t length;    // its characters so far (without a byte-order mark)
    RecordFault fault; // from its first characters
    Outcome record;    // how it was looked at, when it is a record with a comment behind it
};

// A span keeps the start of a line that goes on in the file for the next span, so the longest
// record must fit in the buffer with room to spare; a longer line is no record and is passed
// over a span at a time.
static_assert(LONGEST_RECORD + 2 < FILE_BUFFER_SIZE, "a record and its line end fit in a span");

// Where the walk in spans stands: a line that goes on from the span before, and the span's place.
struct SpanWalk {
    LongLine longLine;
    int64_t at; // where the span starts in the file
};

// The start of a line too long for a record alone, at start in the span: a record with a
// comment behind it is looked at now, while it is in the span. NO_RECORD for any other line.
Outcome LookAtCommentedRecord(Walk &walk, char *span, int32_t start, int32_t length) {
    char *text = span + start;
    int64_t stored = length - start, mark = MarkLength(walk, text, stored);
    uint8_t sum = 0;
    if (!RecordInLine(text + mark, stored - mark, &sum)) return NO_RECORD;
    Outcome outcome = LookAt(walk, text, stored, stored);
    if (outcome == RECORD_PATCHED)
        NoteSpanChange(walk.channel, start + static_cast<int32_t>(walk.changedFrom));
    return outcome;
}

// The lines from start that are each a record alone followed by its line end in the span, all of
// one length with one kind of line end, as a file's data records mostly are: the commonest lines
// by far, taken whole. The first line's byte count tells where its line end must be; behind it
// each line must be the same, so that where the next one starts is known before its digits are
// read. A visitor that may change records gets them from LookAt instead. Returns where the
// first other line starts (start when the first line is no such record); a CR that ended the
// last record taken is noted, so that an LF right behind it ends no further line. (When none was
// taken, the walk of other lines notes the line end of that same line over it.)
int32_t WalkRecordRun(Walk &walk, const SpanWalk &spans, char *span, int32_t start, int32_t length,
                      int32_t &firstChange) {
    if (start >= length || spans.longLine.open || (walk.visitor && walk.patching)) return start;
    if (span[start] != ':' || length - start < 12) return start;
    auto record = static_cast<int32_t>(11 + 2 * DigitPair(span + start + 1));
    if (record >= length - start) return start;
    char ending = span[start + record];
    if (ending != '\r' && ending != '\n' && ending != 0) return start;
    bool pair = ending == '\r' && start + record + 1 < length && span[start + record + 1] == '\n';
    int32_t stride = record + 1 + (pair ? 1 : 0), at = start;
    const char count[2] = {span[start + 1], span[start + 2]};
    // The records and lines are counted here, not in the walk, so that no count waits for the
    // one before it to be stored; a visitor and a finding see the line's number.
    const int64_t first = walk.line;
    int64_t line = first;
    uint8_t total = 0;
    // The case of the record before, as found, where a wrong record without letters needs it:
    // the walk's before the first, that of a mended record as found, else that of the record
    // before as it stands.
    const char *own = nullptr, *before = nullptr;
    bool mended = false;
    int64_t wrong = 0;
    for (;;) {
        char *text = span + at;
        if (!RecordDigitsSum(text, record, &total, &own)) break;
        if (walk.visitor) walk.visitor(walk.visitorContext, line, spans.at + at, text, record);
        if (total) {
            const char *digitSet =
                own ? own
                    : CaseDigits(nullptr, line == first ? CaseBefore(walk)
                                          : mended      ? before
                                                        : RecordCase(text - stride, record));
            if (walk.sink) walk.line = line;
            ++wrong;
            auto right = static_cast<uint8_t>(DigitPair(text + record - 2) - total);
            if (Mend(walk, text + record - 2, right, digitSet) && at + record - 2 < firstChange)
                firstChange = at + record - 2;
            before = own;
        }
        mended = total != 0;
        ++line;
        at += stride;
        if (at + stride > length || span[at] != ':' || span[at + 1] != count[0] ||
            span[at + 2] != count[1] || span[at + record] != ending ||
            (pair && span[at + record + 1] != '\n'))
            break;
    }
    if (line > first && mended) NoteCase(walk, before);
    if (line > first && !mended) NoteRecord(walk, span + at - stride, record);
    walk.tally.checksums += wrong;
    walk.tally.unsettled += wrong;
    walk.tally.records += line - first;
    walk.tally.lineEnds[pair ? LINE_END_CR_LF : ending & 3] += line - first;
    walk.line = line;
    walk.lastOpen = NO_RECORD;
    walk.afterCR = ending == '\r' && !pair;
    walk.lineEnd = pair ? 0 : ending;
    return at;
}

// Looks at the whole lines of one span; at the end of the file also at its last line. Returns
// where the unfinished line at the span's end starts (length when there is none).
int32_t WalkLines(Walk &walk, SpanWalk &spans, char *span, int32_t length, bool atEnd) {
    int32_t firstChange = length;
    int32_t start = 0;
    for (;;) {
        start = WalkRecordRun(walk, spans, span, start, length, firstChange);
        int32_t end = FindLineEnd(span, start, length);
        if (end == length && !atEnd) break;                               // goes on in the file
        if (end == length && start == end && !spans.longLine.open) break; // nothing after the end
        const char *ending = end < length ? span + end : nullptr;
        if (spans.longLine.open) {
            spans.longLine.open = false;
            if (spans.longLine.colon)
                ReportMalformed(walk, spans.longLine.length + end, spans.longLine.fault);
            walk.lastOpen = ending ? NO_RECORD : spans.longLine.record;
            walk.line += EndsLine(walk, ending, false);
        } else if (EndsLine(walk, ending, start == end)) {
            walk.position = spans.at + start;
            Outcome outcome = LookAt(walk, span + start, end - start, end - start);
            if (outcome == RECORD_PATCHED && start + walk.changedFrom < firstChange)
                firstChange = start + static_cast<int32_t>(walk.changedFrom);
            walk.lastOpen = ending ? NO_RECORD : outcome;
            walk.line += 1;
        }
        if (end == length) break;
        start = end + 1;
    }
    if (firstChange < length) NoteSpanChange(walk.channel, firstChange);
    return start;
}

// The unfinished line at the span's end, from start on: kept for the next span while it may
// still be a record alone; else counted and passed over (a record with a comment behind it is
// looked at first). Returns the bytes of the span consumed.
int32_t PassLongLine(Walk &walk, SpanWalk &spans, char *span, int32_t start, int32_t length) {
    if (spans.longLine.open) {
        spans.longLine.length += length - start;
        return length;
    }
    if (length - start <= LONGEST_RECORD) return start;
    char *text = span + start;
    int64_t stored = length - start, mark = MarkLength(walk, text, stored);
    walk.position = spans.at + start;
    Outcome record = LookAtCommentedRecord(walk, span, start, length);
    if (record == NO_RECORD && text[mark] != ':') VisitOtherLine(walk, text + mark, stored - mark);
    spans.longLine = {true, text[mark] == ':' && record == NO_RECORD, stored - mark,
                      DiagnoseRecord(text + mark, stored - mark), record};
    walk.afterCR = false;
    return length;
}

// The walk in the channel's own buffer. Each span holds whole lines up to the last line end
// read; the start of a line that goes on in the file is kept for the next span, unless it is
// already too long for a record, which it then is not. When patching, checksums are changed in
// the span, and the channel writes the changed stretch back once per span. False when the
// channel has no buffer (nothing was read then).
bool WalkInSpans(Walk &walk) {
    int32_t consumed = 0, length = 0;
    SpanRead read = SPAN_READ;
    SpanWalk spans{};
    for (;;) {
        if (walk.lastRecord) NoteCase(walk, CaseBefore(walk)); // (the span moves on)
        char *span = ReadChannelSpan(walk.channel, consumed, &length, &read);
        if (!span) return false;
        // The changes of the span before went back to the file before this read: the lines
        // up to it are done, unless that write or this read failed, which ends the walk.
        if (read == SPAN_FAILED) return true;
        walk.tally.linesDone = walk.line - 1;
        bool atEnd = read == SPAN_END;
        int32_t start = WalkLines(walk, spans, span, length, atEnd);
        if (atEnd) break;
        consumed = PassLongLine(walk, spans, span, start, length);
        spans.at += consumed;
    }
    return true;
}

// The walk of a channel without a buffer, a line at a time: each changed record is written
// with a seek there and back. The line end a last record without one gets, when only a line too
// long to keep told it, is read again from the file (a read that fails ends the walk).
void WalkLineByLine(Walk &walk) {
    // A byte-order mark, a record and a blank or its line end: enough to tell a record with a
    // comment behind it.
    constexpr int32_t LINE_ROOM = 3 + LONGEST_RECORD + 2;
    char line[LINE_ROOM];
    int64_t position = 0;
    int64_t length = 0;
    int32_t terminator = 0;
    // A line cut short by a failed read is not looked at.
    while (ReadChannelLineBytes(walk.channel, line, LINE_ROOM, &length, &terminator) &&
           Settled(walk, walk.line - 1)) {
        int64_t next = position + length + terminator;
        walk.position = position;
        Outcome outcome = LookAt(walk, line, length, length < LINE_ROOM ? length : LINE_ROOM);
        if (walk.lastRecord) NoteCase(walk, CaseBefore(walk)); // (the next line goes there)
        if (outcome == RECORD_PATCHED && terminator == 0 && walk.lineEnd == UNKNOWN_END &&
            SeekChannel(walk.channel, walk.lineEndAt) >= 0) {
            int64_t none = 0;
            int32_t one = 0;
            ReadChannelLineBytes(walk.channel, &walk.lineEnd, 1, &none, &one);
        }
        walk.line += 1;
        walk.lastOpen = terminator ? NO_RECORD : outcome;
        if (outcome == RECORD_PATCHED) {
            // A seek that fails is kept on the channel as a failed write, which ends the walk.
            if (SeekChannel(walk.channel, position + walk.changedFrom) < 0) break;
            WriteChannelBytes(walk.channel, line + walk.changedFrom,
                              static_cast<int32_t>(walk.changedTo - walk.changedFrom));
            if (SeekChannel(walk.channel, next) < 0) break;
        }
        if (terminator)
            walk.lineEnd = terminator == 2 ? 0 : length < LINE_ROOM ? line[length] : UNKNOWN_END;
        if (terminator && walk.lineEnd != UNKNOWN_END)
            walk.tally.lineEnds[terminator == 2 ? LINE_END_CR_LF : walk.lineEnd & 3] += 1;
        walk.lineEndAt = position + length;
        position = next;
    }
}

// Settles the walk, which stands at the end of the file unless a read or write failed. A last
// record without a line end that was written is done once its line end is written there too,
// and reported.
void EndWalk(Walk &walk) {
    walk.tally.lastRecordOpen = walk.lastOpen != NO_RECORD;
    bool adding = walk.lastOpen == RECORD_PATCHED;
    if (!Settled(walk, walk.line - 1 - (adding ? 1 : 0)) || !adding) return;
    bool alone = walk.lineEnd == '\n' || walk.lineEnd == '\r'; // else CR LF
    WriteChannelBytes(walk.channel, alone ? &walk.lineEnd : "\r\n", alone ? 1 : 2);
    // Reported once it is in the file.
    if (!Settled(walk, walk.line - 1)) return;
    walk.tally.lineEndsAdded += 1;
    if (walk.sink)
        walk.sink(walk.context, Finding{walk.line - 1, FINDING_LINE_END, {}, {}, 0, 0, 0, {}});
}

} // namespace

int32_t PatchFileInPlace(const char *path) {
    return WalkHexFile(path, WALK_PATCH, nullptr, nullptr, nullptr);
}

int32_t WalkHexFile(const char *path, WalkMode mode, FindingSink sink, void *context,
                    WalkTally *tally, RecordVisitor visitor, void *visitorContext) {
    if (tally) *tally = WalkTally{};
    bool patching = mode == WALK_PATCH;
    if (!path || !(patching ? OpenChannelUpdate(WALK_CHANNEL, path)
                            : OpenChannelReadShared(WALK_CHANNEL, path))) {
        if (tally) tally->failure = path ? ChannelOpenFailure() : 0;
        return 0;
    }
    WalkTally walked{};
    WalkHexChannel(WALK_CHANNEL, mode, sink, context, &walked, visitor, visitorContext);
    int32_t outcome = CloseWalkChannel(WALK_CHANNEL, mode, &walked);
    if (tally) *tally = walked;
    return outcome;
}

// A write that fails only at the close (as on some network shares) leaves no line surely in the
// file.
int32_t CloseWalkChannel(int32_t channel, WalkMode mode, WalkTally *tally) {
    CloseChannel(channel);
    if (uint32_t closing = ChannelCloseFailure();
        closing && mode == WALK_PATCH && !tally->failure) {
        tally->failure = closing;
        tally->failedWriting = true;
        tally->linesDone = 0;
    }
    return tally->failure ? -1 : 1;
}

int32_t WalkHexChannel(int32_t channel, WalkMode mode, FindingSink sink, void *context,
                       WalkTally *tally, RecordVisitor visitor, void *visitorContext) {
    Walk walk{channel, mode == WALK_PATCH, sink, context, {}, 1, false, visitor, visitorContext};
    if (!WalkInSpans(walk)) WalkLineByLine(walk);
    EndWalk(walk);
    *tally = walk.tally;
    return walk.tally.failure ? -1 : 1;
}
