// SPDX-License-Identifier: MIT
#include "app/output_file.h"

#include "app/binary_file.h"
#include "app/command_line.h"
#include "app/file_walks.h"
#include "app/grow_file.h"
#include "app/report.h"
#include "app/set_files.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

namespace {

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

// The input's copy, whole and open, the new version of FILE (runtime/platform.h): 0 when FILE is
// the input itself or no regular file, or when the copy could not be made (each reported; a copy
// begun is removed).
PlatformFile CopyBeside(const CommandLine &command, PlatformFile from, Report &out,
                        const char *output, ByteSettingList *settings) {
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
    if (same && command.toOutput) {
        CommandLine fault = command;
        fault.fault = FAULT_OUTPUT_IS_INPUT;
        fault.faultArgument = fault.otherArgument = command.output;
        ReportCommandFault(fault);
        out.failed = true;
        return 0;
    }
    if (!existing && ClassifyFailure(opening.failure) != FAILURE_NOT_FOUND) {
        ReportFailure(out, 0, opening);
        return 0;
    }
    uint32_t failure = 0;
    bool writing = true;
    PlatformFile copy = BeginPlatformReplacement(output, &failure);
    if (copy && command.padCount + command.mergeCount > 0) {
        if (GrowCopy(command, from, copy, out, settings)) return copy;
        AbandonPlatformReplacement(copy);
        return 0;
    }
    if (copy) failure = CopyBytes(from, copy, &writing);
    if (copy && failure) AbandonPlatformReplacement(copy);
    if (!failure) return copy;
    ReportNotCopied(out, failure, writing);
    return 0;
}

} // namespace

// The copy takes FILE's place when its edit was done, whatever became of the report. A call that
// adds records to its file without -o writes the file itself so.
CallOutcome WriteOutputFile(const CommandLine &command) {
    // FILE through the symbolic links it may be: the file they lead to is replaced, in its own
    // folder, as a copy or a redirection would write it (the report names FILE as given).
    const char *input = command.files[0],
               *named = command.toOutput ? command.outputPath : command.files[0];
    constexpr int32_t FOLLOWED_SIZE = 4096;
    auto *followed = static_cast<char *>(MainHeapAlloc(FOLLOWED_SIZE));
    const char *output = FollowPlatformLinks(named, followed, FOLLOWED_SIZE) ? followed : named;
    OpenStandardOutput();
    Report out{};
    BeginFileReport(out, command, named, true);
    out.input = command.toOutput ? input : nullptr;
    WalkTally opening{};
    PlatformFile from = OpenPlatformFile(input, OPENING_READ, &opening.failure);
    FileStamp opened{};
    if (from && !PlatformFileStamp(from, &opened)) opened.size = -1;
    PlatformFile copy = 0;
    ByteSettingList settings{}; // with --overlap=theirs, what to set in the copy (GrowCopy)
    if (!from) {
        ReportFailure(out, 0, opening, true);
    } else if ((copy = CopyBeside(command, from, out, output, &settings))) {
        // The in-place edit of the copy, reported as FILE; merged bytes taken over the file's
        // are set as --set values are (those of --set stay).
        CommandLine edit = command;
        if (settings.count) {
            edit.settings = settings;
            edit.mode = COMMAND_SET;
        }
        if (edit.mode == COMMAND_SET)
            SetCopiedBytes(edit, copy, out);
        else
            PatchCopy(copy, out);
        uint32_t failure = 0;
        out.written = false;
        if (!out.failed && command.binary) MakeBinaryCopy(command, copy, out);
        // In place, the file itself must be as it was read, and closed (Windows replaces no
        // file that is open).
        FileStamp now{};
        if (!command.toOutput && !out.failed &&
            (!PlatformFileStamp(from, &now) || !(now == opened)))
            ReportNotCopied(out, FAILURE_CODE_CHANGED, false);
        if (!command.toOutput) {
            ClosePlatformFile(from);
            from = 0;
        }
        if (out.failed)
            AbandonPlatformReplacement(copy);
        else if (!EndPlatformReplacement(copy, output, from, &failure))
            ReportNotCopied(out, failure, true);
        out.written = !out.failed;
    }
    ReleaseByteSettings(settings);
    MainHeapFree(followed);
    if (from) ClosePlatformFile(from);
    CallOutcome outcome{EndFileReport(out), {out.written ? 1 : 0, 1}};
    return outcome;
}
