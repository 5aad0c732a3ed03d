// SPDX-License-Identifier: MIT
// The platform layer on Windows, a new version of a file: made beside the file it replaces under
// a name of the program's own, marked to go with its handle until it is complete, then renamed
// by that handle into the old one's place, with its rights and attributes.
#include "runtime/platform.h"
#include "runtime/platform_win32.h"

#include "runtime/device_names.h"

#include <windows.h>

#include <aclapi.h>

namespace {

// The new file's access: its bytes, its removal or renaming, and its rights.
constexpr DWORD NEW_ACCESS = GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC;

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
        handle = CreateFileW(name.Get(), NEW_ACCESS, FILE_SHARE_READ, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
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

namespace {

// The rights (its access control list, inherited or its own) and attributes of the file at
// name, given to the file open at to, where the system lets them be read and given.
void KeepRightsOf(const wchar_t *name, HANDLE to) {
    HANDLE from = CreateFileW(name, READ_CONTROL | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (from == INVALID_HANDLE_VALUE) return;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(from, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list,
                        nullptr, &descriptor) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor, &control, &revision);
        SetSecurityInfo(to, SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION |
                            ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                           : UNPROTECTED_DACL_SECURITY_INFORMATION),
                        nullptr, nullptr, list, nullptr);
        LocalFree(descriptor);
    }
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(from, FileBasicInfo, &basic, sizeof basic)) {
        FILE_BASIC_INFO attributes{}; // (times of 0 stay as they are)
        attributes.FileAttributes =
            basic.FileAttributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (!attributes.FileAttributes) attributes.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(to, FileBasicInfo, &attributes, sizeof attributes);
    }
    CloseHandle(from);
}

// Renames the file open at handle to path (absolute), in one step that replaces a file there.
bool RenameOpenFile(HANDLE handle, const wchar_t *path, int32_t length) {
    // The system's own form of the path: \??\C:\..., \??\UNC\server\share\...
    const wchar_t *rest = path;
    const wchar_t *prefix = L"\\??\\";
    if (path[0] == '\\' && path[1] == '\\' && path[2] == '?' && path[3] == '\\') {
        rest = path + 4;
    } else if (path[0] == '\\' && path[1] == '\\') {
        rest = path + 2;
        prefix = L"\\??\\UNC\\";
    }
    int32_t prefixLength = 0;
    while (prefix[prefixLength])
        ++prefixLength;
    auto restLength = static_cast<int32_t>(length - (rest - path));
    size_t size = sizeof(FILE_RENAME_INFO) +
                  static_cast<size_t>(prefixLength + restLength + 1) * sizeof(wchar_t);
    auto *rename = static_cast<FILE_RENAME_INFO *>(ProcessAlloc(size));
    if (!rename) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>((prefixLength + restLength) * sizeof(wchar_t));
    for (int32_t i = 0; i < prefixLength; ++i)
        rename->FileName[i] = prefix[i];
    for (int32_t i = 0; i < restLength; ++i)
        rename->FileName[prefixLength + i] = rest[i];
    rename->FileName[prefixLength + restLength] = 0; // (read up to it by some systems)
    bool renamed = SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                              static_cast<DWORD>(size)) != FALSE;
    ProcessFree(rename);
    return renamed;
}

} // namespace

// Its bytes are flushed to the disk first, it gets the rights and attributes of the file it
// replaces, and it stays marked to go until the moment before it is renamed over that file by
// its own handle: one step, so that the file at path is never missing, whatever ends the process.
bool EndPlatformReplacement(PlatformFile file, const char *path, PlatformFile, uint32_t *failure) {
    HANDLE handle = HandleOf(file);
    PathName target(path);
    bool done = target.Get() != nullptr;
    *failure = done ? 0 : ERROR_NOT_ENOUGH_MEMORY;
    if (done && NamesDevice(target.Get(), target.Length())) {
        *failure = FAILURE_CODE_NOT_REGULAR;
        done = false;
    }
    if (done && !FlushFileBuffers(handle)) {
        *failure = LastFailure();
        done = false;
    }
    if (done) {
        target.Lengthen(true);
        // An existing file gives its rights; a read-only one is refused, as an input to patch is.
        DWORD attributes = GetFileAttributesW(target.Get());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            *failure = ERROR_FILE_READ_ONLY;
            done = false;
        } else if (attributes != INVALID_FILE_ATTRIBUTES) {
            KeepRightsOf(target.Get(), handle);
        }
    }
    if (done) {
        // A program that holds the file open for a moment (a virus scanner, an indexer) is waited
        // for, up to 2 s.
        for (int32_t attempt = 0;; ++attempt) {
            if (GoesWithHandle(handle, false) &&
                RenameOpenFile(handle, target.Get(), target.Length())) {
                FlushFileBuffers(handle); // (the rename's own record, where the system keeps one)
                break;
            }
            *failure = LastFailure();
            GoesWithHandle(handle, true);
            bool held = *failure == ERROR_SHARING_VIOLATION || *failure == ERROR_LOCK_VIOLATION ||
                        (*failure == ERROR_ACCESS_DENIED && HeldOpen(target.Get()));
            if (!held || attempt == 20) {
                done = false;
                break;
            }
            Sleep(100);
        }
    }
    if (!done) GoesWithHandle(handle, true);
    CloseHandle(handle);
    ForgetName();
    return done;
}

void AbandonPlatformReplacement(PlatformFile file) {
    CloseHandle(HandleOf(file));
    ForgetName();
}
