// SPDX-License-Identifier: MIT
/*
 * The process's standard output and error, for reports that a script, a log or a console reads.
 *
 * OpenStandardOutput finds a stream once (runtime/platform.h): on Windows the handle the process
 * was started with (a file or a pipe it was redirected to, or a console), or else the console of
 * the program that started it. Without one it returns 0, and every write to it does nothing:
 * nothing is written and nothing waits. Writes gather in a buffer per stream (FILE_BUFFER_SIZE,
 * runtime/platform.h) that goes out when it is full and at FlushStandardOutput, so a long report
 * streams out in large pieces and none is kept. A line can also be made in the buffer itself:
 * OutputRoom gives room for length bytes (null when nothing goes to the stream, or when length
 * is more than the buffer holds), and OutputFilled hands over the bytes put there. The bytes are
 * UTF-8: to a file or a pipe they go out as they are, to a Windows console as UTF-16, so that every
 * script reads right whatever the console's code page. A failed write ends the output, not the
 * work: nothing more goes to that stream, and StandardOutputFailure gives the failure's code
 * (runtime/platform.h; 0 while every write went out), for the caller to report. One thread only.
 */
#pragma once

#include "runtime/platform.h"

#include <cstdint>

int32_t OpenStandardOutput(StreamKind kind = STREAM_OUTPUT); // 1 when there is such a stream
void WriteOutput(const char *text, StreamKind kind = STREAM_OUTPUT);
void WriteOutputBytes(const char *bytes, int32_t length, StreamKind kind = STREAM_OUTPUT);
void WriteOutputNumber(int64_t value, StreamKind kind = STREAM_OUTPUT); // decimal
char *OutputRoom(int32_t length, StreamKind kind = STREAM_OUTPUT);
void OutputFilled(int32_t length, StreamKind kind = STREAM_OUTPUT);
void FlushStandardOutput(StreamKind kind = STREAM_OUTPUT);
uint32_t StandardOutputFailure(StreamKind kind = STREAM_OUTPUT);
