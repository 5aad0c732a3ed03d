// SPDX-License-Identifier: MIT
// The platform layer on Linux, macOS and other POSIX systems: POSIX calls only, and Linux's
// unnamed new files where the system has them.
#include "runtime/platform.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include <csignal>

#include <fcntl.h>
#ifdef __APPLE__
#include <CommonCrypto/CommonDigest.h>
#else
#include <openssl/evp.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

// ---- Heaps: the C library's one heap serves them all ----

namespace {
char heapMark; // what a heap handle points at: heaps here are names, not places
}

PlatformHeap CreatePlatformHeap(size_t) {
    return &heapMark;
}

void DestroyPlatformHeap(PlatformHeap) {}

void *AllocatePlatformBlock(PlatformHeap, size_t size) {
    return std::calloc(1, size ? size : 1);
}

void *ResizePlatformBlock(PlatformHeap, void *block, size_t oldSize, size_t newSize) {
    auto *resized = static_cast<char *>(std::realloc(block, newSize ? newSize : 1));
    if (resized && newSize > oldSize) std::memset(resized + oldSize, 0, newSize - oldSize);
    return resized;
}

void FreePlatformBlock(PlatformHeap, void *block) {
    std::free(block);
}

void EndProcess(uint32_t exitCode) {
    _exit(static_cast<int>(exitCode));
}

// ---- Files: a file is its descriptor + 1, so that 0 stays "none" ----

namespace {

int DescriptorOf(PlatformFile file) {
    return static_cast<int>(file - 1);
}

int FlagsFor(Opening opening) {
    switch (opening) {
    case OPENING_READ:
    case OPENING_READ_SHARED: return O_RDONLY;
    case OPENING_READ_WRITE: return O_RDWR | O_CREAT;
    case OPENING_NEW: return O_WRONLY | O_CREAT | O_TRUNC;
    case OPENING_EXCLUSIVE:
    case OPENING_UPDATE: return O_RDWR;
    }
    return O_RDONLY;
}

// A folder opened to look names up in it: searching needs no right to read it where the system
// has a way to say so.
#if defined(O_SEARCH)
constexpr int FOLDER_ACCESS = O_SEARCH | O_DIRECTORY | O_CLOEXEC;
#elif defined(O_PATH)
constexpr int FOLDER_ACCESS = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int FOLDER_ACCESS = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// The longest path the system takes in one call, with its zero.
#if defined(PATH_MAX)
constexpr size_t WHOLE_PATH = PATH_MAX;
#else
constexpr size_t WHOLE_PATH = 4096;
#endif

// Where the last name of path starts: behind the last slash that has a name behind it. A path of
// slashes alone is a name of its own.
size_t LastNameAt(const char *path) {
    size_t end = std::strlen(path);
    while (end > 0 && path[end - 1] == '/')
        --end;
    size_t start = end;
    while (start > 0 && path[start - 1] != '/')
        --start;
    return end == 0 ? 0 : start;
}

// The folder of the first length bytes of path into *folder: the current one (AT_FDCWD) for
// none, else opened, as a whole when it fits in one call, else a folder at a time, each one
// relative to the one before it, so that no call sees more than PATH_MAX. Symbolic links to
// folders are followed. False, with errno, when a folder cannot be opened.
bool OpenHoldingFolder(const char *path, size_t length, int *folder) {
    *folder = AT_FDCWD;
    if (length == 0) return true;
    if (length < WHOLE_PATH) {
        char whole[WHOLE_PATH];
        std::memcpy(whole, path, length);
        whole[length] = 0;
        int opened;
        do {
            opened = open(whole, FOLDER_ACCESS);
        } while (opened < 0 && errno == EINTR);
        if (opened >= 0 || errno != ENAMETOOLONG) {
            *folder = opened;
            return opened >= 0;
        }
    }
    int current = path[0] == '/' ? open("/", FOLDER_ACCESS) : AT_FDCWD;
    for (size_t at = 0; current != -1;) {
        while (at < length && path[at] == '/')
            ++at;
        size_t end = at;
        while (end < length && path[end] != '/')
            ++end;
        if (end == at) break;
        char name[256]; // the longest name a file system takes, and its zero
        int next = -1;
        if (end - at < sizeof name) {
            std::memcpy(name, path + at, end - at);
            name[end - at] = 0;
            next = openat(current, name, FOLDER_ACCESS);
        } else {
            errno = ENAMETOOLONG;
        }
        int saved = errno;
        if (current != AT_FDCWD) close(current);
        errno = saved;
        current = next;
        at = end;
    }
    *folder = current;
    return current != -1;
}

// Why a file of this kind is refused, or 0 for a regular file.
int Refusal(const struct stat &status) {
    if (S_ISDIR(status.st_mode)) return EISDIR;
    return S_ISREG(status.st_mode) ? 0 : static_cast<int>(FAILURE_CODE_NOT_REGULAR);
}

// Opens name in folder only when fstatat finds a regular file there, and keeps the descriptor
// only when fstat finds that same file behind it (not something put in its place in between):
// the descriptor and, in *opened, its status; else -1 and why in *refusal. A missing name that
// flags create is made here, exclusively, so that the open can only reach the new file; a
// symbolic link that leads nowhere has its target made, as open has always done.
int OpenRegular(int folder, const char *name, int flags, mode_t rights, struct stat *opened,
                int *refusal) {
    struct stat named {};
    bool found = fstatat(folder, name, &named, 0) == 0;
    bool toMake = !found && errno == ENOENT && (flags & O_CREAT);
    *refusal = found ? Refusal(named) : toMake ? 0 : errno;
    if (*refusal) return -1;
    struct stat link {};
    if (!found &&
        !(fstatat(folder, name, &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode)))
        flags |= O_EXCL;
    int descriptor;
    do {
        descriptor = openat(folder, name, flags, rights);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        *refusal = errno;
        return -1;
    }
    if (fstat(descriptor, opened) != 0)
        *refusal = errno;
    else if (!S_ISREG(opened->st_mode) ||
             (found && (opened->st_dev != named.st_dev || opened->st_ino != named.st_ino)))
        *refusal = static_cast<int>(FAILURE_CODE_NOT_REGULAR);
    else
        return descriptor;
    close(descriptor);
    return -1;
}

} // namespace

