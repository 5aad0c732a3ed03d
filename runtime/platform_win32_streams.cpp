// SPDX-License-Identifier: MIT
// The platform layer on Windows, its process: the command line and the standard streams.
#include "runtime/platform.h"
#include "runtime/platform_win32.h"

#include <windows.h>

#include <cstring>

namespace {
char *commandLine = nullptr; // owned, process heap: the command line in UTF-8, once asked for
} // namespace

void SetPlatformArguments(int, char **) {}

int32_t PlatformArgumentCount() {
    return 0;
}

bool PlatformArgument(int32_t, const char **, int32_t *) {
    return false;
}

// The command line comes from the system in UTF-16 and is kept in UTF-8, which splits by the
// same rules: blanks and quotes are single bytes that no longer character contains.
const char *PlatformCommandLine() {
    if (commandLine) return commandLine;
    const wchar_t *line = GetCommandLineW();
    int32_t units = 0;
    while (line[units])
        ++units;
    int64_t bytes = Utf8FromUtf16(line, units, nullptr);
    commandLine = static_cast<char *>(ProcessAlloc(static_cast<size_t>(bytes) + 1));
    if (!commandLine) return "";
    Utf8FromUtf16(line, units, commandLine);
    commandLine[bytes] = 0;
    return commandLine;
}

// ---- The standard streams ----

namespace {

struct Stream {
    HANDLE handle; // borrowed from the process, or opened on the attached console
    bool looked;
    bool console; // takes UTF-16 (WriteConsoleW)
    bool written; // a write went through
};
Stream streams[2] = {};

bool Usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// How many of the length bytes end with a whole UTF-8 sequence: a sequence cut at the end
// waits for its other bytes.
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

bool WriteConsoleBytes(HANDLE console, const char *bytes, int32_t length) {
    auto *copy = static_cast<char *>(ProcessAlloc(static_cast<size_t>(length) + 1));
    auto *text = static_cast<wchar_t *>(ProcessAlloc((static_cast<size_t>(length) + 1) * 2));
    bool written = false;
    if (copy && text) {
        std::memcpy(copy, bytes, static_cast<size_t>(length));
        copy[length] = 0;
        DWORD units = static_cast<DWORD>(Utf16FromUtf8(copy, text)), done = 0;
        written = WriteConsoleW(console, text, units, &done, nullptr) != 0;
    }
    ProcessFree(copy);
    ProcessFree(text);
    return written;
}

} // namespace

// A program of the windows subsystem started from a console gets no handles of its own; it
// writes to that console once attached to it.
intptr_t OpenPlatformStream(StreamKind kind) {
    Stream &stream = streams[kind == STREAM_ERROR ? 1 : 0];
    if (!stream.looked) {
        stream.looked = true;
        HANDLE given = GetStdHandle(kind == STREAM_ERROR ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
        if (Usable(given)) {
            stream.handle = given;
        } else if (AttachConsole(ATTACH_PARENT_PROCESS) || GetConsoleWindow()) {
            HANDLE attached =
                CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (Usable(attached)) stream.handle = attached;
        }
        DWORD mode = 0;
        stream.console = stream.handle && GetConsoleMode(stream.handle, &mode);
    }
    return stream.handle ? kind : 0;
}

int32_t WritePlatformStream(intptr_t kind, const char *bytes, int32_t length, bool all,
                            uint32_t *failure) {
    Stream &stream = streams[kind == STREAM_ERROR ? 1 : 0];
    *failure = ERROR_INVALID_HANDLE;
    if (!stream.handle) return length; // no stream (below): the bytes are dropped
    if (stream.console) {
        int32_t whole = all ? length : WholeSequences(bytes, length);
        if (whole > 0 && !WriteConsoleBytes(stream.handle, bytes, whole)) {
            *failure = LastFailure();
            return -1;
        }
        return whole;
    }
    int32_t done = 0;
    while (done < length) {
        DWORD written = 0;
        if (!WriteFile(stream.handle, bytes + done, static_cast<DWORD>(length - done), &written,
                       nullptr)) {
            *failure = LastFailure();
            // A handle that was never a stream (as Wine gives a program started with that
            // descriptor closed): no stream, as when there is none, and nothing written.
            if (*failure == ERROR_INVALID_HANDLE && !stream.written) {
                stream.handle = nullptr;
                return length;
            }
            return -1;
        }
        stream.written = true;
        if (written == 0) {
            *failure = ERROR_DISK_FULL;
            return -1;
        }
        done += static_cast<int32_t>(written);
    }
    return done;
}

bool ReaderGone(uint32_t code) {
    return code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE;
}
