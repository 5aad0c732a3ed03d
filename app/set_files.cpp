// SPDX-License-Identifier: MIT
#include "app/set_files.h"

#include "app/command_line.h"
#include "app/report.h"
#include "app/texts.h"
#include "runtime/file_channels.h"
#include "runtime/invariants.h"
#include "runtime/registry.h"
#include "runtime/standard_output.h"

#include <cstring>
#include <initializer_list>

SetFile *MakeSetFiles(const CommandLine &command) {
    auto *files = static_cast<SetFile *>(
        MainHeapAlloc(static_cast<size_t>(command.fileCount) * sizeof(SetFile)));
    auto values = static_cast<size_t>(command.checksumCount);
    auto settings = static_cast<size_t>(command.settings.count);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        CopyStringInto(files[i].path, command.files[i]);
        if (settings) {
            files[i].setLines = static_cast<int64_t *>(MainHeapAlloc(settings * sizeof(int64_t)));
            files[i].setInPlace = static_cast<bool *>(MainHeapAlloc(settings * sizeof(bool)));
        }
        if (!values) continue;
        files[i].values =
            static_cast<ChecksumValue *>(MainHeapAlloc(values * sizeof(ChecksumValue)));
        files[i].lines = static_cast<int64_t *>(MainHeapAlloc(values * sizeof(int64_t)));
        files[i].inPlace = static_cast<bool *>(MainHeapAlloc(values * sizeof(bool)));
    }
    return files;
}

// A write that fails only at the close (as on some network shares) fails the write.
bool CloseSetFile(SetFile &file, WalkTally *tally) {
    if (!file.channel) return tally == nullptr || !tally->failure;
    int32_t channel = file.channel;
    file.channel = 0;
    if (tally) return CloseWalkChannel(channel, WALK_PATCH, tally) == 1;
    CloseChannel(channel);
    return true;
}

void ReleaseSetFiles(const CommandLine &command, SetFile *files) {
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        CloseSetFile(file, nullptr);
        FreeString(file.path);
        ReleaseHexImage(file.image);
        ReleaseByteSettings(file.own);
        for (void *block : {static_cast<void *>(file.values), static_cast<void *>(file.lines),
                            static_cast<void *>(file.inPlace), static_cast<void *>(file.setLines),
                            static_cast<void *>(file.setInPlace)})
            if (block) MainHeapFree(block);
    }
    MainHeapFree(files);
}

namespace {

// Every file open, then read, then checked for changes, and only then written. A file that the
// call did not write fails with it, its own report telling why when it was at fault.
CallOutcome SetFiles(const CommandLine &command, SetFile *files) {
    CallOutcome outcome{EXIT_FAILED, {0, command.fileCount}};
    if (OpenSetFiles(command, files) && ReadSetFiles(command, files) &&
        SetFilesUnchanged(command, files))
        outcome = WriteSetFiles(command, files);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        if (!file.report->written) file.report->failed = true;
        if (file.ended || file.report != &file.ownReport) continue;
        file.ended = true;
        int32_t exitCode = EndFileReport(*file.report);
        outcome.exitCode = exitCode > outcome.exitCode ? exitCode : outcome.exitCode;
    }
    ReleaseSetFiles(command, files);
    return outcome;
}

} // namespace

CallOutcome SetNamedBytes(const CommandLine &command) {
    SetFile *files = MakeSetFiles(command);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        files[i].report = &files[i].ownReport;
        BeginFileReport(files[i].ownReport, command, PathOf(files[i]), true);
    }
    return SetFiles(command, files);
}

void SetCopiedBytes(const CommandLine &command, PlatformFile copy, Report &report) {
    SetFile *files = MakeSetFiles(command);
    files[0].given = copy;
    files[0].report = &report;
    SetFiles(command, files);
}

