// SPDX-License-Identifier: MIT
/*
 * The platform under the runtime, in one small layer: heaps, files, the arguments the process
 * was started with, its standard output and error, and its end. Two implementations share this
 * header: platform_win32_*.cpp (memory, texts, files, the process's streams), with Windows' own
 * calls (UTF-8 paths become UTF-16 there), and platform_posix.cpp, with POSIX calls only, so that
 * Linux and macOS build the same code. The
 * rest of the runtime, core/ and the command line reach the platform only through here.
 *
 * The platform calls nothing above it: its files include this header, their own and the
 * system's, and of the project only runtime/device_names.h, a rule of names that calls nothing.
 * What it allocates for itself it takes from the system directly. Work that needs the runtime
 * (splitting a command line, Strings) is done above, on the raw pieces the platform hands out.
 * Tests link a platform of their own that wraps this one.
 *
 * Heaps hand out zero-filled blocks, null when there is no room. File calls answer a failure
 * with 0 or -1, as each says, and put the platform's own code (GetLastError, errno), or one of
 * the two codes below, into *failure; ClassifyFailure sorts such codes for a report and
 * FailureText gives the platform's words for them. One thread only.
 */
#pragma once

#include <cstddef>
#include <cstdint>

using PlatformHeap = void *;
PlatformHeap CreatePlatformHeap(size_t initialSize); // null when none could be made
void DestroyPlatformHeap(PlatformHeap heap);
void *AllocatePlatformBlock(PlatformHeap heap, size_t size);
// Keeps the first oldSize bytes; the bytes beyond them come zero-filled. Null when no room (the
// block then stays as it was).
void *ResizePlatformBlock(PlatformHeap heap, void *block, size_t oldSize, size_t newSize);
void FreePlatformBlock(PlatformHeap heap, void *block);
[[noreturn]] void EndProcess(uint32_t exitCode);

using PlatformFile = intptr_t; // 0: no file

// The size of a file channel's buffer, chosen by measuring: 64 KiB, where a larger read costs
// less than the reading and checking of its bytes. CHECKSUMME_BUFFER_SIZE sets another for a
// build of the tests, down to the smallest that still holds a record and its line end, so that
// most records of a small file straddle two spans (the fuzz build takes that one).
#if defined(CHECKSUMME_BUFFER_SIZE)
constexpr int32_t FILE_BUFFER_SIZE = CHECKSUMME_BUFFER_SIZE;
#else
constexpr int32_t FILE_BUFFER_SIZE = 65536;
#endif

// Failures of the platform's own beside the system's codes, in the range that Windows leaves to
// programs (bit 29) and that no errno value reaches.
constexpr uint32_t FAILURE_CODE_NOT_REGULAR = 0x20000001; // a device, FIFO, socket or folder
constexpr uint32_t FAILURE_CODE_CHANGED = 0x20000002;     // the file's size changed under a read
// Only regular files open: a device, FIFO, socket or folder is refused (FAILURE_CODE_NOT_REGULAR,
// or the system's code for a folder) without a read or write, and without waiting for anything.
enum Opening : int32_t {
    OPENING_READ = 1,    // an existing file, reading; others may read it too
    OPENING_READ_WRITE,  // reading and writing, sharing reading; a missing file is made empty
    OPENING_NEW,         // writing a new or emptied file, sharing reading
    OPENING_EXCLUSIVE,   // reading and writing an existing file, sharing nothing
    OPENING_UPDATE,      // as OPENING_READ_WRITE, but the file must exist and be writable
    OPENING_READ_SHARED, // an existing file, reading; others may read and write it too
};
enum MoveFrom : int32_t { MOVE_FROM_START, MOVE_FROM_HERE };
PlatformFile OpenPlatformFile(const char *path, Opening opening, uint32_t *failure);
// One read or write of at most length bytes: the bytes moved (a read: 0 at the end of the
// file), -1 when the call failed; a write that takes no byte has failed (the disk is full).
int32_t ReadPlatformFile(PlatformFile file, void *destination, int32_t length, uint32_t *failure);
int32_t WritePlatformFile(PlatformFile file, const void *source, int32_t length, uint32_t *failure);
// Writes all length bytes over the ones that end at the file pointer, which stands at offset
// pointer, and leaves the file pointer there: on Windows a step back and writes, on POSIX
// positioned writes. The bytes written, or -1 when a write failed (after some, perhaps).
int32_t WriteBehindPlatformFile(PlatformFile file, const void *source, int32_t length,
                                int64_t pointer, uint32_t *failure);
