// SPDX-License-Identifier: MIT
#include "app/file_walks.h"

#include "app/command_line.h"
#include "app/image_values.h"
#include "app/texts.h"
#include "core/hex_image.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>

// A walk that read the file whole, or its failure, in the file's record.
void NoteWalk(Report &report, int32_t walked, const WalkTally &tally, const char *summary) {
    report.tally = tally;
    report.read = walked == 1;
    report.summary = summary;
    if (walked != 1) ReportFailure(report, walked, tally);
}

namespace {

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

// What the values of a call came to on a file's image: refused (reported), or the number of
// --checksum values and of --set values that differ from what is stored.
struct ValueCounts {
    bool refused;
    int32_t checksums, sets;
};

// Each value of the call read from the file's image, in the order given, and reported: the
// checksum values computed and compared with the one stored or given (or printed), the --set values
// compared, the --get values printed; up to the first refusal. A value is refused when a byte
// it reads is in no record, the first such byte named.
ValueCounts ReportValues(const CommandLine &command, const HexImage &image, Report &report,
                         bool reporting) {
    ValueCounts counts{};
    if (RefuseImage(command, image, report, false)) {
        counts.refused = true;
        return counts;
    }
    counts.refused = !EachValueInOrder(command, [&](ValueKind kind, int32_t index) {
        uint8_t held[255];
        int64_t line = 0;
        if (kind == VALUE_CHECKSUM) {
            const ChecksumJob &job = command.checksums[index];
            ChecksumValue value = ChecksumOfJob(image, job, command.fill), stored = job.value;
            if (job.printed && !job.expected) {
                ReportChecksumPrinted(report, job, value);
                return true;
            }
            int32_t read = job.expected ? stored.width : StoredValue(image, job, &stored, &line);
            if (read != ChecksumWidth(job.algorithm)) {
                ReportChecksumNotStored(report, job.address + static_cast<uint32_t>(read));
                return false;
            }
            if (reporting) ReportChecksumChecked(report, line, job, value, stored);
            counts.checksums += SameValue(value, stored) ? 0 : 1;
            return true;
        }
        if (kind == VALUE_SET) {
            const ByteSetting &setting = command.settings.items[index];
            auto address = static_cast<uint32_t>(setting.address);
            int32_t read = ReadImageBytes(image, address, setting.count, held, &line);
            if (read != setting.count) {
                ReportSetNotHeld(report, address + static_cast<uint32_t>(read));
                return false;
            }
            if (reporting) ReportSetChecked(report, line, setting, held);
            counts.sets += std::memcmp(held, setting.bytes, static_cast<size_t>(read)) ? 1 : 0;
            return true;
        }
        const GetJob &get = command.gets[index];
        int32_t read = ReadImageBytes(image, get.address, get.count, held, &line);
        if (read != get.count) {
            ReportGetNotHeld(report, get.address + static_cast<uint32_t>(read));
            return false;
        }
        ReportGot(report, line, get, held);
        return true;
    });
    return counts;
}

// A file walked into its image over the call's ranges (its findings reported when reporting),
// and its values read from the image (ReportValues).
struct ImageValues {
    int32_t walked;
    WalkTally tally;
    ValueCounts values;
};

ImageValues ReadImageValues(const CommandLine &command, const char *path, Report &report,
                            bool reporting) {
    ImageValues read{};
    CallRanges ranges = RangesOf(command, false);
    HexImage image{};
    BeginHexImage(image, ranges.ranges, ranges.count);
    ImageReport both{reporting ? &report : nullptr, &image};
    read.walked =
        WalkHexFile(path, WALK_CHECK, ReportToImage, &both, &read.tally, HexImageVisitor, &image);
    if (read.walked == 1) {
        EndHexImage(image);
        read.values = ReportValues(command, image, report, reporting);
    }
    ReleaseHexImage(image);
    ReleaseRanges(ranges);
    return read;
}

// One walk of a file in a mode, with its summary; strict (SUMMARY_STRICT) with the check of its
// structure.
// A file open already (copy) is walked in its place.
void WalkFile(const char *path, Report &report, WalkMode mode, const char *summary,
              PlatformFile copy = 0) {
    WalkTally tally{};
    StructureCheck check{};
    bool strict = summary == texts::SUMMARY_STRICT, reporting = Reporting(report);
    check.sink = reporting ? ReportStructure : nullptr;
    check.context = &report;
    FindingSink sink = reporting ? ReportFinding : nullptr;
    RecordVisitor visitor = strict ? CheckRecordStructure : nullptr;
    int32_t walked = 0;
    if (!copy) {
        walked = WalkHexFile(path, mode, sink, &report, &tally, visitor, &check);
    } else if (auto channel = static_cast<int32_t>(OpenChannelOnFile(AUTO_NUMBER, copy))) {
        WalkHexChannel(channel, mode, sink, &report, &tally, visitor, &check);
        walked = CloseWalkChannel(channel, mode, &tally);
    } else {
        tally.failure = ChannelOpenFailure();
        tally.failedWriting = true;
    }
    if (strict) EndStructureCheck(check, walked == 1 ? tally.linesDone : -1);
    NoteWalk(report, walked, tally, summary);
    report.structure = check.findings;
    report.written = mode == WALK_PATCH && walked == 1;
}

} // namespace

