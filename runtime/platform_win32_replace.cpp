// SPDX-License-Identifier: MIT
// The platform layer on Windows, a new version of a file: made beside the file it replaces under
// a name of the program's own, marked to go with its handle until it is complete, then put in
// the old one's place.
#include "runtime/platform.h"
#include "runtime/platform_win32.h"

#include "runtime/device_names.h"

#include <windows.h>

namespace {

// The name of the new version under way (UTF-8, process heap); null when there is none.
char *replacementName = nullptr;

void ForgetName() {
    ProcessFree(replacementName);
    replacementName = nullptr;
}

// Whether the file goes when its last handle is closed: so it is while it is being made, and a
// process that ends before it is complete (killed, too) leaves nothing behind.
bool GoesWithHandle(HANDLE handle, bool goes) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = goes ? TRUE : FALSE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

// ".checksumme-N.tmp" with its number behind the folder's part of path, into name (a block of
// folder + 32 bytes).
void NameBeside(const char *path, int32_t folder, int32_t n, char *name) {
    static constexpr char PREFIX[] = ".checksumme-", SUFFIX[] = ".tmp";
    for (int32_t i = 0; i < folder; ++i)
        name[i] = path[i];
    char *at = name + folder;
    for (int32_t i = 0; PREFIX[i]; ++i)
        *at++ = PREFIX[i];
    char digits[8];
    int32_t count = 0;
    for (int32_t left = n; left; left /= 10)
        digits[count++] = static_cast<char>('0' + left % 10);
    while (count > 0)
        *at++ = digits[--count];
    for (int32_t i = 0; i < static_cast<int32_t>(sizeof SUFFIX); ++i)
        *at++ = SUFFIX[i];
}

// Whether another program holds the file open so that it cannot be moved away: asked before
// the replacement, which on some systems leaves a file of its own behind when it fails so.
bool HeldOpen(const wchar_t *name) {
    HANDLE probe = CreateFileW(name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    return probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

// The first free name, or one that a process left behind: a name that no one holds open can be
// removed and is taken again (the program's own new files share no deleting).
PlatformFile BeginPlatformReplacement(const char *path, uint32_t *failure) {
    ForgetName();
    int32_t length = 0, folder = 0;
    for (; path[length]; ++length)
        if (path[length] == '/' || path[length] == '\\' || path[length] == ':') folder = length + 1;
    replacementName = static_cast<char *>(ProcessAlloc(static_cast<size_t>(folder) + 32));
    if (!replacementName) {
        *failure = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
    *failure = ERROR_FILE_EXISTS;
    for (int32_t n = 1; n < 1000000 && handle == INVALID_HANDLE_VALUE; ++n) {
        NameBeside(path, folder, n, replacementName);
        PathName name(replacementName);
        if (!name.Get()) {
            *failure = ERROR_NOT_ENOUGH_MEMORY;
            break;
        }
        name.Lengthen();
        handle = CreateFileW(name.Get(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                             nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
            DeleteFileW(name.Get()))
            handle = CreateFileW(name.Get(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) break;
        *failure = LastFailure();
        if (*failure != ERROR_FILE_EXISTS && *failure != ERROR_ACCESS_DENIED &&
            *failure != ERROR_SHARING_VIOLATION)
            break;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        ForgetName();
        return 0;
    }
    if (!GoesWithHandle(handle, true)) {
        *failure = LastFailure();
        CloseHandle(handle);
        uint32_t ignored = 0;
        DeletePlatformFile(replacementName, &ignored);
        ForgetName();
        return 0;
    }
    return reinterpret_cast<PlatformFile>(handle);
}

// Its bytes are flushed to the disk first, and it stays marked to go until the moment before
// the move. An existing file is replaced so that it keeps its rights and attributes; a new file
// keeps the rights its folder gave the new one, and MOVEFILE_WRITE_THROUGH returns only when the
// move is on the disk too.
bool EndPlatformReplacement(PlatformFile file, const char *path, PlatformFile, uint32_t *failure) {
    HANDLE handle = HandleOf(file);
    PathName source(replacementName ? replacementName : ""), target(path);
    bool done = source.Get() && target.Get();
    *failure = done ? 0 : ERROR_NOT_ENOUGH_MEMORY;
    if (done && NamesDevice(target.Get(), target.Length())) {
        *failure = FAILURE_CODE_NOT_REGULAR;
        done = false;
    }
    if (done && !(FlushFileBuffers(handle) && GoesWithHandle(handle, false))) {
        *failure = LastFailure();
        done = false;
    }
    if (!done) GoesWithHandle(handle, true);
    CloseHandle(handle);
    if (done) {
        source.Lengthen(true);
        target.Lengthen(true);
        // A program that holds the file open for a moment (a virus scanner, an indexer) is waited
        // for, up to 2 s.
        for (int32_t attempt = 0;; ++attempt) {
            bool existing = GetFileAttributesW(target.Get()) != INVALID_FILE_ATTRIBUTES;
            if (existing && HeldOpen(target.Get()))
                *failure = ERROR_SHARING_VIOLATION;
            else if (existing ? ReplaceFileW(target.Get(), source.Get(), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                              : MoveFileExW(source.Get(), target.Get(), MOVEFILE_WRITE_THROUGH))
                break;
            else
                *failure = LastFailure();
            bool held = *failure == ERROR_SHARING_VIOLATION || *failure == ERROR_LOCK_VIOLATION ||
                        *failure == ERROR_UNABLE_TO_REMOVE_REPLACED;
            if (!held || attempt == 20) {
                DeleteFileW(source.Get());
                done = false;
                break;
            }
            Sleep(100);
        }
    }
    ForgetName();
    return done;
}

void AbandonPlatformReplacement(PlatformFile file) {
    CloseHandle(HandleOf(file));
    ForgetName();
}