// Only a regular file is opened: the name is looked at in its folder first, so that no device is
// even opened (opening one can have effects of its own), and what the open reached is looked at
// again, for a name that changed in between. The open does not wait (a FIFO would wait for a
// writer) and takes no controlling terminal. A file without any write permission is refused when
// it is to be updated (a process with full rights would get write access to it all the same).
PlatformFile OpenPlatformFile(const char *path, Opening opening, uint32_t *failure) {
    if (!path || !path[0]) {
        *failure = ENOENT;
        return 0;
    }
    size_t nameAt = LastNameAt(path);
    int folder = AT_FDCWD;
    if (!OpenHoldingFolder(path, nameAt, &folder)) {
        *failure = static_cast<uint32_t>(errno);
        return 0;
    }
    struct stat status {};
    int refusal = 0;
    int descriptor = OpenRegular(folder, path + nameAt, FlagsFor(opening) | O_NOCTTY | O_NONBLOCK,
                                 0666, &status, &refusal);
    if (folder != AT_FDCWD) close(folder);
    if (descriptor < 0) {
        *failure = static_cast<uint32_t>(refusal);
        return 0;
    }
    if (opening == OPENING_UPDATE && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        refusal = EACCES;
    int mode = fcntl(descriptor, F_GETFL);
    if (!refusal && (mode < 0 || fcntl(descriptor, F_SETFL, mode & ~O_NONBLOCK) < 0))
        refusal = errno;
    if (refusal) {
        close(descriptor);
        *failure = static_cast<uint32_t>(refusal);
        return 0;
    }
#if defined(POSIX_FADV_SEQUENTIAL)
    posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL); // a hint; nothing hangs on it
#endif
    return static_cast<PlatformFile>(descriptor) + 1;
}

int64_t PlatformFileSize(PlatformFile file) {
    struct stat status {};
    return fstat(DescriptorOf(file), &status) == 0 ? static_cast<int64_t>(status.st_size) : -1;
}

bool TruncatePlatformFile(PlatformFile file, int64_t size, uint32_t *failure) {
    int done;
    do {
        done = ftruncate(DescriptorOf(file), static_cast<off_t>(size));
    } while (done != 0 && errno == EINTR);
    if (done != 0) *failure = static_cast<uint32_t>(errno);
    return done == 0;
}

