// SPDX-License-Identifier: MIT
#include "runtime/file_channels.h"

#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cassert>
#include <cstring>

namespace {

constexpr int32_t BUFFER_SIZE = FILE_BUFFER_SIZE;

struct FileChannel {
    PlatformFile file; // closed by CloseChannel unless borrowed. Zero marks a free entry.
    bool borrowed;     // the opener's file, which stays open
    char *buffer;      // owned, main heap; null when the channel works unbuffered
    int32_t left;      // read mode: unconsumed bytes; write mode: free bytes
    int32_t filled;    // bytes put into the buffer by the last refill
    int32_t changed;   // read mode: first buffer byte changed in place (ReadChannelSpan); -1: none
    int32_t reading;
    int64_t pointer; // where the platform's file pointer stands
    int64_t size;    // the file's size as opened, and as this channel's writes made it; -1: unknown
    uint32_t failure; // the system's code of the first read or write that failed; 0: none
    int32_t failedWriting;
};

ObjectRegistry *channels = nullptr;
uint32_t lastOpenFailure = 0;
uint32_t lastCloseFailure = 0;

FileChannel *Lookup(int32_t number) {
    return channels ? static_cast<FileChannel *>(LookupObject(channels, number)) : nullptr;
}

void NoteFailure(FileChannel *channel, uint32_t code, bool writing) {
    if (channel->failure) return;
    channel->failure = code ? code : 1;
    channel->failedWriting = writing;
}

// One read. A failed call counts as no bytes and is noted on the channel; once a read or
// write has failed, nothing more is read, so that a walk ends there. So does a file that another
// program made longer or shorter: the end comes where it stood, or it did not come there.
int32_t ReadRaw(FileChannel *channel, void *destination, int32_t length, bool *ok = nullptr) {
    if (ok) *ok = false;
    if (channel->failure) return 0;
    uint32_t failure = 0;
    int32_t got = ReadPlatformFile(channel->file, destination, length, &failure);
    bool changed = channel->size >= 0 && got >= 0 &&
                   (got > 0 ? channel->pointer + got > channel->size
                            : length > 0 && channel->pointer < channel->size);
    if (got < 0 || changed) {
        NoteFailure(channel, got < 0 ? failure : FAILURE_CODE_CHANGED, false);
        return 0;
    }
    channel->pointer += got;
    if (ok) *ok = true;
    return got;
}

void Grown(FileChannel *channel) {
    if (channel->size >= 0 && channel->pointer > channel->size) channel->size = channel->pointer;
}

// Whether the file is still as long as this channel knows it, before a write: one into a file
// that another program shortened would fill the gap with zero bytes and grow it back, and one
// into a file it lengthened would land among bytes this channel never read. Else the write
// fails as the file changed (FAILURE_CODE_CHANGED), and nothing more is written.
bool StillItsSize(FileChannel *channel) {
    if (channel->failure) return false;
    if (channel->size < 0 || PlatformFileSize(channel->file) == channel->size) return true;
    NoteFailure(channel, FAILURE_CODE_CHANGED, true);
    return false;
}

// Writes until all the bytes are written; returns how many were. A write that fails is noted
// on the channel, and nothing more is written to it.
int32_t WriteRaw(FileChannel *channel, const void *source, int32_t length) {
    const auto *bytes = static_cast<const char *>(source);
    int32_t total = 0;
    if (length > 0 && !StillItsSize(channel)) return 0;
    while (total < length && !channel->failure) {
        uint32_t failure = 0;
        int32_t written = WritePlatformFile(channel->file, bytes + total, length - total, &failure);
        if (written < 0)
            NoteFailure(channel, failure, true);
        else
            total += written;
    }
    channel->pointer += total;
    Grown(channel);
    return total;
}

// A move that fails leaves the pointer where it stood and is noted as a failed write: what was
// to be written there would land elsewhere, so nothing more is written or read.
int64_t MovePointer(FileChannel *channel, int64_t distance, MoveFrom from) {
    uint32_t failure = 0;
    int64_t position = MovePlatformFile(channel->file, distance, from, &failure);
    if (position < 0) {
        NoteFailure(channel, failure, true);
        return -1;
    }
    channel->pointer = position;
    return position;
}

// Writes the read bytes changed in place, from the first changed one to the end of what was read,
// back where they were read from, leaving the file pointer where it was, so that the next read
// goes on there and nothing read ahead is lost: on Windows a step back and one write (a write at
// an explicit offset would spare the step back, but costs Wine a round trip to its server), on
// POSIX one positioned write.
void WriteBackChanges(FileChannel *channel) {
    if (channel->changed < 0) return;
    int32_t from = channel->changed;
    assert(from <= channel->filled); // a change lies in what was read
    channel->changed = -1;
    if (!StillItsSize(channel)) return;
    uint32_t failure = 0;
    int32_t count = channel->filled - from;
    if (WriteBehindPlatformFile(channel->file, channel->buffer + from, count, channel->pointer,
                                &failure) < 0)
        NoteFailure(channel, failure, true);
}

int32_t FlushChannel(FileChannel *channel) {
    if (channel->reading) WriteBackChanges(channel);
    if (channel->reading || !channel->buffer) return 0;
    int32_t pending = BUFFER_SIZE - channel->left;
    int32_t written = 0;
    if (pending > 0) written = WriteRaw(channel, channel->buffer, pending);
    channel->left = BUFFER_SIZE;
    return written;
}

void EnterReadMode(FileChannel *channel) {
    if (channel->reading) return;
    FlushChannel(channel);
    channel->reading = 1;
    channel->left = 0;
}

// Reads into the whole buffer, once what was changed in it is back in the file.
void FillBuffer(FileChannel *channel) {
    WriteBackChanges(channel);
    channel->filled = ReadRaw(channel, channel->buffer, BUFFER_SIZE);
    channel->left = channel->filled;
}

// Makes sure unconsumed read bytes are in the buffer; false at the end of the file.
bool Refill(FileChannel *channel) {
    EnterReadMode(channel);
    if (channel->left > 0) return true;
    FillBuffer(channel);
    return channel->left > 0;
}

int32_t ReadChannelBytes(FileChannel *channel, char *destination, int32_t length) {
    EnterReadMode(channel);
    if (channel->left >= length) {
        std::memcpy(destination, channel->buffer + channel->filled - channel->left, length);
        channel->left -= length;
        return length;
    }
    int32_t taken = channel->left;
    std::memcpy(destination, channel->buffer + channel->filled - channel->left, taken);
    channel->left = 0;
    int32_t rest = length - taken;
    if (rest >= BUFFER_SIZE) {
        WriteBackChanges(channel);
        return taken + ReadRaw(channel, destination + taken, rest);
    }
    FillBuffer(channel);
    int32_t more = rest < channel->left ? rest : channel->left;
    std::memcpy(destination + taken, channel->buffer, more);
    channel->left -= more;
    return taken + more;
}

int32_t WriteBuffered(FileChannel *channel, const char *source, int32_t length) {
    if (channel->reading) { // the read-ahead is dropped; the file pointer stays
        WriteBackChanges(channel);
        channel->reading = 0;
        channel->left = BUFFER_SIZE;
    }
    if (channel->left > length) {
        std::memcpy(channel->buffer + BUFFER_SIZE - channel->left, source, length);
        channel->left -= length;
        return length;
    }
    FlushChannel(channel);
    if (length >= BUFFER_SIZE) return WriteRaw(channel, source, length);
    std::memcpy(channel->buffer, source, length);
    channel->left -= length;
    return length;
}

int32_t WriteAny(FileChannel *channel, const char *source, int32_t length) {
    if (length <= 0) return 0;
    if (channel->buffer) return WriteBuffered(channel, source, length);
    return WriteRaw(channel, source, length);
}

// One byte from the channel; -1 at the end of the file (or on a read error).
int ReadByte(FileChannel *channel) {
    if (channel->buffer) {
        if (!Refill(channel)) return -1;
        unsigned char byte =
            static_cast<unsigned char>(channel->buffer[channel->filled - channel->left]);
        channel->left -= 1;
        return byte;
    }
    unsigned char byte = 0;
    return ReadRaw(channel, &byte, 1) == 1 ? static_cast<unsigned char>(byte) : -1;
}

void PushBackByte(FileChannel *channel) {
    if (channel->buffer) {
        channel->left += 1;
        return;
    }
    MovePointer(channel, -1, MOVE_FROM_HERE);
}

// The one line reader: hands the line's text to keep a byte at a time (with its index), then
// takes its line end: CR, LF or a zero byte, and an LF right behind a CR, whose bytes go to
// ending. Returns the length of the line end (0 at the end of the file, 1, or 2 for CR LF) and
// the text's length in *length; -1 when nothing at all was left to read.
template <typename Keep>
int32_t ScanLine(FileChannel *channel, Keep keep, int64_t *length, char ending[2]) {
    *length = 0;
    int byte = ReadByte(channel);
    while (byte > 0 && byte != '\r' && byte != '\n') {
        keep(*length, static_cast<char>(byte));
        *length += 1;
        byte = ReadByte(channel);
    }
    if (byte < 0) return *length > 0 ? 0 : -1;
    ending[0] = static_cast<char>(byte);
    if (byte != '\r') return 1;
    int next = ReadByte(channel);
    ending[1] = '\n';
    if (next == '\n') return 2;
    if (next >= 0) PushBackByte(channel);
    return 1;
}

// A channel on path opened so, or (without path) on the file given, borrowed.
intptr_t OpenChannel(int32_t number, const char *path, Opening opening, PlatformFile file = 0) {
    bool generated = number == AUTO_NUMBER;
    auto *channel = static_cast<FileChannel *>(AllocateObject(channels, number));
    if (!channel) return 0; // a generated number given as a fixed one
    if (generated) number = AutoNumberOf(channel);
    channel->borrowed = !path;
    if (path)
        file = OpenPlatformFile(path, opening, &lastOpenFailure);
    else if (MovePlatformFile(file, 0, MOVE_FROM_START, &lastOpenFailure) < 0)
        file = 0;
    if (!file) {
        ReleaseObject(channels, number);
        return 0;
    }
    channel->file = file;
    channel->buffer = static_cast<char *>(MainHeapTryAlloc(BUFFER_SIZE)); // none: unbuffered
    channel->left = 0;
    channel->filled = 0;
    channel->changed = -1;
    channel->reading = 1;
    channel->pointer = 0;
    channel->size = PlatformFileSize(file);
    channel->failure = 0;
    channel->failedWriting = 0;
    return generated ? number : file;
}

} // namespace

