// SPDX-License-Identifier: MIT
#include "app/report_lines.h"

#include <cstring>

namespace {

// A report template taken apart: each run of its text and the field behind it (-1 after the
// last run).
struct Pieces {
    static constexpr int32_t MOST = 10; // nine fields and the run after the last
    struct Piece {
        const char *text;
        int32_t length;
        int32_t field;
    } pieces[MOST];
    int32_t count;
    int32_t fixed; // the length of the runs together
};

bool IsFieldMark(const char *at) {
    return at[0] == '%' && at[1] >= '1' && at[1] <= '9';
}

void TakeApart(const char *text, Pieces &out) {
    out.count = 0;
    out.fixed = 0;
    const char *run = text;
    for (const char *at = text;; ++at) {
        bool end = *at == 0;
        if (!end && !IsFieldMark(at)) continue;
        if (out.count == Pieces::MOST) return; // no template has more fields
        auto length = static_cast<int32_t>(at - run);
        out.pieces[out.count++] = {run, length, end ? -1 : at[1] - '1'};
        out.fixed += length;
        if (end) return;
        run = ++at + 1;
    }
}

using Put = void (*)(const char *bytes, int32_t length, StreamKind kind);

// A line of a template taken apart, its runs and fields handed to put one at a time.
void PutPieces(const Pieces &line, const Field *fields, int32_t count, Put put, StreamKind kind) {
    for (int32_t i = 0; i < line.count; ++i) {
        const Pieces::Piece &piece = line.pieces[i];
        put(piece.text, piece.length, kind);
        if (piece.field >= 0 && piece.field < count)
            put(fields[piece.field].text, fields[piece.field].length, kind);
    }
}

// A line of a template taken apart, made in the output's buffer with one copy for each piece;
// only a line longer than the buffer goes out piece by piece.
void WritePieces(const Pieces &line, const Field *fields, int32_t count, StreamKind kind) {
    int32_t length = line.fixed;
    for (int32_t i = 0; i < count; ++i)
        length += fields[i].length;
    char *out = OutputRoom(length, kind);
    if (!out) {
        PutPieces(line, fields, count, WriteOutputBytes, kind);
        return;
    }
    char *at = out;
    for (int32_t i = 0; i < line.count; ++i) {
        const Pieces::Piece &piece = line.pieces[i];
        std::memcpy(at, piece.text, static_cast<size_t>(piece.length));
        at += piece.length;
        if (piece.field < 0 || piece.field >= count) continue;
        const Field &field = fields[piece.field];
        std::memcpy(at, field.text, static_cast<size_t>(field.length));
        at += field.length;
    }
    OutputFilled(static_cast<int32_t>(at - out), kind);
}

// The line number in digits at at: the last one's digits with the difference added, digit by
// digit, which costs little where lines follow each other closely. The last digits are copied
// whole first and kept up to date a byte at a time, so that no copy reads bytes stored just
// before it. Returns the number of digits.
int32_t PutLineNumber(FindingLine &line, int64_t value, char *at) {
    std::memcpy(at, line.number, 16);
    if (line.numberLength > 16) std::memcpy(at + 16, line.number + 16, 16);
    int64_t add = value - line.numberValue;
    line.numberValue = value;
    for (int32_t i = line.numberLength - 1; add > 0 && i >= 0; --i) {
        int64_t digit = line.number[i] - '0' + add;
        at[i] = line.number[i] = static_cast<char>('0' + digit % 10);
        add = digit / 10;
    }
    if (add != 0) {
        line.numberLength = FormatDecimal(value, line.number);
        std::memcpy(at, line.number, static_cast<size_t>(line.numberLength));
    }
    return line.numberLength;
}

} // namespace

// A report template (app/texts.h) with its fields put in where %1 to %9 stand.
void WriteFields(const char *text, const Field *fields, int32_t count, StreamKind kind) {
    Pieces line;
    TakeApart(text, line);
    WritePieces(line, fields, count, kind);
}

// The same as a String at the result start.
void FormatTemplate(const char *text, Fields fields, int32_t resultStart) {
    Pieces line;
    TakeApart(text, line);
    LeftPart("", 0, resultStart);
    PutPieces(
        line, fields.begin(), static_cast<int32_t>(fields.size()),
        [](const char *bytes, int32_t length, StreamKind) { AppendToWorkspace(bytes, length); },
        STREAM_OUTPUT);
}