int32_t ReadPlatformFile(PlatformFile file, void *destination, int32_t length, uint32_t *failure) {
    ssize_t got;
    do {
        got = read(DescriptorOf(file), destination, static_cast<size_t>(length));
    } while (got < 0 && errno == EINTR);
    if (got < 0) *failure = static_cast<uint32_t>(errno);
    return got < 0 ? -1 : static_cast<int32_t>(got);
}

int32_t WritePlatformFile(PlatformFile file, const void *source, int32_t length,
                          uint32_t *failure) {
    ssize_t written;
    do {
        written = write(DescriptorOf(file), source, static_cast<size_t>(length));
    } while (written < 0 && errno == EINTR);
    if (written == 0 && length > 0) errno = ENOSPC; // nothing taken: no room left
    if (written <= 0 && length > 0) {
        *failure = static_cast<uint32_t>(errno);
        return -1;
    }
    return static_cast<int32_t>(written);
}

// Positioned writes leave the file pointer alone: one call for what Windows does in two.
int32_t WriteBehindPlatformFile(PlatformFile file, const void *source, int32_t length,
                                int64_t pointer, uint32_t *failure) {
    const auto *bytes = static_cast<const char *>(source);
    int32_t done = 0;
    while (done < length) {
        ssize_t written =
            pwrite(DescriptorOf(file), bytes + done, static_cast<size_t>(length - done),
                   static_cast<off_t>(pointer - length + done));
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC; // nothing taken: no room left
        if (written <= 0) {
            *failure = static_cast<uint32_t>(errno);
            return -1;
        }
        done += static_cast<int32_t>(written);
    }
    return done;
}

int64_t MovePlatformFile(PlatformFile file, int64_t distance, MoveFrom from, uint32_t *failure) {
    off_t position = lseek(DescriptorOf(file), static_cast<off_t>(distance),
                           from == MOVE_FROM_START ? SEEK_SET : SEEK_CUR);
    if (position < 0) *failure = static_cast<uint32_t>(errno);
    return position < 0 ? -1 : static_cast<int64_t>(position);
}

// A write that failed late (on a network file system) shows at the close.
uint32_t ClosePlatformFile(PlatformFile file) {
    return close(DescriptorOf(file)) == 0 || errno == EINTR ? 0 : static_cast<uint32_t>(errno);
}

// ---- A new version of a file ----

namespace {

// The new version under way: its folder, held open, the offset of the name it replaces in its
// path, and the name it has in that folder ("" while it has none). A stop by SIGINT, SIGTERM or
// SIGHUP removes that name (the handler reads the two, set only while the stops are held).
struct Replacement {
    int folder = -1;
    char name[32] = {};
};
Replacement replacement;
volatile sig_atomic_t named = 0;

void RemoveAndStop(int signal) {
    if (named) unlinkat(replacement.folder, replacement.name, 0);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// The signals that stop the process, blocked (or let through again).
void HoldStops(bool hold) {
    sigset_t stops;
    sigemptyset(&stops);
    for (int stop : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stops, stop);
    sigprocmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &stops, nullptr);
}

// A folder's entries on the disk (a rename in it is only durable then). A file system that
// cannot sync a folder (EINVAL) has nothing more to do.
bool SyncFolder(int folder) {
    int opened = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0) return false;
    bool synced = fsync(opened) == 0 || errno == EINVAL;
    close(opened);
    return synced;
}

// The owner and group of the file replaced, where the system lets the process give them (the
// group of a process in it, both for root); a file it may not give them keeps the process's own.
bool KeepOwner(int descriptor, const struct stat &model) {
    return fchown(descriptor, model.st_uid, model.st_gid) == 0 || errno == EPERM ||
           fchown(descriptor, static_cast<uid_t>(-1), model.st_gid) == 0 || errno == EPERM;
}

// The digits of number at at (no zero after them); how many.
int PutDecimal(unsigned number, char *at) {
    char digits[12];
    int count = 0;
    for (unsigned left = number; left || !count; left /= 10)
        digits[count++] = static_cast<char>('0' + left % 10);
    for (int i = 0; i < count; ++i)
        at[i] = digits[count - 1 - i];
    return count;
}