void InitFileChannels() {
    if (!channels) channels = CreateObjectRegistry(sizeof(FileChannel), 16, CloseChannel);
}

void EndFileChannels() {
    int32_t number = 0;
    BeginObjectWalk(channels);
    while (NextObject(channels, &number))
        CloseChannel(number);
}

intptr_t OpenChannelRead(int32_t number, const char *path) {
    return OpenChannel(number, path, OPENING_READ);
}
intptr_t OpenChannelReadWrite(int32_t number, const char *path) {
    return OpenChannel(number, path, OPENING_READ_WRITE);
}
intptr_t OpenChannelNew(int32_t number, const char *path) {
    return OpenChannel(number, path, OPENING_NEW);
}
intptr_t OpenChannelExclusive(int32_t number, const char *path) {
    return OpenChannel(number, path, OPENING_EXCLUSIVE);
}
intptr_t OpenChannelUpdate(int32_t number, const char *path) {
    return OpenChannel(number, path, OPENING_UPDATE);
}
intptr_t OpenChannelReadShared(int32_t number, const char *path) {
    return OpenChannel(number, path, OPENING_READ_SHARED);
}

intptr_t OpenChannelOnFile(int32_t number, PlatformFile file) {
    return OpenChannel(number, nullptr, OPENING_READ_WRITE, file);
}

