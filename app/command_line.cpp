// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include "app/report.h"
#include "app/texts.h"
#include "core/byte_settings.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

namespace {

// One file of --set, from its open to its close.
struct SetFile {
    int32_t channel;  // owned, auto-numbered; 0 when it could not be opened; closed by the end
    FileStamp stamp;  // as opened
    SetSearch search; // owned; the first walk's
    WalkTally first;  // of the first walk
};

// The walk of a file whose bytes were set, but for a record that was not as it had been found;
// a file that changed since it was opened, and is not written.
constexpr int32_t SET_INCOMPLETE = -2;
constexpr int32_t SET_CHANGED = -3;

// The second walk of --set over one file, through its channel, which it closes. A file that
// patching would leave as it is but for the set bytes needs only the records found (their
// checksums change with them); any other is walked whole.
int32_t WriteSetFile(SetFile &file, Report &report, bool reporting, WalkTally *tally,
                     int64_t *records) {
    // Another program may have changed it while the files before it were written.
    if (FileStamp now{}; !ChannelStamp(file.channel, &now) || !(now == file.stamp))
        return SET_CHANGED;
    SetWrite write = BeginSetWrite(file.search, reporting ? ReportStretch : nullptr, &report);
    bool shortcut = !file.first.unsettled && !file.first.malformed && !file.first.lastRecordOpen;
    int32_t walked;
    if (shortcut) {
        *tally = file.first;
        walked = SetFoundBytes(file.channel, write, tally);
    } else {
        SeekChannel(file.channel, 0); // a failed seek fails the walk's first read
        walked = WalkHexChannel(file.channel, WALK_PATCH, reporting ? ReportFinding : nullptr,
                                &report, tally, SetHeldBytes, &write);
    }
    walked = CloseWalkChannel(file.channel, WALK_PATCH, tally);
    file.channel = 0;
    *records = write.records;
    if (walked == 1 && !SetWriteComplete(write)) return SET_INCOMPLETE;
    return walked;
}

// Walks every named file in order (given set files, writes them). Returns EXIT_FAILED when a file
// could not be opened, read or written, or the report not written, else EXIT_FOUND_WRONG when
// checking found something, else EXIT_DONE.
int32_t WalkNamedFiles(const CommandLine &command, WalkMode mode, SetFile *set = nullptr) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    bool failed = false, found = false;
    bool strict = command.mode == COMMAND_STRICT;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        Report report{};
        BeginReport(report, path.Text(), mode == WALK_PATCH);
        WalkTally tally{};
        StructureCheck check{};
        check.sink = reporting ? ReportStructure : nullptr;
        check.context = &report;
        int32_t walked;
        int64_t setRecords = 0;
        if (set && failed) { // not one more file is written
            ReportSetSkipped(report);
            continue;
        }
        if (set) {
            walked = WriteSetFile(set[i], report, reporting, &tally, &setRecords);
        } else {
            walked = WalkHexFile(path.Text(), mode, reporting ? ReportFinding : nullptr, &report,
                                 &tally, strict ? CheckRecordStructure : nullptr, &check);
        }
        if (strict) EndStructureCheck(check, walked == 1 ? tally.linesDone : -1);
        if (walked == SET_INCOMPLETE)
            ReportSetIncomplete(report);
        else if (walked == SET_CHANGED)
            ReportSetChanged(report);
        else if (walked != 1)
            ReportFailure(report, walked, tally);
        else if (reporting)
            ReportSummary(report, tally,
                          set               ? texts::SUMMARY_SET
                          : strict          ? texts::SUMMARY_STRICT
                          : report.patching ? texts::SUMMARY_PATCHED
                                            : texts::SUMMARY_CHECKED,
                          set ? setRecords : check.findings);
        failed = failed || walked != 1;
        found = found || tally.checksums > 0 || tally.malformed > 0 || check.findings > 0 ||
                (walked == 1 && tally.records == 0);
    }
    if (!EndReport() || failed) return EXIT_FAILED;
    return mode == WALK_CHECK && found ? EXIT_FOUND_WRONG : EXIT_DONE;
}

