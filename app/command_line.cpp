// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include "app/report.h"
#include "app/texts.h"
#include "core/byte_settings.h"
#include "core/image_runs.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// One file of --set, from its open to its close.
struct SetFile {
    int32_t channel;  // owned, auto-numbered; 0 when it could not be opened; closed by the end
    FileStamp stamp;  // as opened
    SetSearch search; // owned; the first walk's
    WalkTally first;  // of the first walk
    uint32_t *values; // owned, main heap: each --checksum value's, from the first walk
    int64_t *lines;   // owned, main heap: the line of the record that holds each value's place
    ByteSettingList *settings; // borrowed: the call's own copy, this file's values put in
};

// The ranges of the --checksum values, then the places of the values: what a file's image
// holds. Owned, main heap; ranges[0] == nullptr without --checksum.
struct ChecksumRanges {
    ImageRange *ranges;
    int32_t count;
};

ChecksumRanges RangesOf(const CommandLine &command) {
    ChecksumRanges made{nullptr, 2 * command.checksumCount};
    if (!command.checksumCount) return made;
    made.ranges = static_cast<ImageRange *>(
        MainHeapAlloc(static_cast<size_t>(made.count) * sizeof(ImageRange)));
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        made.ranges[k] = {job.first, job.last};
        made.ranges[command.checksumCount + k] = {
            job.address, job.address + static_cast<uint32_t>(ChecksumWidth(job.algorithm)) - 1};
    }
    return made;
}

// The value stored at a job's place, as its bytes are ordered; false when no record holds
// them all.
bool StoredValue(const ImageRuns &image, const ChecksumJob &job, uint32_t *value, int64_t *line) {
    uint8_t bytes[4] = {};
    int32_t width = ChecksumWidth(job.algorithm);
    if (!ReadImageBytes(image, job.address, width, bytes, line)) return false;
    *value = 0;
    for (int32_t k = 0; k < width; ++k)
        *value |= static_cast<uint32_t>(bytes[job.bigEndian ? width - 1 - k : k]) << 8 * k;
    return true;
}

// Each --checksum value over a file's sorted image, in the order given: the bytes set by --set
// first, then each value over its range, put in its place before the next is taken (a range
// may hold another's value).
void ComputeChecksums(const CommandLine &command, ImageRuns &image, SetFile &file) {
    for (int32_t i = 0; i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        bool place = false;
        for (int32_t k = 0; k < command.checksumCount; ++k)
            place = place || command.checksums[k].argument == setting.argument;
        if (!place) OverlayImageBytes(image, setting.address, setting.bytes, setting.count);
    }
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        uint32_t value = ImageChecksumOver(image, job.algorithm, job.first, job.last, command.fill);
        uint8_t bytes[4] = {};
        ChecksumBytes(value, ChecksumWidth(job.algorithm), job.bigEndian, bytes);
        OverlayImageBytes(image, job.address, bytes, ChecksumWidth(job.algorithm));
        file.values[k] = value;
        uint32_t stored = 0;
        StoredValue(image, job, &stored, &file.lines[k]);
    }
}

// The first walk's visitor with --checksum: the set bytes' holders and the image.
struct FirstWalk {
    SetSearch *search;
    ImageRuns *image;
};

int32_t FindHoldersAndImage(void *context, int64_t line, int64_t position, char *record,
                            int32_t length) {
    auto &walk = *static_cast<FirstWalk *>(context);
    FindSetHolders(walk.search, line, position, record, length);
    return CollectImageRuns(walk.image, line, position, record, length);
}

// The walk of a file whose bytes were set, but for a record that was not as it had been found;
// a file that changed since it was opened, and is not written.
constexpr int32_t SET_INCOMPLETE = -2;
constexpr int32_t SET_CHANGED = -3;

// The second walk of --set over one file, through its channel, which it closes. A file that
// patching would leave as it is but for the set bytes needs only the records found (their
// checksums change with them); any other is walked whole.
int32_t WriteSetFile(const CommandLine &command, SetFile &file, Report &report, bool reporting,
                     WalkTally *tally, int64_t *records) {
    // Another program may have changed it while the files before it were written.
    if (FileStamp now{}; !ChannelStamp(file.channel, &now) || !(now == file.stamp))
        return SET_CHANGED;
    // This file's --checksum values in their places.
    ByteSettingList &settings = *file.settings;
    for (int32_t i = 0; i < settings.count && file.values; ++i)
        for (int32_t k = 0; k < command.checksumCount; ++k)
            if (settings.items[i].argument == command.checksums[k].argument)
                ChecksumBytes(file.values[k], settings.items[i].count,
                              command.checksums[k].bigEndian, settings.items[i].bytes);
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

// --check --checksum over a file's image: each value computed and compared with the one
// stored, and reported. -1 when a range holds conflicting bytes or a value's place is in no
// record, else 1 when a value stored differs, else 0.
int32_t CheckChecksums(const CommandLine &command, ImageRuns &image, const Report &report,
                       bool reporting) {
    if (ImageConflict conflict = SortImageRuns(image); conflict.first) {
        ReportChecksumConflict(report, conflict, false);
        return -1;
    }
    int32_t outcome = 0;
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        uint32_t value = ImageChecksumOver(image, job.algorithm, job.first, job.last, command.fill);
        uint32_t stored = 0;
        int64_t line = 0;
        if (!StoredValue(image, job, &stored, &line)) {
            ReportChecksumNotStored(report, job.address);
            return -1;
        }
        if (reporting) ReportChecksumChecked(report, line, job, value, stored);
        if (value != stored) outcome = 1;
    }
    return outcome;
}

