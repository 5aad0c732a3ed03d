// SPDX-License-Identifier: MIT
// The platform layer on Windows: heaps, files, the command line, the standard streams, and
// the conversion between UTF-8 and UTF-16 that paths take. What it allocates for itself comes
// from the process heap.
#include "runtime/platform.h"

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

// ---- UTF-8 and UTF-16 ----

namespace {

constexpr uint32_t REPLACEMENT = 0xFFFD;

// The code point of the sequence at p and its byte count. A lone surrogate's three bytes are
// taken like any other three-byte sequence. A byte that starts no sequence (also the zero byte
// inside one) gives U+FFFD and counts 1, so that nothing behind a zero byte is read.
uint32_t DecodeUtf8(const unsigned char *p, int32_t *size) {
    unsigned char lead = p[0];
    *size = 1;
    if (lead < 0x80) return lead;
    int32_t count = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (count == 0) return REPLACEMENT;
    uint32_t value = lead & (0x7Fu >> count);
    for (int32_t i = 1; i < count; ++i) {
        if ((p[i] & 0xC0) != 0x80) return REPLACEMENT;
        value = (value << 6) | (p[i] & 0x3Fu);
    }
    const uint32_t smallest = count == 2 ? 0x80 : count == 3 ? 0x800 : 0x10000;
    if (value < smallest || value > 0x10FFFF) return REPLACEMENT; // overlong or beyond Unicode
    *size = count;
    return value;
}

} // namespace

int32_t Utf16FromUtf8(const char *text, wchar_t *out) {
    const auto *p = reinterpret_cast<const unsigned char *>(text ? text : "");
    int32_t units = 0;
    while (*p) {
        int32_t size = 0;
        uint32_t value = DecodeUtf8(p, &size);
        p += size;
        if (value >= 0x10000) {
            if (out) {
                out[units] = static_cast<wchar_t>(0xD800 + ((value - 0x10000) >> 10));
                out[units + 1] = static_cast<wchar_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
            }
            units += 2;
        } else {
            if (out) out[units] = static_cast<wchar_t>(value);
            units += 1;
        }
    }
    return units;
}