// Opening: every file open for writing, with its stamp.
// Every file open for writing, with its stamp; false when one could not be (each is reported).
bool OpenSetFiles(const CommandLine &command, SetFile *files) {
    bool opened = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        files[i].channel =
            static_cast<int32_t>(files[i].given ? OpenChannelOnFile(AUTO_NUMBER, files[i].given)
                                                : OpenChannelUpdate(AUTO_NUMBER, PathOf(files[i])));
        bool stamped = files[i].channel && ChannelStamp(files[i].channel, &files[i].stamp);
        int32_t twice = -1; // an earlier name of the same file
        for (int32_t k = 0; stamped && k < i && twice < 0; ++k)
            if (files[k].channel && files[k].stamp.volume == files[i].stamp.volume &&
                files[k].stamp.index == files[i].stamp.index)
                twice = k;
        if (stamped && twice < 0) continue;
        opened = false;
        if (twice >= 0) {
            ReportSetNamedTwice(*files[i].report, NameOf(files[twice]));
            continue;
        }
        WalkTally tally{};
        tally.failure = files[i].channel ? FAILURE_CODE_CHANGED : ChannelOpenFailure();
        ReportFailure(*files[i].report, 0, tally);
    }
    return opened;
}

// True when no file changed since it was opened; else each that did is reported.
bool SetFilesUnchanged(const CommandLine &command, SetFile *files) {
    bool unchanged = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        FileStamp now{};
        if (ChannelStamp(files[i].channel, &now) && now == files[i].stamp) continue;
        ReportSetChanged(*files[i].report);
        unchanged = false;
    }
    return unchanged;
}

// Reading: each file's image, and the values to write in it.
namespace {

// The values to write in a file's image, those in place already left out: the --set values
// first, then each --checksum value over the image in the order of the values (a value whose
// place lies in another's range comes before it), each put in its place before the next is taken.
// False when a byte to write lies in no record after all (the image refused none: the call is
// refused rather than write what was not read).
bool ComputeValues(const CommandLine &command, SetFile &file) {
    HexImage &image = file.image;
    for (int32_t i = 0; i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        auto address = static_cast<uint32_t>(setting.address);
        uint8_t held[255];
        int32_t read = ReadImageBytes(image, address, setting.count, held, &file.setLines[i]);
        if (!ALWAYS(read == setting.count)) return false; // (RefuseImage: every byte is held)
        file.setInPlace[i] =
            std::memcmp(held, setting.bytes, static_cast<size_t>(setting.count)) == 0;
        if (file.setInPlace[i]) continue;
        OverlayImageBytes(image, address, setting.bytes, setting.count);
        AddByteSettingValue(file.own, setting);
    }
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        int32_t width = ChecksumWidth(job.algorithm);
        ChecksumValue value = ChecksumOfJob(image, job, command.fill);
        file.values[k] = value;
        if (job.printed) continue; // (nothing to store)
        ChecksumValue stored{};
        int32_t held = StoredValue(image, job, &stored, &file.lines[k]);
        if (!ALWAYS(held == width)) return false; // (RefuseImage: every place is held)
        ByteSetting place{job.address, width, job.argument, {}};
        ValueBytes(value, job.algorithm, job.bigEndian, place.bytes);
        OverlayImageBytes(image, job.address, place.bytes, width);
        file.inPlace[k] = SameValue(stored, value);
        if (!file.inPlace[k]) AddByteSettingValue(file.own, place);
    }
    SortByteSettings(file.own);
    return true;
}

} // namespace

// The first walk over every file, which only reads: true when every file could be read and its
// image lets every byte be set (RefuseImage); else the failures and refusals are reported, naming
// the input. The values to write are found then.
bool ReadSetFiles(const CommandLine &command, SetFile *files) {
    CallRanges ranges = RangesOf(command, true);
    bool ready = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        Report &report = *file.report;
        BeginHexImage(file.image, ranges.ranges, ranges.count);
        int32_t walked = WalkHexChannel(file.channel, WALK_CHECK, HexImageSink, &file.image,
                                        &file.first, HexImageVisitor, &file.image);
        EndHexImage(file.image);
        bool refused = false;
        if (walked != 1)
            ReportFailure(report, walked, file.first);
        else
            refused = RefuseImage(command, file.image, report, true);
        if (walked == 1 && !refused && !ComputeValues(command, file)) {
            ReportSetChanged(report);
            refused = true;
        }
        ReleaseImageBytes(file.image); // the records found stay for the write
        ready = ready && walked == 1 && !refused;
    }
    ReleaseRanges(ranges);
    return ready;
}

