// The platform layer on Windows: heaps, files, the command line, the standard streams.
#include "runtime/platform.h"

#include "runtime/arguments.h"
#include "runtime/registry.h"
#include "runtime/strings.h"
#include "runtime/wide_text.h"

#include <windows.h>

#include <cstring>

PlatformHeap CreatePlatformHeap(size_t initialSize) {
    return HeapCreate(0, initialSize, 0);
}

void DestroyPlatformHeap(PlatformHeap heap) {
    if (heap) HeapDestroy(heap);
}

void *AllocatePlatformBlock(PlatformHeap heap, size_t size) {
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
}

void *ResizePlatformBlock(PlatformHeap heap, void *block, size_t, size_t newSize) {
    if (!block) return HeapAlloc(heap, HEAP_ZERO_MEMORY, newSize);
    return HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, newSize);
}

void FreePlatformBlock(PlatformHeap heap, void *block) {
    if (block) HeapFree(heap, 0, block);
}

void EndProcess(uint32_t exitCode) {
    ExitProcess(exitCode);
}

// ---- Files ----

namespace {

HANDLE CreateFor(const wchar_t *name, Opening opening) {
    constexpr DWORD READ_WRITE = GENERIC_READ | GENERIC_WRITE;
    constexpr DWORD NORMAL = FILE_ATTRIBUTE_NORMAL;
    switch (opening) {
    case OPENING_READ:
        return CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, NORMAL,
                           nullptr);
    case OPENING_READ_SHARED:
        return CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, NORMAL, nullptr);
    case OPENING_READ_WRITE:
        return CreateFileW(name, READ_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, NORMAL,
                           nullptr);
    case OPENING_NEW: {
        HANDLE handle = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return handle;
        return CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING, 0,
                           nullptr);
    }
    case OPENING_EXCLUSIVE:
        return CreateFileW(name, READ_WRITE, 0, nullptr, OPEN_EXISTING, NORMAL, nullptr);
    case OPENING_UPDATE:
        // A read-only file is refused here too: Windows refuses it, but a process running with
        // full rights on a system that only emulates the attribute would get write access.
        if (DWORD attributes = GetFileAttributesW(name);
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            SetLastError(ERROR_FILE_READ_ONLY);
            return INVALID_HANDLE_VALUE;
        }
        return CreateFileW(name, READ_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, NORMAL,
                           nullptr);
    }
    return INVALID_HANDLE_VALUE;
}

// Why the open of name failed, from the system's code: a folder and a read-only file are
// refused as "access denied", which is told apart here.
uint32_t OpenFailure(const wchar_t *name) {
    DWORD code = GetLastError();
    DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || code == ERROR_SHARING_VIOLATION) return code;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_DIRECTORY;
    if (code == ERROR_ACCESS_DENIED && (attributes & FILE_ATTRIBUTE_READONLY))
        return ERROR_FILE_READ_ONLY;
    return code ? code : ERROR_GEN_FAILURE;
}

HANDLE HandleOf(PlatformFile file) {
    return reinterpret_cast<HANDLE>(file);
}

uint32_t LastFailure() {
    DWORD code = GetLastError();
    return code ? code : ERROR_GEN_FAILURE;
}

} // namespace

PlatformFile OpenPlatformFile(const char *path, Opening opening, uint32_t *failure) {
    WideText name;
    name.FromPath(path);
    if (name.Length() == 0) {
        *failure = ERROR_PATH_NOT_FOUND;
        return 0;
    }
    HANDLE handle = CreateFor(name.Get(), opening);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        *failure = OpenFailure(name.Get());
        return 0;
    }
    return reinterpret_cast<PlatformFile>(handle);
}

int32_t ReadPlatformFile(PlatformFile file, void *destination, int32_t length, uint32_t *failure) {
    DWORD got = 0;
    if (!ReadFile(HandleOf(file), destination, static_cast<DWORD>(length), &got, nullptr)) {
        *failure = LastFailure();
        return -1;
    }
    return static_cast<int32_t>(got);
}

int32_t WritePlatformFile(PlatformFile file, const void *source, int32_t length,
                          uint32_t *failure) {
    DWORD written = 0;
    if (!WriteFile(HandleOf(file), source, static_cast<DWORD>(length), &written, nullptr)) {
        *failure = LastFailure();
        return -1;
    }
    if (written == 0 && length > 0) { // nothing taken: no room left
        *failure = ERROR_DISK_FULL;
        return -1;
    }
    return static_cast<int32_t>(written);
}