// Gives the file (descriptor, or none for -1) the first free name ".checksumme-N.tmp" in the
// folder, with the stops held: a link to it, else a new file made there, opened into
// *descriptor. False, with errno, when none could be had.
bool TakeName(int *descriptor, const char *linkFrom) {
    static constexpr char PREFIX[] = ".checksumme-", SUFFIX[] = ".tmp";
    char *at = replacement.name;
    std::memcpy(at, PREFIX, sizeof PREFIX - 1);
    at += sizeof PREFIX - 1;
    bool taken = false;
    for (unsigned n = 1; n < 1000000 && !taken; ++n) {
        std::memcpy(at + PutDecimal(n, at), SUFFIX, sizeof SUFFIX);
        if (linkFrom) {
            taken = linkat(AT_FDCWD, linkFrom, replacement.folder, replacement.name,
                           AT_SYMLINK_FOLLOW) == 0;
        } else {
            *descriptor = openat(replacement.folder, replacement.name,
                                 O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                                 S_IRUSR | S_IWUSR);
            taken = *descriptor >= 0;
        }
        if (!taken && errno != EEXIST && errno != EINTR) break;
    }
    named = taken;
    return taken;
}

// Where a file's name in /proc leads to its descriptor: the way to give an unnamed file a name.
void ProcessLink(int descriptor, char *link) {
    static constexpr char PREFIX[] = "/proc/self/fd/";
    std::memcpy(link, PREFIX, sizeof PREFIX - 1);
    char *at = link + sizeof PREFIX - 1;
    at[PutDecimal(static_cast<unsigned>(descriptor), at)] = 0;
}

// The new file's name, if it has one, removed, and its folder closed.
void EndReplacement() {
    if (named) unlinkat(replacement.folder, replacement.name, 0);
    named = 0;
    replacement.name[0] = 0;
    if (replacement.folder >= 0 && replacement.folder != AT_FDCWD) close(replacement.folder);
    replacement.folder = -1;
}

} // namespace