// Every file open for writing, with its stamp; false when one could not be (each is reported).
bool OpenSetFiles(const CommandLine &command, SetFile *files) {
    bool opened = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        files[i].channel = static_cast<int32_t>(OpenChannelUpdate(AUTO_NUMBER, path.Text()));
        bool stamped = files[i].channel && ChannelStamp(files[i].channel, &files[i].stamp);
        int32_t twice = -1; // an earlier name of the same file
        for (int32_t k = 0; stamped && k < i && twice < 0; ++k)
            if (files[k].channel && files[k].stamp.volume == files[i].stamp.volume &&
                files[k].stamp.index == files[i].stamp.index)
                twice = k;
        if (stamped && twice < 0) continue;
        opened = false;
        Report report{};
        BeginReport(report, path.Text(), false);
        if (twice >= 0) {
            OwnedString earlier;
            TakeArgument(command.files[twice], earlier);
            ReportSetNamedTwice(report, earlier.Text());
            continue;
        }
        WalkTally tally{};
        tally.failure = files[i].channel ? FAILURE_CODE_CHANGED : ChannelOpenFailure();
        ReportFailure(report, 0, tally);
    }
    return opened;
}

// The first walk over every file, which only reads: true when every file could be read and
// every byte set lies in exactly one data record of each; else the failures and refusals are
// reported.
bool FindSetBytes(const CommandLine &command, SetFile *files) {
    bool found = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        Report report{};
        BeginReport(report, path.Text(), false);
        SetFile &file = files[i];
        BeginSetSearch(file.search, command.settings);
        int32_t walked = WalkHexChannel(file.channel, WALK_CHECK, NoteSetMalformed, &file.search,
                                        &file.first, FindSetHolders, &file.search);
        SetRefusal refusal = FindSetRefusal(file.search);
        if (walked != 1)
            ReportFailure(report, walked, file.first);
        else if (refusal.refused)
            ReportSetRefusal(report, refusal);
        found = found && walked == 1 && !refusal.refused;
    }
    return found;
}

// True when no file changed since it was opened; else each that did is reported.
bool SetFilesUnchanged(const CommandLine &command, SetFile *files) {
    bool unchanged = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        FileStamp now{};
        if (ChannelStamp(files[i].channel, &now) && now == files[i].stamp) continue;
        OwnedString path;
        TakeArgument(command.files[i], path);
        Report report{};
        BeginReport(report, path.Text(), false);
        ReportSetChanged(report);
        unchanged = false;
    }
    return unchanged;
}

// Every file open, then read, then checked for changes, and only then written.
int32_t SetNamedBytes(const CommandLine &command) {
    auto *files = static_cast<SetFile *>(
        MainHeapAlloc(static_cast<size_t>(command.fileCount) * sizeof(SetFile)));
    int32_t exitCode = EXIT_FAILED;
    if (OpenSetFiles(command, files) && FindSetBytes(command, files) &&
        SetFilesUnchanged(command, files))
        exitCode = WalkNamedFiles(command, WALK_PATCH, files);
    else
        EndReport();
    for (int32_t i = 0; i < command.fileCount; ++i) {
        if (files[i].channel) CloseChannel(files[i].channel);
        ReleaseSetSearch(files[i].search);
    }
    MainHeapFree(files);
    return exitCode;
}

int32_t Print(const char *text, StreamKind kind, int32_t exitCode) {
    if (OpenStandardOutput(kind)) WriteOutput(text, kind);
    return EndReport() ? exitCode : EXIT_FAILED;
}

} // namespace

int32_t PatchNamedFiles(const CommandLine &command) {
    return WalkNamedFiles(command, WALK_PATCH);
}

int32_t RunCommand(const CommandLine &command) {
    switch (command.mode) {
    case COMMAND_PATCH: return PatchNamedFiles(command);
    case COMMAND_CHECK:
    case COMMAND_STRICT: return WalkNamedFiles(command, WALK_CHECK);
    case COMMAND_SET: return SetNamedBytes(command);
    case COMMAND_USAGE: return Print(texts::USAGE, STREAM_OUTPUT, EXIT_DONE);
    case COMMAND_VERSION: return Print(texts::VERSION, STREAM_OUTPUT, EXIT_DONE);
    default:
        if (command.fault == FAULT_NONE) {
            // On Windows the usage goes where the rest of the report goes.
            Print(texts::USAGE, NATIVE ? STREAM_ERROR : STREAM_OUTPUT, EXIT_FAILED);
            return EXIT_FAILED;
        }
        ReportCommandFault(command);
        EndReport();
        return EXIT_FAILED;
    }
}