uint32_t ChannelOpenFailure() {
    return lastOpenFailure;
}

uint32_t ChannelFailure(int32_t number, bool *writing) {
    FileChannel *channel = Lookup(number);
    if (writing) *writing = false;
    if (!channel) return 0;
    if (channel->buffer) FlushChannel(channel);
    if (writing) *writing = channel->failedWriting != 0;
    return channel->failure;
}

bool ChannelStamp(int32_t number, FileStamp *stamp) {
    if (!Lookup(number)) return false;
    ChannelFailure(number);
    return PlatformFileStamp(Lookup(number)->file, stamp);
}

void CloseChannel(int32_t number) {
    if (number == AUTO_NUMBER) return;
    FileChannel *channel = Lookup(number);
    if (!channel) return;
    if (channel->buffer) {
        FlushChannel(channel);
        MainHeapFree(channel->buffer);
    }
    // A write that failed, also in the last flush right above, is the close's failure too.
    uint32_t written = channel->failedWriting ? channel->failure : 0;
    lastCloseFailure = channel->borrowed ? 0 : ClosePlatformFile(channel->file);
    if (!lastCloseFailure) lastCloseFailure = written;
    ReleaseObject(channels, number);
}

uint32_t ChannelCloseFailure() {
    return lastCloseFailure;
}

int32_t ChannelAtEnd(int32_t number) {
    FileChannel *channel = Lookup(number);
    if (!channel) return 0;
    char byte = 0;
    if (channel->buffer) {
        if (ReadChannelBytes(channel, &byte, 1) != 1) return 1;
        PushBackByte(channel);
        return 0;
    }
    bool ok = false;
    if (ReadRaw(channel, &byte, 1, &ok) == 1 && ok) {
        PushBackByte(channel);
        return 0;
    }
    return -1;
}

int64_t SeekChannel(int32_t number, int64_t offset) {
    FileChannel *channel = Lookup(number);
    if (!channel) return 0;
    if (channel->buffer) {
        FlushChannel(channel);
        channel->left = 0;
        channel->reading = 1;
    }
    if (channel->failure) return -1; // nothing more moves once a read or write has failed
    return MovePointer(channel, offset, MOVE_FROM_START);
}

