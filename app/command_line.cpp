// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include "app/report.h"
#include "app/texts.h"
#include "core/byte_settings.h"
#include "core/hex_image.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cassert>
#include <cstring>
#include <initializer_list>

namespace {

// The address ranges that the images of a call's files take: each --checksum value's range and
// place, the place written when storing; when writing, each --set value's bytes. Owned, main
// heap; ranges == nullptr when there are none.
struct CallRanges {
    ImageRange *ranges;
    int32_t count;
};

CallRanges RangesOf(const CommandLine &command, bool writing) {
    int32_t count = 2 * command.checksumCount + (writing ? command.settings.count : 0);
    CallRanges made{nullptr, count};
    if (!count) return made;
    made.ranges =
        static_cast<ImageRange *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(ImageRange)));
    ImageRange *range = made.ranges;
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        *range++ = {job.first, job.last, false};
        *range++ = {job.address,
                    job.address + static_cast<uint32_t>(ChecksumWidth(job.algorithm)) - 1, writing};
    }
    for (int32_t i = 0; writing && i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        *range++ = {static_cast<uint32_t>(setting.address),
                    static_cast<uint32_t>(setting.address) + static_cast<uint32_t>(setting.count) -
                        1,
                    true};
    }
    return made;
}

// The value stored at a job's place, as its bytes are ordered; false when no record holds
// them all.
bool StoredValue(const HexImage &image, const ChecksumJob &job, uint32_t *value, int64_t *line) {
    uint8_t bytes[4] = {};
    int32_t width = ChecksumWidth(job.algorithm);
    if (!ReadImageBytes(image, job.address, width, bytes, line)) return false;
    *value = 0;
    for (int32_t k = 0; k < width; ++k)
        *value |= static_cast<uint32_t>(bytes[job.bigEndian ? width - 1 - k : k]) << 8 * k;
    return true;
}

// Whether a file's image cannot be read or written by address, reported: an unknown image; when
// writing, a byte set or a value's place that not exactly one data record holds; bytes read that
// records hold with different values.
bool RefuseImage(const CommandLine &command, const HexImage &image, const Report &report,
                 bool writing) {
    if (image.addresses.unknownLine) {
        ReportImageUnknown(report, image.addresses, writing);
        return true;
    }
    auto refused = [&report](const WriteRefusal &refusal) {
        if (refusal.refused) ReportSetRefusal(report, refusal);
        return refusal.refused;
    };
    for (int32_t i = 0; writing && i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        if (refused(WriteHolders(image, static_cast<uint32_t>(setting.address), setting.count)))
            return true;
    }
    for (int32_t k = 0; writing && k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        if (refused(WriteHolders(image, job.address, ChecksumWidth(job.algorithm)))) return true;
    }
    if (ImageConflict conflict = ReadConflict(image); conflict.first) {
        ReportChecksumConflict(report, conflict, writing);
        return true;
    }
    return false;
}

// A walk's findings for the report, when there is one, and for the image.
struct ImageReport {
    Report *report; // may be null
    HexImage *image;
};

void ReportToImage(void *context, const Finding &finding) {
    auto &both = *static_cast<ImageReport *>(context);
    HexImageSink(both.image, finding);
    if (both.report) ReportFinding(both.report, finding);
}

// --check --checksum over a file's image: each value computed and compared with the one
// stored, and reported. -1 when the image is refused or a value's place is in no record
// (reported), else the number of values that differ.
int32_t CheckChecksums(const CommandLine &command, const HexImage &image, const Report &report,
                       bool reporting) {
    if (RefuseImage(command, image, report, false)) return -1;
    int32_t differ = 0;
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
        differ += value != stored ? 1 : 0;
    }
    return differ;
}