PlatformFile BeginPlatformReplacement(const char *path, uint32_t *failure) {
    EndReplacement();
    if (!OpenHoldingFolder(path, LastNameAt(path), &replacement.folder)) {
        *failure = static_cast<uint32_t>(errno);
        replacement.folder = -1;
        return 0;
    }
    for (int stop : {SIGINT, SIGTERM, SIGHUP})
        if (std::signal(stop, RemoveAndStop) == SIG_IGN) std::signal(stop, SIG_IGN);
    int descriptor = -1;
#if defined(O_TMPFILE)
    // An unnamed file, where the file system makes one and /proc can name it at the end.
    if (access("/proc/self/fd", X_OK) == 0)
        descriptor =
            openat(replacement.folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
#endif
    if (descriptor < 0) {
        HoldStops(true);
        TakeName(&descriptor, nullptr);
        HoldStops(false);
    }
    // Writable by its owner whatever the umask (fchmod is not masked).
    if (descriptor < 0 || fchmod(descriptor, S_IRUSR | S_IWUSR) != 0) {
        *failure = static_cast<uint32_t>(errno);
        if (descriptor >= 0) close(descriptor);
        EndReplacement();
        return 0;
    }
    return static_cast<PlatformFile>(descriptor) + 1;
}

// An unnamed file gets its name only when it is complete, with the stops held until it is in its
// place: a stop comes before the name or after the rename. Where path names no file yet, the
// new one is linked in under path itself.
bool EndPlatformReplacement(PlatformFile file, const char *path, PlatformFile like,
                            uint32_t *failure) {
    int descriptor = DescriptorOf(file);
    const char *target = path + LastNameAt(path);
    struct stat model {};
    bool existing = fstatat(replacement.folder, target, &model, 0) == 0;
    bool done = (existing || fstat(DescriptorOf(like), &model) == 0) &&
                fchmod(descriptor, model.st_mode & 07777) == 0 && KeepOwner(descriptor, model) &&
                fsync(descriptor) == 0;
    if (done) {
        HoldStops(true);
        if (!named) {
            char link[32];
            ProcessLink(descriptor, link);
            done = (!existing &&
                    linkat(AT_FDCWD, link, replacement.folder, target, AT_SYMLINK_FOLLOW) == 0) ||
                   TakeName(nullptr, link);
        }
        if (done && named)
            done = renameat(replacement.folder, replacement.name, replacement.folder, target) == 0;
        if (done) named = 0;
        HoldStops(false);
        done = done && SyncFolder(replacement.folder);
    }
    *failure = done ? 0 : static_cast<uint32_t>(errno);
    close(descriptor);
    EndReplacement();
    return done;
}

void AbandonPlatformReplacement(PlatformFile file) {
    close(DescriptorOf(file));
    EndReplacement();
}

bool FollowPlatformLinks(const char *path, char *out, int32_t capacity) {
    size_t length = std::strlen(path);
    if (length >= static_cast<size_t>(capacity)) return false;
    std::memcpy(out, path, length + 1);
    char target[WHOLE_PATH];
    for (int32_t links = 0; links <= 40; ++links) {
        ssize_t got = readlink(out, target, sizeof target);
        if (got < 0) return true; // no link (or none to read): the path it came to
        if (static_cast<size_t>(got) >= sizeof target) return false;
        // A relative target is relative to the link's folder.
        size_t folder = target[0] == '/' ? 0 : LastNameAt(out);
        if (folder + static_cast<size_t>(got) >= static_cast<size_t>(capacity)) return false;
        std::memcpy(out + folder, target, static_cast<size_t>(got));
        out[folder + static_cast<size_t>(got)] = 0;
    }
    return false;
}

bool DeletePlatformFile(const char *path, uint32_t *failure) {
    size_t nameAt = LastNameAt(path);
    int folder = AT_FDCWD;
    bool done = OpenHoldingFolder(path, nameAt, &folder) && unlinkat(folder, path + nameAt, 0) == 0;
    *failure = done ? 0 : static_cast<uint32_t>(errno);
    if (folder >= 0) close(folder);
    return done;
}

FailureKind ClassifyFailure(uint32_t code) {
    switch (static_cast<int>(code)) {
    case ENOENT:
    case ENOTDIR: return FAILURE_NOT_FOUND;
    case EISDIR: return FAILURE_FOLDER;
    case EROFS: return FAILURE_READ_ONLY;
    case EACCES:
    case EPERM: return FAILURE_ACCESS_DENIED;
    case EBUSY:
    case ETXTBSY: return FAILURE_IN_USE;
    case ENAMETOOLONG: return FAILURE_PATH_TOO_LONG;
    case ENOSPC:
    case EDQUOT: return FAILURE_DISK_FULL;
    case ESTALE:
    case ENOTCONN:
    case ENETDOWN:
    case ENETUNREACH: return FAILURE_NETWORK_GONE;
    case EEXIST: return FAILURE_EXISTS;
    default: break;
    }
    if (code == FAILURE_CODE_NOT_REGULAR) return FAILURE_NOT_REGULAR;
    if (code == FAILURE_CODE_CHANGED) return FAILURE_CHANGED;
    return FAILURE_OTHER;
}

// The C library's words; none for the platform's own codes.
int32_t FailureText(uint32_t code, char *text, int32_t capacity) {
    if (capacity <= 0) return 0;
    text[0] = 0;
    if (code == FAILURE_CODE_NOT_REGULAR || code == FAILURE_CODE_CHANGED) return 0;
    const char *words = std::strerror(static_cast<int>(code));
    int32_t length = 0;
    while (words[length] && length + 1 < capacity) {
        text[length] = words[length];
        ++length;
    }
    text[length] = 0;
    return length;
}

// ---- Arguments: as main got them ----

namespace {
int argumentCount = 0;
char **arguments = nullptr; // borrowed from main
} // namespace

void SetPlatformArguments(int argc, char **argv) {
    argumentCount = argc;
    arguments = argv;
}

int32_t PlatformArgumentCount() {
    return argumentCount;
}

bool PlatformArgument(int32_t index, const char **text, int32_t *length) {
    if (index < 0 || index >= argumentCount || !arguments[index]) return false;
    *text = arguments[index];
    size_t size = std::strlen(arguments[index]);
    *length = size < INT32_MAX / 2 ? static_cast<int32_t>(size) : INT32_MAX / 2;
    return true;
}

const char *PlatformCommandLine() {
    return nullptr;
}

// ---- The standard streams: descriptors 1 and 2 ----

namespace {
bool reserved[3] = {}; // the streams opened on the null device
} // namespace

void ReserveStandardStreams() {
    for (int stream = 0; stream < 3; ++stream) {
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number: this one.
        reserved[stream] = open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY) == stream;
    }
}