Field FormatWords(const char *text, Fields fields, Field named) {
    int32_t start = WorkspacePosition();
    FormatTemplate(text, fields, start);
    const char *line = WorkspaceAt(start);
    int32_t length = WorkspacePosition() - start, from = 0;
    for (int32_t at = 0; at + named.length <= length; ++at)
        if (std::memcmp(line + at, named.text, static_cast<size_t>(named.length)) == 0) {
            from = at + named.length;
            break;
        }
    while (from < length && line[from] != ' ')
        ++from;
    from = from < length ? from + 1 : length;
    while (length > from && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        --length;
    return {line + from, length - from};
}

Address::Address(uint32_t value) {
    text[0] = '0';
    text[1] = 'x';
    for (int32_t i = length - 1; i >= 2; --i, value >>= 4)
        text[i] = HEX_DIGITS[value & 15];
}

ValueDigits::ValueDigits(const ChecksumValue &value, const ChecksumAlgorithm &algorithm) {
    bool digest = algorithm.kind == CHECKSUM_DIGEST;
    const char *digits = digest ? "0123456789abcdef" : HEX_DIGITS;
    length = digest ? 0 : 2;
    text[0] = '0';
    text[1] = 'x';
    for (int32_t k = 0; k < value.width; ++k) {
        text[length++] = digits[value.bytes[k] >> 4];
        text[length++] = digits[value.bytes[k] & 15];
    }
}

void FormatCount(int64_t count, const char *one, const char *more, int32_t resultStart) {
    FormatTemplate(count == 1 && one ? one : more, {Decimal(count)}, resultStart);
}

namespace {

// Set once, before the report begins: the stream as its distance from FAILURES. (Zero to start
// with: the Windows program has no section of initialised data to hold it.)
int32_t failuresMoved;

} // namespace

void SendFailuresTo(StreamKind kind) {
    failuresMoved = kind - FAILURES;
}

// A line on the failures' stream, in its place among the findings on a terminal.
void WriteFailure(const char *text, Fields fields) {
    auto kind = static_cast<StreamKind>(FAILURES + failuresMoved);
    if (!OpenStandardOutput(kind)) return;
    if (kind != STREAM_OUTPUT) FlushStandardOutput();
    WriteTemplate(text, fields, kind);
    if (kind != STREAM_OUTPUT) FlushStandardOutput(kind);
}

void PrepareFindingLine(FindingLine &line, const char *text, Field path) {
    line = FindingLine{};
    line.number[0] = '0';
    line.numberLength = 1;
    if (!NATIVE) return;
    Pieces pieces;
    TakeApart(text, pieces);
    const Pieces::Piece *piece = pieces.pieces;
    int32_t head = piece[0].length + path.length + piece[1].length;
    line.headLength =
        head <= FindingLine::HEAD_ROOM && pieces.fixed + 4 <= FindingLine::TAIL_ROOM ? head : -1;
    if (line.headLength < 0) return;
    std::memcpy(line.head, piece[0].text, static_cast<size_t>(piece[0].length));
    std::memcpy(line.head + piece[0].length, path.text, static_cast<size_t>(path.length));
    std::memcpy(line.head + head - piece[1].length, piece[1].text,
                static_cast<size_t>(piece[1].length));
    for (int32_t i = 2; i < pieces.count; ++i) {
        std::memcpy(line.tail + line.tailLength, piece[i].text,
                    static_cast<size_t>(piece[i].length));
        line.tailLength += piece[i].length;
        if (piece[i].field < 0) break;
        (piece[i].field == 2 ? line.writtenAt : line.rightAt) = line.tailLength;
        line.tailLength += 2;
    }
}

// A checksum finding's line, a million of which may follow each other: its three parts copied
// in whole sixteen bytes into the output's buffer (the room asked for covers what is copied
// past the line's end) and the checksums put in their places.
void WriteFindingLine(FindingLine &line, const char *text, Field path, int64_t number,
                      const char written[2], const char right[2]) {
    constexpr int32_t MOST =
        FindingLine::HEAD_ROOM + FindingLine::NUMBER_ROOM + FindingLine::TAIL_ROOM;
    char *out = !NATIVE || line.headLength < 0 ? nullptr : OutputRoom(MOST);
    if (!out) {
        WriteTemplate(text, {path, Decimal(number), {written, 2}, {right, 2}});
        return;
    }
    for (int32_t i = 0; i < line.headLength; i += 16)
        std::memcpy(out + i, line.head + i, 16);
    char *at = out + line.headLength;
    at += PutLineNumber(line, number, at);
    std::memcpy(at, line.tail, FindingLine::TAIL_ROOM);
    // A byte at a time, as the finding was just made.
    at[line.writtenAt] = written[0];
    at[line.writtenAt + 1] = written[1];
    at[line.rightAt] = right[0];
    at[line.rightAt + 1] = right[1];
    OutputFilled(static_cast<int32_t>(at + line.tailLength - out));
}
