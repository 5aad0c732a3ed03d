#include "runtime/standard_output.h"

#include "runtime/strings.h"
#include "runtime/wide_text.h"

#include <windows.h>

namespace {

constexpr int32_t OUTPUT_BUFFER_SIZE = 4096;

HANDLE output = nullptr; // borrowed from the process, or opened on the attached console
bool looked = false;
bool console = false; // output is a console, which takes UTF-16
bool broken = false;  // a write failed: the reader is gone
int32_t pending = 0;
char buffer[OUTPUT_BUFFER_SIZE + 1]; // with room for a zero behind the pending bytes

bool Usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// How many of the length bytes end with a whole UTF-8 sequence: a sequence cut at the end of the
// buffer waits for its other bytes.
int32_t WholeSequences(const char *bytes, int32_t length) {
    for (int32_t back = 1; back <= 3 && back <= length; ++back) {
        auto byte = static_cast<unsigned char>(bytes[length - back]);
        if (byte < 0x80) return length;
        if (byte < 0xC0) continue; // a continuation byte
        int32_t size = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        return size > back ? length - back : length;
    }
    return length;
}

// The first length bytes of the buffer, UTF-8, to the console as UTF-16.
void WriteConsoleText(int32_t length) {
    char kept = buffer[length];
    buffer[length] = 0;
    WideText text;
    text.FromUtf8(buffer);
    buffer[length] = kept;
    DWORD written = 0;
    if (!WriteConsoleW(output, text.Get(), static_cast<DWORD>(text.Length()), &written, nullptr))
        broken = true;
}

void WriteAll(const char *bytes, int32_t length) {
    while (length > 0 && !broken) {
        DWORD written = 0;
        if (!WriteFile(output, bytes, static_cast<DWORD>(length), &written, nullptr) ||
            written == 0) {
            broken = true;
            return;
        }
        bytes += written;
        length -= static_cast<int32_t>(written);
    }
}

// Writes the pending bytes; to a console only whole sequences, unless all is to go.
void WritePending(bool all) {
    if (!output || pending == 0) return;
    if (!console) {
        WriteAll(buffer, pending);
        pending = 0;
        return;
    }
    int32_t whole = all ? pending : WholeSequences(buffer, pending);
    if (whole > 0 && !broken) WriteConsoleText(whole);
    for (int32_t i = whole; i < pending; ++i)
        buffer[i - whole] = buffer[i];
    pending -= whole;
}

} // namespace

// A program of the windows subsystem started from a console gets no handles of its own; it
// writes to that console once attached to it.
int32_t OpenStandardOutput() {
    if (!looked) {
        looked = true;
        HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
        if (Usable(given)) {
            output = given;
        } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            HANDLE attached =
                CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (Usable(attached)) output = attached;
        }
        DWORD mode = 0;
        console = output && GetConsoleMode(output, &mode);
    }
    return output ? 1 : 0;
}

void WriteOutputBytes(const char *bytes, int32_t length) {
    if (!output || broken || !bytes) return;
    while (length > 0) {
        int32_t room = OUTPUT_BUFFER_SIZE - pending;
        int32_t part = length < room ? length : room;
        for (int32_t i = 0; i < part; ++i)
            buffer[pending + i] = bytes[i];
        pending += part;
        bytes += part;
        length -= part;
        if (pending == OUTPUT_BUFFER_SIZE) WritePending(false);
    }
}

void WriteOutput(const char *text) {
    WriteOutputBytes(text, StringLength(text));
}

void WriteOutputNumber(int64_t value) {
    char digits[DECIMAL_TEXT_SIZE];
    WriteOutputBytes(digits, FormatDecimal(value, digits));
}

void FlushStandardOutput() {
    WritePending(true);
}
