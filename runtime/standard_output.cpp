#include "runtime/standard_output.h"

#include "runtime/strings.h"

#include <windows.h>

namespace {

constexpr int32_t OUTPUT_BUFFER_SIZE = 4096;

HANDLE output = nullptr; // borrowed from the process, or opened on the attached console
bool looked = false;
bool broken = false; // a write failed: the reader is gone
int32_t pending = 0;
char buffer[OUTPUT_BUFFER_SIZE];

bool Usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
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
            HANDLE console =
                CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (Usable(console)) output = console;
        }
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
        if (pending == OUTPUT_BUFFER_SIZE) FlushStandardOutput();
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
    if (output && pending > 0) WriteAll(buffer, pending);
    pending = 0;
}