// One step back, and writes that end where the file pointer was (the benchmark counts both).
int32_t WriteBehindPlatformFile(PlatformFile file, const void *source, int32_t length, int64_t,
                                uint32_t *failure) {
    MovePlatformFile(file, -static_cast<int64_t>(length), MOVE_FROM_HERE);
    const auto *bytes = static_cast<const char *>(source);
    int32_t done = 0;
    while (done < length) {
        int32_t written = WritePlatformFile(file, bytes + done, length - done, failure);
        if (written < 0) {
            MovePlatformFile(file, length - done, MOVE_FROM_HERE);
            return -1;
        }
        done += written;
    }
    return done;
}

// One SetFilePointer (which the benchmark counts): the new position, or -1.
int64_t MovePlatformFile(PlatformFile file, int64_t distance, MoveFrom from) {
    LONG high = static_cast<LONG>(distance >> 32);
    SetLastError(NO_ERROR); // a low half with all bits set is also a position
    DWORD low = SetFilePointer(HandleOf(file), static_cast<LONG>(distance & 0xFFFFFFFF), &high,
                               from == MOVE_FROM_START ? FILE_BEGIN : FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
    return (static_cast<int64_t>(high) << 32) | low;
}

uint32_t ClosePlatformFile(PlatformFile file) {
    return CloseHandle(HandleOf(file)) ? 0 : LastFailure();
}

FailureKind ClassifyFailure(uint32_t code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return FAILURE_NOT_FOUND;
    case ERROR_DIRECTORY: return FAILURE_FOLDER;
    case ERROR_FILE_READ_ONLY:
    case ERROR_WRITE_PROTECT: return FAILURE_READ_ONLY;
    case ERROR_ACCESS_DENIED: return FAILURE_ACCESS_DENIED;
    case ERROR_SHARING_VIOLATION: return FAILURE_IN_USE;
    case ERROR_LOCK_VIOLATION: return FAILURE_LOCKED;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return FAILURE_PATH_TOO_LONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FAILURE_DISK_FULL;
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NETWORK_UNREACHABLE: return FAILURE_NETWORK_GONE;
    default: return FAILURE_OTHER;
    }
}

// The system's message for code in the user's language, without its line end and full stop.
char *FailureText(uint32_t code, int32_t resultStart) {
    wchar_t message[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, message, 512, nullptr);
    if (length >= 512) length = 0;
    while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' ||
                          message[length - 1] == ' ' || message[length - 1] == '.'))
        --length;
    for (DWORD i = 0; i < length; ++i)
        if (message[i] == '\r' || message[i] == '\n') message[i] = ' ';
    return Utf8FromWide(message, static_cast<int32_t>(length), resultStart);
}

// ---- Arguments ----

namespace {

char *commandLine = nullptr; // owned, main heap: the command line in UTF-8, once asked for

// The command line comes from the system in UTF-16 and is kept in UTF-8, which splits by the
// same rules: blanks and quotes are single bytes that no longer character contains. Taken at
// the first call, once the string library stands.
const char *CommandLine() {
    if (commandLine) return commandLine;
    WorkspaceScope scope;
    const char *line = Utf8FromWide(GetCommandLineW(), -1, scope.Start());
    size_t size = static_cast<size_t>(StringLength(line)) + 1;
    commandLine = static_cast<char *>(MainHeapAlloc(size));
    std::memcpy(commandLine, line, size);
    return commandLine;
}

} // namespace

void SetPlatformArguments(int, char **) {}

int32_t PlatformArgumentCount() {
    return CountTokens(CommandLine());
}

bool PlatformArgument(int32_t index, const char **text, int32_t *length) {
    return FindToken(CommandLine(), index, text, length);
}

// ---- The standard streams ----

namespace {

struct Stream {
    HANDLE handle; // borrowed from the process, or opened on the attached console
    bool looked;
    bool console; // takes UTF-16 (WriteConsoleW)
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
    auto *copy = static_cast<char *>(MainHeapAlloc(static_cast<size_t>(length) + 1));
    std::memcpy(copy, bytes, static_cast<size_t>(length));
    WideText text;
    text.FromUtf8(copy);
    MainHeapFree(copy);
    DWORD written = 0;
    return WriteConsoleW(console, text.Get(), static_cast<DWORD>(text.Length()), &written,
                         nullptr) != 0;
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

int32_t WritePlatformStream(intptr_t kind, const char *bytes, int32_t length, bool all) {
    const Stream &stream = streams[kind == STREAM_ERROR ? 1 : 0];
    if (!stream.handle) return -1;
    if (stream.console) {
        int32_t whole = all ? length : WholeSequences(bytes, length);
        if (whole > 0 && !WriteConsoleBytes(stream.handle, bytes, whole)) return -1;
        return whole;
    }
    int32_t done = 0;
    while (done < length) {
        DWORD written = 0;
        if (!WriteFile(stream.handle, bytes + done, static_cast<DWORD>(length - done), &written,
                       nullptr) ||
            written == 0)
            return -1;
        done += static_cast<int32_t>(written);
    }
    return done;
}