void PatchFile(const CommandLine &, const char *path, Report &report) {
    WalkFile(path, report, WALK_PATCH, texts::SUMMARY_PATCHED);
}

void PatchCopy(PlatformFile copy, Report &report) {
    WalkFile(nullptr, report, WALK_PATCH, texts::SUMMARY_PATCHED, copy);
}

void CheckFile(const CommandLine &, const char *path, Report &report) {
    WalkFile(path, report, WALK_CHECK, texts::SUMMARY_CHECKED);
}

void StrictFile(const CommandLine &, const char *path, Report &report) {
    WalkFile(path, report, WALK_CHECK, texts::SUMMARY_STRICT);
}

namespace {

// Of a walk's findings, the malformed lines alone.
void ReportMalformed(void *report, const Finding &finding) {
    if (finding.kind == FINDING_MALFORMED) ReportFinding(report, finding);
}

} // namespace

// The image first, then the findings as the strict check's walk finds them, then the map; the
// same when quiet, the map being what was asked for. An image that cannot be known fails at once,
// the line that makes it so named before the findings, and the map has no ranges.
void InfoFile(const CommandLine &, const char *path, Report &report) {
    OpenStandardOutput();
    FileInfo info{};
    const ImageRange all{0, 0xFFFFFFFF, false};
    BeginHexImage(info.image, &all, 1);
    info.check.sink = ReportStructure;
    info.check.context = &report;
    report.info = &info;
    WalkTally tally{};
    int32_t walked = WalkHexFile(path, WALK_CHECK, HexImageSink, &info.image, &tally,
                                 HexImageVisitor, &info.image);
    EndHexImage(info.image);
    if (walked == 1 && info.image.addresses.unknownLine)
        ReportImageUnknown(report, info.image.addresses, texts::NO_MAP);
    if (walked == 1)
        walked = WalkHexFile(path, WALK_CHECK, ReportMalformed, &report, &tally,
                             CheckRecordStructure, &info.check);
    EndStructureCheck(info.check, walked == 1 ? tally.linesDone : -1);
    NoteWalk(report, walked, tally, nullptr);
    if (walked == 1) ReportFileInfo(report, info, tally);
    report.info = nullptr;
    ReleaseHexImage(info.image);
}

// The values compared (or printed) and the file's summary; a file whose values are refused gets
// no summary, as for --set.
void CheckValuesFile(const CommandLine &command, const char *path, Report &report) {
    ImageValues read = ReadImageValues(command, path, report, Reporting(report));
    bool values = command.checksumCount || command.settings.count;
    NoteWalk(report, read.walked, read.tally,
             values ? texts::SUMMARY_CHECKSUMS : texts::SUMMARY_CHECKED);
    report.checksumsDiffer = command.checksumCount ? read.values.checksums : -1;
    report.setsDiffer = command.settings.count ? read.values.sets : -1;
}

// The check's walk without its findings and summary: what it prints are the values.
void PrintValuesFile(const CommandLine &command, const char *path, Report &report) {
    ImageValues read = ReadImageValues(command, path, report, false);
    NoteWalk(report, read.walked, read.tally, nullptr);
}

CallOutcome WalkEachFile(const CommandLine &command, FileWalk walk) {
    OpenStandardOutput();
    CallOutcome call{};
    for (int32_t i = 0; i < command.fileCount; ++i) {
        const char *path = command.files[i];
        Report report{};
        BeginFileReport(report, command, path, walk == PatchFile);
        walk(command, path, report);
        int32_t exitCode = EndFileReport(report);
        call.exitCode = exitCode > call.exitCode ? exitCode : call.exitCode;
        call.files.written += report.written ? 1 : 0;
    }
    call.files.toWrite = walk == PatchFile ? command.fileCount : 0;
    return call;
}