// Walks every named file in order and patches or checks it. Returns EXIT_FAILED when a file
// could not be opened, read or written, or an image was refused, or the report not written,
// else EXIT_FOUND_WRONG when checking found something, else EXIT_DONE.
int32_t WalkNamedFiles(const CommandLine &command, WalkMode mode) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    bool failed = false, found = false;
    bool strict = command.mode == COMMAND_STRICT;
    CallRanges ranges = RangesOf(command, false);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        Report report{};
        BeginReport(report, path.Text(), mode == WALK_PATCH);
        WalkTally tally{};
        StructureCheck check{};
        check.sink = reporting ? ReportStructure : nullptr;
        check.context = &report;
        HexImage image{};
        BeginHexImage(image, ranges.ranges, ranges.count);
        ImageReport both{reporting ? &report : nullptr, &image};
        FindingSink sink = ranges.ranges ? ReportToImage : reporting ? ReportFinding : nullptr;
        void *sinkContext = ranges.ranges ? static_cast<void *>(&both) : &report;
        RecordVisitor visitor = strict          ? CheckRecordStructure
                                : ranges.ranges ? HexImageVisitor
                                                : nullptr;
        void *visitorContext = strict ? static_cast<void *>(&check) : &image;
        int32_t walked =
            WalkHexFile(path.Text(), mode, sink, sinkContext, &tally, visitor, visitorContext);
        int32_t differ = 0;
        if (walked == 1 && ranges.ranges) {
            EndHexImage(image);
            differ = CheckChecksums(command, image, report, reporting);
        }
        ReleaseHexImage(image);
        if (strict) EndStructureCheck(check, walked == 1 ? tally.linesDone : -1);
        if (differ < 0) { // no summary, as for a refused --set
            failed = true;
            continue;
        }
        if (walked != 1)
            ReportFailure(report, walked, tally);
        else if (reporting)
            ReportSummary(report, tally,
                          strict            ? texts::SUMMARY_STRICT
                          : ranges.ranges   ? texts::SUMMARY_CHECKSUMS
                          : report.patching ? texts::SUMMARY_PATCHED
                                            : texts::SUMMARY_CHECKED,
                          strict ? check.findings : differ);
        failed = failed || walked != 1;
        found = found || tally.checksums > 0 || tally.malformed > 0 || check.findings > 0 ||
                differ > 0 || (walked == 1 && tally.records == 0);
    }
    if (ranges.ranges) MainHeapFree(ranges.ranges);
    if (!EndReport() || failed) return EXIT_FAILED;
    return mode == WALK_CHECK && found ? EXIT_FOUND_WRONG : EXIT_DONE;
}

// ---- --set and --checksum: open every file, read each, verify, write each, close ----

// One file of the call, from its open to its close.
struct SetFile {
    int32_t channel;     // owned, auto-numbered; 0 when it could not be opened; closed by the end
    FileStamp stamp;     // as opened
    HexImage image;      // owned: what the first walk found
    WalkTally first;     // of the first walk
    ByteSettingList own; // owned, with --checksum: the --set values and this file's checksum
                         // values that are not in place yet, in address order
    uint32_t *values;    // owned, main heap: each --checksum value's
    int64_t *lines;      // owned, main heap: the line of the record that holds each value's place
    bool *inPlace;       // owned, main heap: each value is stored already
};

// Each --checksum value over a file's image, in the order of the values (a value whose place lies
// in another's range comes before it): the --set values put in first, then each value put in its
// place before the next is taken. A value stored already is not written again.
void ComputeChecksums(const CommandLine &command, SetFile &file) {
    HexImage &image = file.image;
    for (int32_t i = 0; i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        OverlayImageBytes(image, static_cast<uint32_t>(setting.address), setting.bytes,
                          setting.count);
        AddByteSettingValue(file.own, setting);
    }
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        int32_t width = ChecksumWidth(job.algorithm);
        uint32_t value = ImageChecksumOver(image, job.algorithm, job.first, job.last, command.fill);
        uint32_t stored = 0;
        [[maybe_unused]] bool held = StoredValue(image, job, &stored, &file.lines[k]);
        assert(held); // every place lies in one record (RefuseImage)
        ByteSetting place{job.address, width, job.argument, {}};
        ChecksumBytes(value, width, job.bigEndian, place.bytes);
        OverlayImageBytes(image, job.address, place.bytes, width);
        file.values[k] = value;
        file.inPlace[k] = stored == value;
        if (!file.inPlace[k]) AddByteSettingValue(file.own, place);
    }
    SortByteSettings(file.own);
}

// The walk of a file whose bytes were set, but for a record that was not as it had been found;
// a file that changed since it was opened, and is not written.
constexpr int32_t SET_INCOMPLETE = -2;
constexpr int32_t SET_CHANGED = -3;

