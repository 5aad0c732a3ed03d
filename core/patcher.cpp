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

} // namespace

// Each line is read with its real line end; only the checksum characters of records change,
// and only where they differ, so a file that is right already is not written at all. A last
// record without a line end is completed and gets CR LF. Corrections of neighbouring lines are
// gathered and written with one seek and one write.
int32_t PatchFileInPlace(const char *path) {
    if (!path || !path[0]) return 0;
    if (!OpenChannelUpdate(PATCH_CHANNEL, path)) return 0;
    WriteRun pending;
    pending.length = 0;
    pending.changed = 0;
    char line[LINE_ROOM];
    int64_t position = 0;
    int64_t length = 0;
    int32_t terminator = 0;
    while (ReadChannelLineBytes(PATCH_CHANNEL, line, LINE_ROOM, &length, &terminator)) {
        int64_t next = position + length + terminator;
        int64_t total = length + terminator;
        uint8_t sum = 0;
        bool changed = false;
        if (ClassifyRecord(line, length, &sum) == RECORD_WITH_CHECKSUM) {
            char checksum[2];
            ChecksumDigits(sum, checksum);
            changed = checksum[0] != line[length - 2] || checksum[1] != line[length - 1];
            line[length - 2] = checksum[0];
            line[length - 1] = checksum[1];
            if (terminator == 0) { // the last line: it gets the CR LF it lacks
                line[length] = '\r';
                line[length + 1] = '\n';
                total = length + 2;
                changed = true;
            }
        }
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
    FlushRun(pending, position);
    CloseChannel(PATCH_CHANNEL);
    return 1;
}