// Walks every named file in order (given set files, writes them). Returns EXIT_FAILED when a file
// could not be opened, read or written, or the report not written, else EXIT_FOUND_WRONG when
// checking found something, else EXIT_DONE.
int32_t WalkNamedFiles(const CommandLine &command, WalkMode mode, SetFile *set = nullptr) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    bool failed = false, found = false;
    bool strict = command.mode == COMMAND_STRICT;
    ChecksumRanges ranges = set ? ChecksumRanges{} : RangesOf(command);
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
        ImageRuns image{};
        BeginImageRuns(image, ranges.ranges, ranges.count);
        if (set) {
            walked = WriteSetFile(command, set[i], report, reporting, &tally, &setRecords);
            for (int32_t k = 0; walked == 1 && reporting && k < command.checksumCount; ++k)
                ReportChecksumStored(report, set[i].lines[k], command.checksums[k],
                                     set[i].values[k]);
        } else {
            RecordVisitor visitor = strict                  ? CheckRecordStructure
                                    : command.checksumCount ? CollectImageRuns
                                                            : nullptr;
            walked = WalkHexFile(path.Text(), mode, reporting ? ReportFinding : nullptr, &report,
                                 &tally, visitor, strict ? static_cast<void *>(&check) : &image);
            if (walked == 1 && command.checksumCount) {
                int32_t checked = CheckChecksums(command, image, report, reporting);
                found = found || checked > 0;
                if (checked < 0) { // no summary, as for a refused --set
                    failed = true;
                    ReleaseImageRuns(image);
                    continue;
                }
            }
        }
        ReleaseImageRuns(image);
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
    if (ranges.ranges) MainHeapFree(ranges.ranges);
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
bool FindSetBytes(const CommandLine &command, const ChecksumRanges &ranges, SetFile *files) {
    bool found = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        Report report{};
        BeginReport(report, path.Text(), false);
        SetFile &file = files[i];
        BeginSetSearch(file.search, *file.settings);
        ImageRuns image{};
        BeginImageRuns(image, ranges.ranges, ranges.count);
        FirstWalk both{&file.search, &image};
        int32_t walked =
            WalkHexChannel(file.channel, WALK_CHECK, NoteSetMalformed, &file.search, &file.first,
                           ranges.ranges ? FindHoldersAndImage : FindSetHolders,
                           ranges.ranges ? static_cast<void *>(&both) : &file.search);
        SetRefusal refusal = FindSetRefusal(file.search);
        ImageConflict conflict = SortImageRuns(image);
        if (walked != 1)
            ReportFailure(report, walked, file.first);
        else if (refusal.refused)
            ReportSetRefusal(report, refusal);
        else if (conflict.first)
            ReportChecksumConflict(report, conflict, true);
        else if (ranges.ranges)
            ComputeChecksums(command, image, file);
        ReleaseImageRuns(image);
        found = found && walked == 1 && !refusal.refused && !conflict.first;
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
    // The call's own copy of the settings, each file's --checksum values put in before its
    // bytes are written.
    ByteSettingList settings = command.settings;
    size_t listed = static_cast<size_t>(settings.count) * sizeof(ByteSetting);
    settings.items = static_cast<ByteSetting *>(MainHeapAlloc(listed + 1));
    if (listed) std::memcpy(settings.items, command.settings.items, listed);
    ChecksumRanges ranges = RangesOf(command);
    auto values = static_cast<size_t>(command.checksumCount);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        files[i].settings = &settings;
        if (!values) continue;
        files[i].values = static_cast<uint32_t *>(MainHeapAlloc(values * sizeof(uint32_t)));
        files[i].lines = static_cast<int64_t *>(MainHeapAlloc(values * sizeof(int64_t)));
    }
    int32_t exitCode = EXIT_FAILED;
    if (OpenSetFiles(command, files) && FindSetBytes(command, ranges, files) &&
        SetFilesUnchanged(command, files))
        exitCode = WalkNamedFiles(command, WALK_PATCH, files);
    else
        EndReport();
    for (int32_t i = 0; i < command.fileCount; ++i) {
        if (files[i].channel) CloseChannel(files[i].channel);
        ReleaseSetSearch(files[i].search);
        if (files[i].values) MainHeapFree(files[i].values);
        if (files[i].lines) MainHeapFree(files[i].lines);
    }
    if (ranges.ranges) MainHeapFree(ranges.ranges);
    ReleaseByteSettings(settings);
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
