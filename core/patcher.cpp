#include "core/patcher.h"

#include "runtime/file_channels.h"

namespace {

constexpr int32_t PATCH_CHANNEL = 1;
constexpr int32_t LONGEST_RECORD = 11 + 2 * 255;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

bool RecordChecksum(const char *line, int64_t length, char checksum[2]) {
    if (length < 11 || length > LONGEST_RECORD || line[0] != ':') return false;
    for (int64_t i = 1; i < length; ++i)
        if (HexDigit(line[i]) < 0) return false;
    int count = HexDigit(line[1]) * 16 + HexDigit(line[2]);
    if (length != 11 + 2 * count) return false;
    unsigned sum = 0;
    for (int64_t i = 1; i < length - 2; i += 2)
        sum += static_cast<unsigned>(HexDigit(line[i]) * 16 + HexDigit(line[i + 1]));
    unsigned value = (0x100u - (sum & 0xFFu)) & 0xFFu;
    static const char DIGITS[] = "0123456789ABCDEF";
    checksum[0] = DIGITS[value >> 4];
    checksum[1] = DIGITS[value & 15];
    return true;
}

// Each line is read with its real line end; only the checksum characters of records change,
// and only where they differ, so a file that is right already is not written at all.
int32_t PatchFileInPlace(const char *path) {
    if (!path || !path[0]) return 0;
    if (!OpenChannelUpdate(PATCH_CHANNEL, path)) return 0;
    char line[LONGEST_RECORD + 1];
    int64_t position = 0;
    int64_t length = 0;
    int32_t terminator = 0;
    while (ReadChannelLineBytes(PATCH_CHANNEL, line, LONGEST_RECORD + 1, &length, &terminator)) {
        char checksum[2];
        if (RecordChecksum(line, length, checksum)) {
            bool changed = checksum[0] != line[length - 2] || checksum[1] != line[length - 1];
            if (changed || terminator == 0) {
                SeekChannel(PATCH_CHANNEL, position + length - 2);
                WriteChannelBytes(PATCH_CHANNEL, checksum, 2);
                if (terminator == 0) terminator = WriteChannelBytes(PATCH_CHANNEL, "\r\n", 2);
                SeekChannel(PATCH_CHANNEL, position + length + terminator);
            }
        }
        position += length + terminator;
    }
    CloseChannel(PATCH_CHANNEL);
    return 1;
}
