/*
 * The process's standard output, for reports that a script, a log or a console reads.
 *
 * OpenStandardOutput finds it once: the handle the process was started with (a file or a pipe
 * it was redirected to, or a console), or else the console of the program that started it
 * (AttachConsole). Without either it returns 0, and every write does nothing: nothing is written
 * and nothing waits. Writes gather in a 4096-byte buffer that goes out when it is full and at
 * FlushStandardOutput, so a long report streams out in pieces and none is kept. The bytes are
 * UTF-8: to a file or a pipe they go out as they are, to a console as UTF-16 (WriteConsoleW),
 * so that every script reads right whatever the console's code page. A failed write is not
 * reported: a closed pipe ends the output, not the work. One thread only.
 */
#pragma once

#include <cstdint>

int32_t OpenStandardOutput(); // 1 when there is a standard output
void WriteOutput(const char *text);
void WriteOutputBytes(const char *bytes, int32_t length);
void WriteOutputNumber(int64_t value); // decimal
void FlushStandardOutput();
