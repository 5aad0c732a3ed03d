// SPDX-License-Identifier: MIT
#include "app/output_file.h"

#include "app/command_line.h"
#include "app/file_walks.h"
#include "app/report.h"
#include "app/set_files.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// A new file in path's folder under a short name of its own, ".checksumme-N.tmp" with N from 1
// to the first that is free: within the limit of a name however long path's is, and past any
// left by a process that was killed. Its name, main heap, in *name (natively it is removed if a
// stop ends the process before it takes its place). 0 when none could be made (why in *failure).
PlatformFile CreateBeside(const char *path, char **name, uint32_t *failure) {
    static constexpr char PREFIX[] = ".checksumme-", SUFFIX[] = ".tmp";
    auto folder = static_cast<size_t>(StringLength(path));
    while (folder > 0 && path[folder - 1] != '/' &&
           (NATIVE || (path[folder - 1] != '\\' && path[folder - 1] != ':')))
        --folder;
    *name = static_cast<char *>(MainHeapAlloc(folder + sizeof PREFIX + 10 + sizeof SUFFIX));
    std::memcpy(*name, path, folder);
    std::memcpy(*name + folder, PREFIX, sizeof PREFIX - 1);
    PlatformFile file = 0;
    for (int32_t n = 1; n < 1000000 && !file; ++n) {
        char *at = *name + folder + sizeof PREFIX - 1;
        at += FormatDecimal(n, at);
        std::memcpy(at, SUFFIX, sizeof SUFFIX);
        file = OpenPlatformFile(*name, OPENING_CREATE, failure);
        if (!file && ClassifyFailure(*failure) != FAILURE_EXISTS) break;
    }
    return file;
}

// All of the input's bytes into the copy: 0, or why not, with *writing when the copy failed. An
// input whose size changed while it was read fails as changed.
uint32_t CopyBytes(PlatformFile from, PlatformFile to, bool *writing) {
    auto *buffer = static_cast<char *>(MainHeapAlloc(FILE_BUFFER_SIZE));
    uint32_t failure = 0;
    int64_t copied = 0;
    *writing = false;
    int32_t got = 0;
    while (!failure && (got = ReadPlatformFile(from, buffer, FILE_BUFFER_SIZE, &failure)) > 0) {
        for (int32_t done = 0; done < got && !failure;) {
            int32_t written = WritePlatformFile(to, buffer + done, got - done, &failure);
            *writing = written < 0;
            done += written;
        }
        copied += got;
    }
    MainHeapFree(buffer);
    if (!failure && copied != PlatformFileSize(from)) failure = FAILURE_CODE_CHANGED;
    return failure;
}

// The input's copy beside FILE, whole and closed, its name in *copy: false when FILE is the
// input itself or no regular file, or when the copy could not be made (each reported; a copy
// begun is removed).
bool CopyBeside(const CommandLine &command, PlatformFile from, Report &out, const char *output,
                char **copy) {
    WalkTally opening{};
    // An existing FILE must be one the call could write in place (natively: with a write
    // permission, as an input to patch must have; on Windows the replacement refuses a read-only
    // one).
    PlatformFile existing =
        OpenPlatformFile(output, NATIVE ? OPENING_UPDATE : OPENING_READ_SHARED, &opening.failure);
    FileStamp one{}, other{};
    bool same = existing && PlatformFileStamp(from, &one) && PlatformFileStamp(existing, &other) &&
                one.volume == other.volume && one.index == other.index;
    if (existing) ClosePlatformFile(existing); // (Windows replaces no file that is open)
    if (same) {
        CommandLine fault = command;
        fault.fault = FAULT_OUTPUT_IS_INPUT;
        fault.faultArgument = fault.otherArgument = command.output;
        ReportCommandFault(fault);
        out.failed = true;
        return false;
    }
    if (!existing && ClassifyFailure(opening.failure) != FAILURE_NOT_FOUND) {
        ReportFailure(out, 0, opening);
        return false;
    }
    uint32_t failure = 0, ignored = 0;
    bool writing = true;
    if (PlatformFile to = CreateBeside(output, copy, &failure)) {
        failure = CopyBytes(from, to, &writing);
        if (uint32_t closed = ClosePlatformFile(to); closed && !failure) {
            failure = closed;
            writing = true;
        }
        if (failure) DeletePlatformFile(*copy, &ignored);
    }
    if (failure) ReportNotCopied(out, failure, writing);
    return !failure;
}

} // namespace

// The copy takes FILE's place when its edit was done, whatever became of the report.
CallOutcome WriteOutputFile(const CommandLine &command) {
    // FILE through the symbolic links it may be: the file they lead to is replaced, in its own
    // folder, as a copy or a redirection would write it (the report names FILE as given).
    const char *input = command.files[0], *named = command.outputPath;
    constexpr int32_t FOLLOWED_SIZE = 4096;
    auto *followed = static_cast<char *>(MainHeapAlloc(FOLLOWED_SIZE));
    const char *output = FollowPlatformLinks(named, followed, FOLLOWED_SIZE) ? followed : named;
    OpenStandardOutput();
    Report out{};
    BeginFileReport(out, command, named, true);
    out.input = input;
    WalkTally opening{};
    PlatformFile from = OpenPlatformFile(input, OPENING_READ, &opening.failure);
    char *copy = nullptr;
    if (!from) {
        ReportFailure(out, 0, opening, true);
    } else if (CopyBeside(command, from, out, output, &copy)) {
        // The in-place edit of the copy, reported as FILE.
        if (command.mode == COMMAND_SET)
            SetCopiedBytes(command, copy, out);
        else
            PatchFile(command, copy, out);
        uint32_t failure = 0;
        out.written = false;
        if (!out.failed && !ReplacePlatformFile(copy, output, from, &failure))
            ReportNotCopied(out, failure, true);
        out.written = !out.failed;
        if (out.failed) DeletePlatformFile(copy, &failure);
    }
    if (copy) MainHeapFree(copy);
    MainHeapFree(followed);
    if (from) ClosePlatformFile(from);
    CallOutcome outcome{EndFileReport(out), {out.written ? 1 : 0, 1}};
    return outcome;
}