int64_t ChannelPosition(int32_t number) {
    FileChannel *channel = Lookup(number);
    if (!channel) return -1;
    int64_t position = MovePointer(channel, 0, MOVE_FROM_HERE);
    if (position < 0 || !channel->buffer) return position;
    return channel->reading ? position - channel->left : position + (BUFFER_SIZE - channel->left);
}

// The line grows at the result start as it is read.
char *ReadChannelLine(int32_t number, int32_t resultStart) {
    struct Growing {
        int32_t start;
        int32_t reserved;
        char *line;
    } growing{resultStart, BUFFER_SIZE, ReserveResult(BUFFER_SIZE, resultStart)};
    int64_t length = 0;
    char ending[2];
    if (FileChannel *channel = Lookup(number)) {
        ScanLine(
            channel,
            [&growing](int64_t at, char byte) {
                if (at >= INT32_MAX - BUFFER_SIZE - growing.start - 32)
                    return; // no String is longer
                if (at == growing.reserved) {
                    growing.reserved += BUFFER_SIZE;
                    growing.line = ReserveResult(growing.reserved, growing.start);
                }
                growing.line[at] = byte;
            },
            &length, ending);
    }
    auto kept = static_cast<int32_t>(length < growing.reserved ? length : growing.reserved);
    growing.line[kept] = 0;
    GiveBackResult(growing.reserved - kept);
    return growing.line;
}

int32_t WriteChannelLine(int32_t number, const char *text) {
    FileChannel *channel = Lookup(number);
    if (!channel) return 0;
    int32_t written = 0;
    if (text && text[0]) written += WriteAny(channel, text, StringLength(text));
    written += WriteAny(channel, "\r\n", 2);
    return written;
}

int32_t ReadChannelData(int32_t number, void *destination, int32_t length) {
    FileChannel *channel = Lookup(number);
    if (!channel || length <= 0 || channel->failure) return 0;
    auto *bytes = static_cast<char *>(destination);
    return channel->buffer ? ReadChannelBytes(channel, bytes, length)
                           : ReadRaw(channel, bytes, length);
}

int32_t WriteChannelBytes(int32_t number, const void *bytes, int32_t length) {
    FileChannel *channel = Lookup(number);
    if (!channel || !bytes) return 0;
    return WriteAny(channel, static_cast<const char *>(bytes), length);
}

bool ReadChannelLineBytes(int32_t number, char *destination, int32_t capacity, int64_t *lineLength,
                          int32_t *terminator) {
    *lineLength = 0;
    *terminator = 0;
    FileChannel *channel = Lookup(number);
    if (!channel) return false;
    char ending[2];
    int32_t end = ScanLine(
        channel,
        [destination, capacity](int64_t at, char byte) {
            if (at < capacity) destination[at] = byte;
        },
        lineLength, ending);
    if (end < 0) return false;
    *terminator = end;
    for (int32_t i = 0; i < end; ++i) // the line end's bytes, where there is room
        if (*lineLength + i < capacity) destination[*lineLength + i] = ending[i];
    return true;
}

char *ReadChannelSpan(int32_t number, int32_t consumed, int32_t *length, SpanRead *read) {
    *length = 0;
    *read = SPAN_FAILED;
    FileChannel *channel = Lookup(number);
    if (!channel || !channel->buffer) return nullptr;
    EnterReadMode(channel);
    if (consumed > 0) channel->left -= consumed < channel->left ? consumed : channel->left;
    WriteBackChanges(channel);
    int32_t kept = channel->left;
    if (kept > 0 && kept < channel->filled)
        std::memmove(channel->buffer, channel->buffer + channel->filled - kept, kept);
    int32_t got = 0;
    if (kept < BUFFER_SIZE)
        got = static_cast<int32_t>(ReadRaw(channel, channel->buffer + kept, BUFFER_SIZE - kept));
    channel->filled = kept + got;
    channel->left = channel->filled;
    *length = channel->filled;
    *read = channel->failure     ? SPAN_FAILED
            : got > 0            ? SPAN_READ
            : kept < BUFFER_SIZE ? SPAN_END
                                 : SPAN_FULL;
    return channel->buffer;
}

void NoteSpanChange(int32_t number, int32_t from) {
    FileChannel *channel = Lookup(number);
    if (!channel || !channel->buffer || !channel->reading || from < 0 || from >= channel->left)
        return;
    int32_t index = channel->filled - channel->left + from;
    if (channel->changed < 0 || index < channel->changed) channel->changed = index;
}