// Writing: each file in turn, and its report.
namespace {

// The walk of a file whose bytes were set, but for a record that was not as it had been found;
// a file that changed since it was opened, and is not written.
constexpr int32_t SET_INCOMPLETE = -2;
constexpr int32_t SET_CHANGED = -3;

// The second walk over one file, through its channel, which it closes. A file that patching
// would leave as it is but for the set bytes needs only the records found (their checksums
// change with them); any other is walked whole.
int32_t WriteSetFile(SetFile &file, Report &report, bool reporting, WalkTally *tally,
                     int64_t *records) {
    // Another program may have changed it while the files before it were written.
    if (FileStamp now{}; !ChannelStamp(file.channel, &now) || !(now == file.stamp))
        return SET_CHANGED;
    SetWrite write =
        BeginSetWrite(file.own, file.image, reporting ? ReportStretch : nullptr, &report);
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
    walked = CloseSetFile(file, tally) ? 1 : -1;
    *records = write.records;
    if (walked == 1 && !SetWriteComplete(write)) return SET_INCOMPLETE;
    return walked;
}

// The values of a file written, in the order given: each --set value in place already, each
// --checksum value stored, in place already or printed; quiet, the printed values alone.
void ReportValuesWritten(const CommandLine &command, const SetFile &file, Report &report) {
    bool reporting = Reporting(report);
    EachValueInOrder(command, [&](ValueKind kind, int32_t i) {
        if (kind == VALUE_SET && reporting && file.setInPlace[i]) {
            const ByteSetting &setting = command.settings.items[i];
            ReportSetChecked(report, file.setLines[i], setting, setting.bytes);
        } else if (kind == VALUE_CHECKSUM && command.checksums[i].printed) {
            ReportChecksumPrinted(report, command.checksums[i], file.values[i]);
        } else if (kind == VALUE_CHECKSUM && reporting) {
            ReportChecksumWritten(report, file.lines[i], command.checksums[i], file.values[i],
                                  file.inPlace[i]);
        }
        return true;
    });
}

} // namespace

// Writes every file in order, each reported; after a failure not one more file is written.
CallOutcome WriteSetFiles(const CommandLine &command, SetFile *files) {
    OpenStandardOutput();
    CallOutcome outcome{EXIT_DONE, {0, command.fileCount}};
    bool failed = false;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        Report &report = *file.report;
        if (failed) {
            ReportSetSkipped(report);
        } else {
            WalkTally tally{};
            int64_t records = 0;
            int32_t walked = WriteSetFile(file, report, Reporting(report), &tally, &records);
            if (walked == SET_INCOMPLETE)
                ReportSetIncomplete(report);
            else if (walked == SET_CHANGED)
                ReportSetChanged(report);
            else if (walked != 1)
                ReportFailure(report, walked, tally);
            report.tally = tally;
            report.read = report.written = walked == 1;
            report.summary = texts::SUMMARY_SET;
            report.recordsSet = records;
            if (walked == 1) ReportValuesWritten(command, file, report);
            outcome.files.written += walked == 1 ? 1 : 0;
        }
        failed = failed || report.failed;
        if (report.failed && outcome.exitCode < EXIT_FAILED) outcome.exitCode = EXIT_FAILED;
        if (&report != &file.ownReport) continue; // (the caller ends it)
        file.ended = true;
        int32_t exitCode = EndFileReport(report);
        outcome.exitCode = exitCode > outcome.exitCode ? exitCode : outcome.exitCode;
    }
    return outcome;
}
