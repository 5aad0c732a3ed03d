// SPDX-License-Identifier: MIT
#include "runtime/standard_output.h"

#include "runtime/platform.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// As large as a file channel's: a long report goes out in as few writes as a file is read in.
constexpr int32_t OUTPUT_BUFFER_SIZE = FILE_BUFFER_SIZE;

// The report's stream and the errors' stream, each with its own buffer.
struct Output {
    intptr_t stream; // from the platform, 0 when the process has none
    bool looked;
    bool broken;      // a write failed: nothing more goes out
    uint32_t failure; // the code of that write's failure
    int32_t pending;
    char buffer[OUTPUT_BUFFER_SIZE];
};
Output outputs[2] = {};

Output &Of(StreamKind kind) {
    return outputs[kind == STREAM_ERROR ? 1 : 0];
}

// Writes the pending bytes; a console may keep the start of a cut character back, unless all
// is to go.
void WritePending(Output &output, bool all) {
    if (!output.stream || output.pending == 0) return;
    int32_t taken = output.broken ? output.pending
                                  : WritePlatformStream(output.stream, output.buffer,
                                                        output.pending, all, &output.failure);
    if (taken < 0) {
        output.broken = true;
        taken = output.pending;
    }
    if (taken < output.pending)
        std::memmove(output.buffer, output.buffer + taken,
                     static_cast<size_t>(output.pending - taken));
    output.pending -= taken;
}

} // namespace

int32_t OpenStandardOutput(StreamKind kind) {
    Output &output = Of(kind);
    if (!output.looked) {
        output.looked = true;
        output.stream = OpenPlatformStream(kind);
    }
    return output.stream ? 1 : 0;
}

void WriteOutputBytes(const char *bytes, int32_t length, StreamKind kind) {
    Output &output = Of(kind);
    if (!output.stream || output.broken || !bytes) return;
    while (length > 0) {
        int32_t room = OUTPUT_BUFFER_SIZE - output.pending;
        int32_t part = length < room ? length : room;
        std::memcpy(output.buffer + output.pending, bytes, static_cast<size_t>(part));
        output.pending += part;
        bytes += part;
        length -= part;
        if (output.pending == OUTPUT_BUFFER_SIZE) WritePending(output, false);
    }
}

char *OutputRoom(int32_t length, StreamKind kind) {
    Output &output = Of(kind);
    if (!output.stream || output.broken || length < 0 || length > OUTPUT_BUFFER_SIZE)
        return nullptr;
    if (OUTPUT_BUFFER_SIZE - output.pending < length) WritePending(output, false);
    if (OUTPUT_BUFFER_SIZE - output.pending < length) return nullptr; // a console kept too much
    return output.buffer + output.pending;
}

void OutputFilled(int32_t length, StreamKind kind) {
    Output &output = Of(kind);
    output.pending += length;
    if (output.pending == OUTPUT_BUFFER_SIZE) WritePending(output, false);
}

void WriteOutput(const char *text, StreamKind kind) {
    WriteOutputBytes(text, StringLength(text), kind);
}

void WriteOutputNumber(int64_t value, StreamKind kind) {
    char digits[DECIMAL_TEXT_SIZE];
    WriteOutputBytes(digits, FormatDecimal(value, digits), kind);
}

void FlushStandardOutput(StreamKind kind) {
    WritePending(Of(kind), true);
}

uint32_t StandardOutputFailure(StreamKind kind) {
    return Of(kind).broken ? Of(kind).failure : 0;
}