intptr_t OpenPlatformStream(StreamKind kind) {
    return !reserved[kind] && fcntl(kind, F_GETFD) != -1 ? kind : 0;
}

int32_t WritePlatformStream(intptr_t stream, const char *bytes, int32_t length, bool,
                            uint32_t *failure) {
    int32_t done = 0;
    while (done < length) {
        ssize_t written =
            write(static_cast<int>(stream), bytes + done, static_cast<size_t>(length - done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            *failure = static_cast<uint32_t>(written < 0 ? errno : ENOSPC);
            return -1;
        }
        done += static_cast<int32_t>(written);
    }
    return done;
}

bool ReaderGone(uint32_t code) {
    return code == EPIPE;
}

// ---- Stamps ----

bool PlatformFileStamp(PlatformFile file, FileStamp *stamp) {
    struct stat status {};
    if (fstat(DescriptorOf(file), &status) != 0) return false;
#ifdef __APPLE__
    const struct timespec &changed = status.st_mtimespec, &statusChanged = status.st_ctimespec;
#else
    const struct timespec &changed = status.st_mtim, &statusChanged = status.st_ctim;
#endif
    *stamp = {static_cast<int64_t>(status.st_size),
              static_cast<int64_t>(changed.tv_sec) * 1000000000 + changed.tv_nsec,
              static_cast<int64_t>(statusChanged.tv_sec) * 1000000000 + statusChanged.tv_nsec,
              static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
    return true;
}

// Digests: libcrypto's, CommonCrypto's on macOS (whose counts are 32 bits wide).
#ifdef __APPLE__
namespace {
struct Digest {
    int32_t width;
    CC_SHA256_CTX sha256;
    CC_SHA512_CTX sha512;
};
constexpr size_t MOST_AT_ONCE = size_t{1} << 30;
} // namespace

PlatformDigest BeginPlatformDigest(int32_t width) {
    auto *digest = static_cast<Digest *>(std::calloc(1, sizeof(Digest)));
    if (!digest) return nullptr;
    digest->width = width;
    if (width == 64)
        CC_SHA512_Init(&digest->sha512);
    else
        CC_SHA256_Init(&digest->sha256);
    return digest;
}

void AddPlatformDigest(PlatformDigest digest, const uint8_t *bytes, size_t count) {
    auto *own = static_cast<Digest *>(digest);
    for (size_t taken = 0; taken < count; taken += MOST_AT_ONCE) {
        auto piece =
            static_cast<CC_LONG>(count - taken < MOST_AT_ONCE ? count - taken : MOST_AT_ONCE);
        if (own->width == 64)
            CC_SHA512_Update(&own->sha512, bytes + taken, piece);
        else
            CC_SHA256_Update(&own->sha256, bytes + taken, piece);
    }
}

void EndPlatformDigest(PlatformDigest digest, uint8_t *out) {
    auto *own = static_cast<Digest *>(digest);
    if (own->width == 64)
        CC_SHA512_Final(out, &own->sha512);
    else
        CC_SHA256_Final(out, &own->sha256);
    std::free(own);
}
#else
PlatformDigest BeginPlatformDigest(int32_t width) {
    EVP_MD_CTX *digest = EVP_MD_CTX_new();
    if (digest && EVP_DigestInit_ex(digest, width == 64 ? EVP_sha512() : EVP_sha256(), nullptr))
        return digest;
    EVP_MD_CTX_free(digest);
    return nullptr;
}

void AddPlatformDigest(PlatformDigest digest, const uint8_t *bytes, size_t count) {
    EVP_DigestUpdate(static_cast<EVP_MD_CTX *>(digest), bytes, count);
}

void EndPlatformDigest(PlatformDigest digest, uint8_t *out) {
    unsigned int length = 0;
    EVP_DigestFinal_ex(static_cast<EVP_MD_CTX *>(digest), out, &length);
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX *>(digest));
}
#endif
