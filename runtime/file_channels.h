// SPDX-License-Identifier: MIT
/*
 * Buffered file channels.
 *
 * A channel is an open regular file under an object number with one buffer (FILE_BUFFER_SIZE,
 * runtime/platform.h) that serves both reading and writing. The open operations return the file
 * handle (or, for AUTO_NUMBER, the generated number) and 0 on failure; a number that was open is
 * closed first either way. A generated number given as a fixed one is such a failure: its channel
 * is closed, and 0. Lines end in CR LF, LF, CR or a zero byte; ReadChannelLine gives the line
 * without its end, built at the result start of the workspace (runtime/strings.h), of any length.
 * WriteChannelLine writes the text and CR LF. Written bytes reach the file on the next read, end
 * test, seek or close. Calls on a number that is not open: end test 0, seek 0, position -1, line
 * read "", line write 0, close nothing. If the buffer cannot be allocated the channel works
 * unbuffered, and ChannelAtEnd answers -1 instead of 1 at the end.
 *
 * Paths are UTF-8, of any length. A failed open leaves its reason for
 * ChannelOpenFailure; devices, FIFOs, sockets and folders are refused. A read that fails reads
 * as the end of the file, and a write that fails is dropped; so is a seek, which counts as a
 * failed write (what follows it would land in the wrong place). A file whose size another
 * program changes fails the read that notices it (FAILURE_CODE_CHANGED), and the write that
 * notices it before writing: a write never lands past the end of a file that another program
 * shortened, and only a write at the very end makes a file longer. The first such failure
 * is kept on the channel, and from then on nothing more is read, written or moved through it.
 * ChannelFailure writes out what the channel still holds and gives that failure. Failures are the
 * platform's own codes (runtime/platform.h).
 *
 * A file can also be changed in place while it is read front to back, in the buffer itself:
 * ReadChannelSpan hands out the unconsumed read bytes as a span, and bytes changed in it are
 * written back where they came from. That needs the buffer: an unbuffered channel has no span.
 */
#pragma once

#include "runtime/platform.h"

#include <cstdint>

void InitFileChannels();
void EndFileChannels();
intptr_t OpenChannelRead(int32_t number, const char *path);
intptr_t OpenChannelReadWrite(int32_t number, const char *path); // creates a missing file
intptr_t OpenChannelNew(int32_t number, const char *path);
intptr_t OpenChannelExclusive(int32_t number, const char *path);
// Reading and writing an existing file, sharing reading; a missing file is not created and a
// read-only file is refused.
intptr_t OpenChannelUpdate(int32_t number, const char *path);
// Reading an existing file that others may hold open for reading and writing.
intptr_t OpenChannelReadShared(int32_t number, const char *path);
// A channel on a file the caller opened (for reading and writing) and keeps: it reads from the
// file's start, and its close writes out what it holds but leaves the file open.
intptr_t OpenChannelOnFile(int32_t number, PlatformFile file);
uint32_t ChannelOpenFailure(); // the code of the last open that failed
// Why the last close failed: a late write error, or a write of the channel's that failed (also
// its last flush); 0 when none did.
uint32_t ChannelCloseFailure();
// Writes out what the channel holds; then the code of its first failed read or write (0: none),
// and in *writing whether that was a write. 0 for a number that is not open.
uint32_t ChannelFailure(int32_t number, bool *writing = nullptr);

// The channel's file as it stands now (runtime/platform.h), after writing out what the channel
// holds; false when the number is not open or the system cannot tell.
bool ChannelStamp(int32_t number, FileStamp *stamp);

void CloseChannel(int32_t number);
int32_t ChannelAtEnd(int32_t number);
// The new position, all 64 bits of it (so that a seek to 4 GiB does not read as "not open");
// -1 (every bit set) when the move failed.
int64_t SeekChannel(int32_t number, int64_t offset);
int64_t ChannelPosition(int32_t number);
char *ReadChannelLine(int32_t number, int32_t resultStart);
int32_t WriteChannelLine(int32_t number, const char *text);
int32_t WriteChannelBytes(int32_t number, const void *bytes, int32_t length);
// Up to length bytes as they stand in the file: the bytes read, 0 at its end (and after a failed
// read, which ChannelFailure tells).
int32_t ReadChannelData(int32_t number, void *destination, int32_t length);

// Reads the next line into destination: its text followed by its line end bytes, of which at
// most capacity bytes are stored (the rest is passed over). Sets *lineLength to the length of
// the text and *terminator to the length of the line end (0 at the end of the file, 1 for a lone
// CR, LF or zero byte, 2 for CR LF). Returns false when nothing at all was left to read.
bool ReadChannelLineBytes(int32_t number, char *destination, int32_t capacity, int64_t *lineLength,
                          int32_t *terminator);

// Passes over the first consumed bytes of the span (the unconsumed read bytes), keeps the rest,
// moves them to the start of the buffer and fills the buffer behind them with one read. Returns
// the span, which now starts at the buffer's start, sets *length to its length and *read to
// what the read did. Null when the number is not open or the channel works unbuffered.
enum SpanRead : int32_t {
    SPAN_READ,   // bytes were added
    SPAN_END,    // the end of the file: nothing more to add
    SPAN_FULL,   // the kept bytes fill the buffer: nothing was read
    SPAN_FAILED, // a read, or the write back of the span before, failed (ChannelFailure tells)
};
char *ReadChannelSpan(int32_t number, int32_t consumed, int32_t *length, SpanRead *read);
// Tells that span bytes from offset from on may have been changed in place. From the first
// such byte to the span's end the bytes are written back where they were read from, in one
// write that leaves the file pointer where the next read begins: before the buffer is read into
// again, and on a write, seek or close. Offsets outside the span are ignored.
void NoteSpanChange(int32_t number, int32_t from);