// A surrogate without its partner is written as if it were a character of its own.
int64_t Utf8FromUtf16(const wchar_t *text, int32_t units, char *out) {
    int64_t bytes = 0;
    for (int32_t i = 0; i < units; ++i) {
        uint32_t value = static_cast<uint16_t>(text[i]);
        if (value >= 0xD800 && value < 0xDC00 && i + 1 < units) {
            uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        int32_t size = value < 0x80 ? 1 : value < 0x800 ? 2 : value < 0x10000 ? 3 : 4;
        if (out) {
            char *at = out + bytes;
            if (size == 1) {
                at[0] = static_cast<char>(value);
            } else {
                static const unsigned char LEAD[] = {0, 0, 0xC0, 0xE0, 0xF0};
                for (int32_t k = size - 1; k > 0; --k, value >>= 6)
                    at[k] = static_cast<char>(0x80 | (value & 0x3F));
                at[0] = static_cast<char>(LEAD[size] | value);
            }
        }
        bytes += size;
    }
    return bytes;
}

namespace {

void *ProcessAlloc(size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void ProcessFree(void *block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

// A path in UTF-16 for the file calls, in a process-heap block that it frees, as it was given;
// Lengthen makes it, when its absolute form (GetFullPathNameW) is MAX_PATH characters or longer,
// that with the prefix \\?\ (or \\?\UNC\ for a share), which lifts the limit. Null when out
// of memory.
class PathName {
  public:
    explicit PathName(const char *path);
    PathName(const PathName &) = delete;
    PathName &operator=(const PathName &) = delete;
    ~PathName() { ProcessFree(text_); }
    const wchar_t *Get() const { return text_; }
    int32_t Length() const { return length_; }
    void Lengthen();

  private:
    wchar_t *text_ = nullptr; // owned, process heap
    int32_t length_ = 0;
};

PathName::PathName(const char *path) {
    int32_t units = Utf16FromUtf8(path, nullptr);
    text_ = static_cast<wchar_t *>(ProcessAlloc((static_cast<size_t>(units) + 1) * 2));
    if (!text_) return;
    Utf16FromUtf8(path, text_);
    text_[units] = 0;
    length_ = units;
}

void PathName::Lengthen() {
    if (length_ == 0) return;
    DWORD size = GetFullPathNameW(text_, 0, nullptr, nullptr); // with its zero
    if (size <= MAX_PATH) return;
    constexpr DWORD PREFIX = 8; // \\?\UNC\ is the longer prefix
    auto *full = static_cast<wchar_t *>(ProcessAlloc((size + PREFIX) * sizeof(wchar_t)));
    if (!full) return;
    DWORD got = GetFullPathNameW(text_, size, full + PREFIX, nullptr);
    const wchar_t *name = full + PREFIX;
    bool device = name[0] == '\\' && name[1] == '\\' && (name[2] == '?' || name[2] == '.');
    if (got == 0 || got >= size || device) {
        ProcessFree(full);
        return;
    }
    wchar_t *start = full + 4;
    const wchar_t *prefix = L"\\\\?\\";
    if (name[0] == '\\' && name[1] == '\\') { // \\server\share: its two backslashes go
        start = full + 2;
        prefix = L"\\\\?\\UNC\\";
    }
    for (int32_t i = 0; prefix[i]; ++i)
        start[i] = prefix[i];
    length_ = static_cast<int32_t>(got + (full + PREFIX - start));
    for (int32_t i = 0; i <= length_; ++i) // the text starts at the block's start
        full[i] = start[i];
    ProcessFree(text_);
    text_ = full;
}

wchar_t Lower(wchar_t c) {
    return c >= 'A' && c <= 'Z' ? static_cast<wchar_t>(c - 'A' + 'a') : c;
}

// Whether text starts with pattern (is pattern, when whole): letters in either case, a backslash
// for either slash, and '#' for a device's number: 1 to 9, or superscript 1, 2 or 3.
bool Like(const wchar_t *text, const wchar_t *pattern, bool whole) {
    for (; *pattern; ++text, ++pattern) {
        wchar_t c = *text;
        bool same = *pattern == '\\' ? c == '\\' || c == '/'
                    : *pattern == '#'
                        ? (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3
                        : Lower(c) == *pattern;
        if (!same) return false;
    }
    return !whole || *text == 0;
}

// Whether a path on a server, from the server's name on, is on its share PIPE or MAILSLOT.
bool PipeShare(const wchar_t *server) {
    static const wchar_t *const SHARES[] = {L"\\pipe", L"\\mailslot"};
    while (*server && *server != '\\' && *server != '/')
        ++server;
    for (const wchar_t *share : SHARES) {
        if (!Like(server, share, false)) continue;
        wchar_t after = server[lstrlenW(share)];
        if (after == 0 || after == '\\' || after == '/') return true;
    }
    return false;
}

// Whether a path reaches a device rather than a file, as Windows 10 and 11 read paths:
// - \\?\ written with backslashes hands the rest to the system as it is: a path on a drive
//   (X:\...) or a share (UNC\...) there holds files whatever their names; anything else, such as
//   GLOBALROOT, a volume (\\?\Volume{...}, \\?\C:) or a disk, is a device;
// - the device namespaces \\.\ and \??\, and \\?\ with a forward slash (the system reads it as
//   \\.\), either slash counting in them, reach pipes, ports, disks and the like;
// - in any other path the last name is a device, in any folder, when what comes before its
//   first "." or ":", without the blanks at its end, is a device name: CON, PRN, AUX, NUL, COM
//   and LPT with a number, CONIN$ or CONOUT$;
// - on a share (\\server\share\..., also behind \\?\UNC\), the shares PIPE and MAILSLOT are
//   a server's named pipes and mailslots, not files.
bool NamesDevice(const wchar_t *path, int32_t length) {
    static const wchar_t *const NAMESPACES[] = {L"\\\\.\\", L"\\\\?\\", L"\\??\\"};
    static const wchar_t *const DEVICES[] = {L"con",  L"prn",  L"aux",    L"nul",
                                             L"com#", L"lpt#", L"conin$", L"conout$"};
    if (path[0] == '\\' && path[1] == '\\' && path[2] == '?' && path[3] == '\\') {
        const wchar_t *rest = path + 4;
        bool drive = ((rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z')) &&
                     rest[1] == ':' && rest[2] == '\\' && rest[3] != 0;
        if (Like(rest, L"unc\\", false)) return PipeShare(rest + 4);
        return !drive;
    }
    for (const wchar_t *space : NAMESPACES)
        if (Like(path, space, false)) return true;
    if (Like(path, L"\\\\", false) && PipeShare(path + 2)) return true;
    int32_t start = length;
    while (start > 0 && path[start - 1] != '\\' && path[start - 1] != '/')
        --start;
    if (start == 0 && length >= 2 && path[1] == ':')
        start = 2; // X:name, on a drive's current folder
    int32_t end = start;
    while (end < length && path[end] != '.' && path[end] != ':')
        ++end;
    while (end > start && path[end - 1] == ' ')
        --end;
    if (end - start < 3 || end - start > 7) return false;
    wchar_t base[8] = {};
    for (int32_t i = start; i < end; ++i)
        base[i - start] = path[i];
    for (const wchar_t *device : DEVICES)
        if (Like(base, device, true)) return true;
    return false;
}

// A handle is a regular file when it is one on a disk: not a console, pipe or character device,
// and not a folder, volume or disk itself (which have no file's standard information, or have
// it marked as a folder).
bool IsRegularFile(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) return false;
    return (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

} // namespace

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
    PathName name(path);
    if (!name.Get() || name.Length() == 0) {
        *failure = name.Get() ? ERROR_PATH_NOT_FOUND : ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    // A device is refused by its name as given, before an open that could wait on it (COM1) or
    // be answered by it (NUL), and before a long path's \\?\ takes its names literally.
    if (NamesDevice(name.Get(), name.Length())) {
        *failure = FAILURE_CODE_NOT_REGULAR;
        return 0;
    }
    name.Lengthen();
    HANDLE handle = CreateFor(name.Get(), opening);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        *failure = OpenFailure(name.Get());
        return 0;
    }
    if (!IsRegularFile(handle)) {
        CloseHandle(handle);
        *failure = FAILURE_CODE_NOT_REGULAR;
        return 0;
    }
    return reinterpret_cast<PlatformFile>(handle);
}

int64_t PlatformFileSize(PlatformFile file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(HandleOf(file), &size) ? size.QuadPart : -1;
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
// A step back that fails writes nothing; a write that fails leaves the file pointer where it
// was before the bytes were written, as far as it can.
int32_t WriteBehindPlatformFile(PlatformFile file, const void *source, int32_t length, int64_t,
                                uint32_t *failure) {
    if (MovePlatformFile(file, -static_cast<int64_t>(length), MOVE_FROM_HERE, failure) < 0)
        return -1;
    const auto *bytes = static_cast<const char *>(source);
    int32_t done = 0;
    while (done < length) {
        int32_t written = WritePlatformFile(file, bytes + done, length - done, failure);
        if (written < 0) {
            uint32_t ignored = 0;
            MovePlatformFile(file, length - done, MOVE_FROM_HERE, &ignored);
            return -1;
        }
        done += written;
    }
    return done;
}

// One SetFilePointer (which the benchmark counts): the new position, or -1.
int64_t MovePlatformFile(PlatformFile file, int64_t distance, MoveFrom from, uint32_t *failure) {
    LONG high = static_cast<LONG>(distance >> 32);
    SetLastError(NO_ERROR); // a low half with all bits set is also a position
    DWORD low = SetFilePointer(HandleOf(file), static_cast<LONG>(distance & 0xFFFFFFFF), &high,
                               from == MOVE_FROM_START ? FILE_BEGIN : FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        *failure = LastFailure();
        return -1;
    }
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
    case FAILURE_CODE_NOT_REGULAR: return FAILURE_NOT_REGULAR;
    case FAILURE_CODE_CHANGED: return FAILURE_CHANGED;
    default: return FAILURE_OTHER;
    }
}

// The system's message for code in the user's language, without its line end and full stop.
int32_t FailureText(uint32_t code, char *text, int32_t capacity) {
    wchar_t message[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, message, 512, nullptr);
    if (length >= 512) length = 0;
    while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' ||
                          message[length - 1] == ' ' || message[length - 1] == '.'))
        --length;
    for (DWORD i = 0; i < length; ++i)
        if (message[i] == '\r' || message[i] == '\n') message[i] = ' ';
    auto units = static_cast<int32_t>(length);
    while (units > 0 && Utf8FromUtf16(message, units, nullptr) >= capacity) // whole characters
        --units;
    int64_t bytes = capacity > 0 ? Utf8FromUtf16(message, units, text) : 0;
    if (capacity > 0) text[bytes] = 0;
    return static_cast<int32_t>(bytes);
}

// ---- Arguments ----

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

// ---- Stamps ----

bool PlatformFileStamp(PlatformFile file, FileStamp *stamp) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(HandleOf(file), &information)) return false;
    *stamp = {static_cast<int64_t>(information.nFileSizeHigh) << 32 | information.nFileSizeLow,
              static_cast<int64_t>(information.ftLastWriteTime.dwHighDateTime) << 32 |
                  information.ftLastWriteTime.dwLowDateTime,
              0, information.dwVolumeSerialNumber,
              static_cast<uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
    return true;
}
