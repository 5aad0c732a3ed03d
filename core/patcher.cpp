#include "core/patcher.h"

#include "runtime/file_channels.h"

namespace {

constexpr int32_t PATCH_CHANNEL = 1;
constexpr int32_t LONGEST_RECORD = 11 + 2 * 255;

// Value of each byte as a hexadecimal digit of either case, -1 for any other byte.
struct HexTable {
    int8_t value[256];
    constexpr HexTable() : value() {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9'   ? static_cast<int8_t>(c - '0')
                       : c >= 'A' && c <= 'F' ? static_cast<int8_t>(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? static_cast<int8_t>(c - 'a' + 10)
                                              : static_cast<int8_t>(-1);
    }
};
constexpr HexTable HEX;

int HexDigit(char c) {
    return HEX.value[static_cast<unsigned char>(c)];
}

} // namespace

// One pass over the pairs after the ":": each must be two hex digits; all but the last (the old
// checksum) are summed.
bool RecordChecksum(const char *line, int64_t length, char checksum[2]) {
    if (length < 11 || length > LONGEST_RECORD || line[0] != ':') return false;
    int high = HexDigit(line[1]);
    int low = HexDigit(line[2]);
    if ((high | low) < 0 || length != 11 + 2 * (high * 16 + low)) return false;
    unsigned sum = 0;
    for (int64_t i = 1; i < length; i += 2) {
        high = HexDigit(line[i]);
        low = HexDigit(line[i + 1]);
        if ((high | low) < 0) return false;
        sum += static_cast<unsigned>(high * 16 + low);
    }
    sum -= static_cast<unsigned>(HexDigit(line[length - 2]) * 16 + HexDigit(line[length - 1]));
    unsigned value = (0x100u - (sum & 0xFFu)) & 0xFFu;
    static const char DIGITS[] = "0123456789ABCDEF";
    checksum[0] = DIGITS[value >> 4];
    checksum[1] = DIGITS[value & 15];
    return true;
}

namespace {

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
        char checksum[2];
        bool changed = false;
        if (RecordChecksum(line, length, checksum)) {
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