// The second walk over one file, through its channel, which it closes. A file that patching
// would leave as it is but for the set bytes needs only the records found (their checksums
// change with them); any other is walked whole.
int32_t WriteSetFile(const CommandLine &command, SetFile &file, Report &report, bool reporting,
                     WalkTally *tally, int64_t *records) {
    // Another program may have changed it while the files before it were written.
    if (FileStamp now{}; !ChannelStamp(file.channel, &now) || !(now == file.stamp))
        return SET_CHANGED;
    const ByteSettingList &list = command.checksumCount ? file.own : command.settings;
    SetWrite write = BeginSetWrite(list, file.image, reporting ? ReportStretch : nullptr, &report);
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

// The first walk over every file, which only reads: true when every file could be read and its
// image lets every byte be set (RefuseImage); else the failures and refusals are reported. The
// checksum values are computed then.
bool ReadSetFiles(const CommandLine &command, const CallRanges &ranges, SetFile *files) {
    bool ready = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        Report report{};
        BeginReport(report, path.Text(), false);
        SetFile &file = files[i];
        BeginHexImage(file.image, ranges.ranges, ranges.count);
        int32_t walked = WalkHexChannel(file.channel, WALK_CHECK, HexImageSink, &file.image,
                                        &file.first, HexImageVisitor, &file.image);
        EndHexImage(file.image);
        bool refused = false;
        if (walked != 1)
            ReportFailure(report, walked, file.first);
        else
            refused = RefuseImage(command, file.image, report, true);
        if (walked == 1 && !refused && command.checksumCount) ComputeChecksums(command, file);
        ReleaseImageBytes(file.image); // the records found stay for the write
        ready = ready && walked == 1 && !refused;
    }
    return ready;
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

// Writes every file in order, each reported; after a failure not one more file is written.
int32_t WriteSetFiles(const CommandLine &command, SetFile *files) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    bool failed = false;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        Report report{};
        BeginReport(report, path.Text(), true);
        if (failed) {
            ReportSetSkipped(report);
            continue;
        }
        WalkTally tally{};
        int64_t records = 0;
        int32_t walked = WriteSetFile(command, files[i], report, reporting, &tally, &records);
        if (walked == SET_INCOMPLETE)
            ReportSetIncomplete(report);
        else if (walked == SET_CHANGED)
            ReportSetChanged(report);
        else if (walked != 1)
            ReportFailure(report, walked, tally);
        failed = walked != 1;
        if (failed || !reporting) continue;
        for (int32_t k = 0; k < command.checksumCount; ++k) {
            const SetFile &file = files[i];
            if (file.inPlace[k])
                ReportChecksumChecked(report, file.lines[k], command.checksums[k], file.values[k],
                                      file.values[k]);
            else
                ReportChecksumStored(report, file.lines[k], command.checksums[k], file.values[k]);
        }
        ReportSummary(report, tally, texts::SUMMARY_SET, records);
    }
    if (!EndReport() || failed) return EXIT_FAILED;
    return EXIT_DONE;
}

// Every file open, then read, then checked for changes, and only then written.
int32_t SetNamedBytes(const CommandLine &command) {
    auto *files = static_cast<SetFile *>(
        MainHeapAlloc(static_cast<size_t>(command.fileCount) * sizeof(SetFile)));
    CallRanges ranges = RangesOf(command, true);
    auto values = static_cast<size_t>(command.checksumCount);
    for (int32_t i = 0; i < command.fileCount && values; ++i) {
        files[i].values = static_cast<uint32_t *>(MainHeapAlloc(values * sizeof(uint32_t)));
        files[i].lines = static_cast<int64_t *>(MainHeapAlloc(values * sizeof(int64_t)));
        files[i].inPlace = static_cast<bool *>(MainHeapAlloc(values * sizeof(bool)));
    }
    int32_t exitCode = EXIT_FAILED;
    if (OpenSetFiles(command, files) && ReadSetFiles(command, ranges, files) &&
        SetFilesUnchanged(command, files))
        exitCode = WriteSetFiles(command, files);
    else
        EndReport();
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        if (file.channel) CloseChannel(file.channel);
        ReleaseHexImage(file.image);
        ReleaseByteSettings(file.own);
        for (void *block : {static_cast<void *>(file.values), static_cast<void *>(file.lines),
                            static_cast<void *>(file.inPlace)})
            if (block) MainHeapFree(block);
    }
    if (ranges.ranges) MainHeapFree(ranges.ranges);
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