// The new position, or -1 when the move failed (*failure then says why).
int64_t MovePlatformFile(PlatformFile file, int64_t distance, MoveFrom from, uint32_t *failure);
int64_t PlatformFileSize(PlatformFile file); // -1 when it cannot be had
// Cuts the file (open for writing) to size bytes; false, with why, when it could not.
bool TruncatePlatformFile(PlatformFile file, int64_t size, uint32_t *failure);
// What tells one state of a file from a later one: its size and the times of its last change
// (natively also of its status), as fine as the system keeps them; and which file it is (two
// names of one file give the same volume and index). False when they cannot be had.
struct FileStamp {
    int64_t size;
    int64_t changed;
    int64_t statusChanged;
    uint64_t volume, index;
    bool operator==(const FileStamp &) const = default;
};
bool PlatformFileStamp(PlatformFile file, FileStamp *stamp);
uint32_t ClosePlatformFile(PlatformFile file); // 0, or why the close failed
// A new version of the file at path, private until it takes path's place in one step (one at a
// time). BeginPlatformReplacement makes it empty in path's folder and opens it for reading and
// writing: its owner's alone whatever the umask (natively), unnamed where the system has such
// files (Linux), else under a short name of the program's own, ".checksumme-N.tmp", with N the
// first that is free: within the limit of a name however long path's is. Natively that name is
// removed when SIGINT, SIGTERM or SIGHUP stops the process; on Windows, the file is removed
// with its handle when the process ends before it took path's place, and a name that a killed
// process left behind is taken again. 0, with why, when it cannot be made.
// EndPlatformReplacement gets its bytes to the disk, gives it (natively) the permission bits,
// owner and group of the file at path, or of like (an open file) where there is none, and puts
// it in path's place, so that path is its old self or the new file, never neither; on Windows an
// existing file keeps its rights and attributes, and one that another program holds open for a
// moment is waited for (up to 2 s). The move gets to the disk before it returns (natively the
// folder is synced). The file is closed either way, and removed when the call fails (false,
// with why; also when path is a device). AbandonPlatformReplacement closes and removes it.
PlatformFile BeginPlatformReplacement(const char *path, uint32_t *failure);
bool EndPlatformReplacement(PlatformFile file, const char *path, PlatformFile like,
                            uint32_t *failure);
void AbandonPlatformReplacement(PlatformFile file);
// The path that the symbolic links at path lead to, link after link (natively; on Windows, and
// for a path that is no link, path itself), into out (capacity bytes with the zero); a link that
// leads nowhere gives the path where it leads. False when that is not path itself and does not
// fit, or a chain of more than 40 links: then path is taken as it is.
bool FollowPlatformLinks(const char *path, char *out, int32_t capacity);
// Removes the closed file at path; false, with why, when it could not.
bool DeletePlatformFile(const char *path, uint32_t *failure);

enum FailureKind : int32_t {
    FAILURE_OTHER, // the platform's words tell
    FAILURE_NOT_FOUND,
    FAILURE_FOLDER,
    FAILURE_READ_ONLY,
    FAILURE_ACCESS_DENIED,
    FAILURE_IN_USE, // opened by another program without sharing
    FAILURE_LOCKED, // a range locked by another program
    FAILURE_PATH_TOO_LONG,
    FAILURE_DISK_FULL,
    FAILURE_NETWORK_GONE,
    FAILURE_NOT_REGULAR, // FAILURE_CODE_NOT_REGULAR
    FAILURE_CHANGED,     // FAILURE_CODE_CHANGED
    FAILURE_EXISTS,      // a new file's name is taken
};
FailureKind ClassifyFailure(uint32_t code);
// The platform's words for code, UTF-8 on one line, into text (capacity bytes with the zero);
// their length, 0 when there are none.
int32_t FailureText(uint32_t code, char *text, int32_t capacity);

// The arguments. POSIX hands them over from main, split (SetPlatformArguments): index 0 is the
// program, then each argument in order. Windows has one command line, which PlatformCommandLine
// gives in UTF-8 (null on POSIX) for the runtime to split (runtime/arguments.h).
void SetPlatformArguments(int argc, char **argv);
int32_t PlatformArgumentCount(); // with the program; 0 where the command line is one text
bool PlatformArgument(int32_t index, const char **text, int32_t *length);
const char *PlatformCommandLine(); // owned by the platform, kept to the end

#ifdef _WIN32
// UTF-8 and UTF-16 both ways, so that every path survives the trip: a lone surrogate travels as
// its own three-byte sequence, and bytes that are no UTF-8 become U+FFFD. Each walks its text
// and, when out is given, writes the converted units or bytes there (no zero); returns their
// number. Utf16FromUtf8 reads up to the zero byte.
int32_t Utf16FromUtf8(const char *text, wchar_t *out);
int64_t Utf8FromUtf16(const wchar_t *text, int32_t units, char *out);
#endif

// A digest of the system's cryptography (Windows' CNG, bcrypt.dll; natively libcrypto, or
// CommonCrypto on macOS): SHA-256 for a width of 32 bytes, SHA-512 for 64, over bytes given in
// any number of pieces. Begin gives null when the system cannot begin one; End writes the digest
// (width bytes) and frees what Begin took.
using PlatformDigest = void *;
PlatformDigest BeginPlatformDigest(int32_t width);
void AddPlatformDigest(PlatformDigest digest, const uint8_t *bytes, size_t count);
void EndPlatformDigest(PlatformDigest digest, uint8_t *out);

// The standard output (1) and error (2): a stream to write to, or 0 when the process has none.
// A write takes UTF-8 and returns the bytes taken (a console may leave the start of a character
// cut at the end for the next write, unless all is set), or -1 when the reader is gone.
enum StreamKind : int32_t { STREAM_OUTPUT = 1, STREAM_ERROR = 2 };
#ifndef _WIN32
// A standard stream that the process was started without (closed) is opened on the null device
// before any file, so that no file takes its number and gets a report written into it; it then
// counts as no stream. Called first thing.
void ReserveStandardStreams();
#endif
// A write that fails puts its code into *failure; ReaderGone tells a reader that went away (a
// closed pipe) from a failure of the stream itself (a full disk). On Windows a handle that the
// first write finds to be no handle at all is no stream: the write takes the bytes and drops
// them, as the writes to a missing stream do.
intptr_t OpenPlatformStream(StreamKind kind);
int32_t WritePlatformStream(intptr_t stream, const char *bytes, int32_t length, bool all,
                            uint32_t *failure);
bool ReaderGone(uint32_t code);
