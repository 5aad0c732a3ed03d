// SPDX-License-Identifier: MIT
// The platform layer on Windows, its files: paths in UTF-16 of any length, the opens that refuse
// what is no regular file, reads, writes, moves, failures in words, and stamps.
#include "runtime/platform.h"
#include "runtime/platform_win32.h"

#include "runtime/device_names.h"

#include <windows.h>

#include <cstring>

PathName::PathName(const char *path) {
    int32_t units = Utf16FromUtf8(path, nullptr);
    text_ = static_cast<wchar_t *>(ProcessAlloc((static_cast<size_t>(units) + 1) * 2));
    if (!text_) return;
    Utf16FromUtf8(path, text_);
    text_[units] = 0;
    length_ = units;
}

void PathName::Lengthen(bool absolute) {
    if (length_ == 0) return;
    DWORD size = GetFullPathNameW(text_, 0, nullptr, nullptr); // with its zero
    if (size <= MAX_PATH && !absolute) return;
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
    if (size <= MAX_PATH) { // short enough as it is
        start = full + PREFIX;
        prefix = L"";
    } else if (name[0] == '\\' && name[1] == '\\') { // \\server\share: its two backslashes go
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

namespace {

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

} // namespace

HANDLE HandleOf(PlatformFile file) {
    return reinterpret_cast<HANDLE>(file);
}

uint32_t LastFailure() {
    DWORD code = GetLastError();
    return code ? code : ERROR_GEN_FAILURE;
}

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

bool TruncatePlatformFile(PlatformFile file, int64_t size, uint32_t *failure) {
    LARGE_INTEGER at{};
    at.QuadPart = size;
    if (SetFilePointerEx(HandleOf(file), at, nullptr, FILE_BEGIN) && SetEndOfFile(HandleOf(file)))
        return true;
    *failure = LastFailure();
    return false;
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

// (Links on Windows are left to the system: a move replaces a link itself.)
bool FollowPlatformLinks(const char *path, char *out, int32_t capacity) {
    int32_t length = 0;
    while (path[length])
        ++length;
    if (length >= capacity) return false;
    for (int32_t i = 0; i <= length; ++i)
        out[i] = path[i];
    return true;
}

bool DeletePlatformFile(const char *path, uint32_t *failure) {
    PathName name(path);
    if (!name.Get()) {
        *failure = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    name.Lengthen();
    if (DeleteFileW(name.Get())) return true;
    *failure = LastFailure();
    return false;
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
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FAILURE_EXISTS;
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
