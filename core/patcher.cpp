#include "core/patcher.h"

#include "core/record.h"
#include "runtime/file_channels.h"

namespace {

constexpr int32_t PATCH_CHANNEL = 1;
constexpr int32_t LINE_ROOM = LONGEST_RECORD + 2; // a record and its line end
constexpr int32_t RUN_SIZE = 4096;

// Neighbouring lines to be written back: whole lines from the first changed one on, as read
// (with their own line ends), so that one seek and one write put a stretch of corrections in
// place. Only the bytes up to the end of the last changed line are written.
struct WriteRun {
    char bytes[RUN_SIZE];
    int64_t start;   // file offset of bytes[0]
    int32_t length;  // bytes held
    int32_t changed; // bytes up to the end of the last changed line
};

// Writes the run where it came from and puts the reader back at resume, where the walk goes on.
void FlushRun(WriteRun &run, int64_t resume) {
    if (run.changed > 0) {
        SeekChannel(PATCH_CHANNEL, run.start);
        WriteChannelBytes(PATCH_CHANNEL, run.bytes, run.changed);
        SeekChannel(PATCH_CHANNEL, resume);
    }
    run.length = 0;
    run.changed = 0;
}

void AppendToRun(WriteRun &run, int64_t position, const char *line, int32_t total, bool changed) {
    if (run.length == 0) run.start = position;
    for (int32_t i = 0; i < total; ++i)
        run.bytes[run.length + i] = line[i];
    run.length += total;
    if (changed) run.changed = run.length;
}

// Checksum digits of either case compare by value.
char UpperDigit(char c) {
    return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithByteOrderMark(const char *line, int64_t stored) {
    return stored >= 3 && line[0] == '\xEF' && line[1] == '\xBB' && line[2] == '\xBF';
}

} // namespace

int32_t PatchFileInPlace(const char *path) {
    return WalkHexFile(path, WALK_PATCH, nullptr, nullptr, nullptr);
}

// Each line is read with its real line end; only the checksum characters of records change,
// and only where they differ, so a file that is right already is not written at all. A last
// record without a line end is completed and gets CR LF. Corrections of neighbouring lines are
// gathered and written with one seek and one write.
int32_t WalkHexFile(const char *path, WalkMode mode, FindingSink sink, void *context,
                    WalkTally *tally) {
    if (!path || !path[0]) return 0;
    bool patching = mode == WALK_PATCH;
    if (!(patching ? OpenChannelUpdate(PATCH_CHANNEL, path) : OpenChannelRead(PATCH_CHANNEL, path)))
        return 0;
    WalkTally counts{};
    WriteRun pending;
    pending.length = 0;
    pending.changed = 0;
    char line[LINE_ROOM];
    int64_t position = 0;
    int64_t length = 0;
    int32_t terminator = 0;
    for (int64_t number = 1;
         ReadChannelLineBytes(PATCH_CHANNEL, line, LINE_ROOM, &length, &terminator); ++number) {
        int64_t next = position + length + terminator;
        int64_t total = length + terminator;
        int64_t stored = length < LINE_ROOM ? length : LINE_ROOM;
        int64_t mark = number == 1 && StartsWithByteOrderMark(line, stored) ? 3 : 0;
        char *record = line + mark;
        int64_t recordLength = length - mark;
        uint8_t sum = 0;
        bool changed = false;
        if (ClassifyRecord(record, recordLength, &sum) == RECORD_WITH_CHECKSUM) {
            counts.records += 1;
            Finding finding{number, FINDING_CHECKSUM, {}, {}, 0, 0, 0};
            char *field = record + recordLength - 2;
            ChecksumDigits(sum, finding.right);
            finding.written[0] = field[0];
            finding.written[1] = field[1];
            changed = field[0] != finding.right[0] || field[1] != finding.right[1];
            bool objected = patching ? changed
                                     : UpperDigit(field[0]) != finding.right[0] ||
                                           UpperDigit(field[1]) != finding.right[1];
            if (objected) {
                counts.checksums += 1;
                if (sink) sink(context, finding);
            }
            field[0] = finding.right[0];
            field[1] = finding.right[1];
            if (terminator == 0) { // the last line: it gets the CR LF it lacks
                line[length] = '\r';
                line[length + 1] = '\n';
                total = length + 2;
                changed = true;
            }
        } else if (recordLength > 0 && record[0] == ':') {
            counts.malformed += 1;
            RecordFault fault = DiagnoseRecord(record, stored - mark);
            Finding finding{number,         FINDING_MALFORMED, {}, {}, recordLength,
                            fault.notDigit, fault.expected};
            if (sink) sink(context, finding);
        }
        if (!patching) continue;
        bool fits = pending.length + total <= RUN_SIZE; // total > LINE_ROOM never fits
        if (changed) {
            if (!fits) FlushRun(pending, next);
            AppendToRun(pending, position, line, static_cast<int32_t>(total), true);
        } else if (pending.length > 0) {
            if (fits && total <= LINE_ROOM)
                AppendToRun(pending, position, line, static_cast<int32_t>(total), false);
            else
                FlushRun(pending, next);
        }
        position += total;
    }
    if (patching) FlushRun(pending, position);
    CloseChannel(PATCH_CHANNEL);
    if (tally) *tally = counts;
    return 1;
}
