// SPDX-License-Identifier: MIT
#include "app/file_walks.h"

#include "app/command_line.h"
#include "app/image_values.h"
#include "app/texts.h"
#include "core/hex_image.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// A walk of one file in a mode, and its summary (or, quiet, its findings in one line): the outcome
// of the walk (its failure reported), with found set when it found a wrong checksum (but for a
// patch, which corrects it), a malformed line or no record at all.
FileOutcome Summed(const CommandLine &command, const Report &report, int32_t walked,
                   const WalkTally &tally, bool reporting, const char *summary, int64_t extra,
                   int64_t sets = -1) {
    if (walked != 1) {
        ReportFailure(report, walked, tally);
        return {true, false, false};
    }
    bool strict = summary == texts::SUMMARY_STRICT, values = summary == texts::SUMMARY_CHECKSUMS;
    if (reporting)
        ReportSummary(report, tally, summary, extra, sets);
    else if (command.quiet)
        ReportQuietFindings(report, tally, strict ? extra : 0, values ? extra : -1, sets);
    bool wrong = !report.patching && tally.checksums > 0;
    return {false, wrong || tally.malformed > 0 || tally.records == 0, report.patching};
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

// What the values of a call came to on a file's image: refused (reported), or the number of
// --checksum values and of --set values that differ from what is stored.
struct ValueCounts {
    bool refused;
    int32_t checksums, sets;
};

// Each value of the call read from the file's image, in the order given, and reported: the
// checksum values computed and compared with the one stored (or printed), the --set values
// compared, the --get values printed; up to the first refusal. A value is refused when a byte
// it reads is in no record, the first such byte named.
ValueCounts ReportValues(const CommandLine &command, const HexImage &image, const Report &report,
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
            uint64_t value = ChecksumOfJob(image, job, command.fill), stored = 0;
            if (job.printed) {
                ReportChecksumPrinted(report, job, value, command.quiet);
                return true;
            }
            int32_t read = StoredValue(image, job, &stored, &line);
            if (read != ChecksumWidth(job.algorithm)) {
                ReportChecksumNotStored(report, job.address + static_cast<uint32_t>(read));
                return false;
            }
            if (reporting) ReportChecksumChecked(report, line, job, value, stored);
            counts.checksums += value != stored ? 1 : 0;
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
        ReportGot(report, line, get, held, command.quiet);
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

// One walk of a file in a mode, reported as shown, with its summary; strict (SUMMARY_STRICT)
// with the check of its structure.
FileOutcome WalkFile(const CommandLine &command, const char *path, const char *shown, WalkMode mode,
                     bool reporting, const char *summary) {
    Report report{};
    BeginReport(report, shown, mode == WALK_PATCH);
    WalkTally tally{};
    StructureCheck check{};
    bool strict = summary == texts::SUMMARY_STRICT;
    check.sink = reporting ? ReportStructure : nullptr;
    check.context = &report;
    int32_t walked = WalkHexFile(path, mode, reporting ? ReportFinding : nullptr, &report, &tally,
                                 strict ? CheckRecordStructure : nullptr, &check);
    if (strict) EndStructureCheck(check, walked == 1 ? tally.linesDone : -1);
    FileOutcome outcome =
        Summed(command, report, walked, tally, reporting, summary, check.findings);
    outcome.found = outcome.found || check.findings > 0;
    return outcome;
}

} // namespace

FileOutcome PatchFile(const CommandLine &command, const char *path, bool reporting) {
    return PatchFileAs(command, path, path, reporting);
}

FileOutcome PatchFileAs(const CommandLine &command, const char *path, const char *shown,
                        bool reporting) {
    return WalkFile(command, path, shown, WALK_PATCH, reporting, texts::SUMMARY_PATCHED);
}

FileOutcome CheckFile(const CommandLine &command, const char *path, bool reporting) {
    return WalkFile(command, path, path, WALK_CHECK, reporting, texts::SUMMARY_CHECKED);
}

FileOutcome StrictFile(const CommandLine &command, const char *path, bool reporting) {
    return WalkFile(command, path, path, WALK_CHECK, reporting, texts::SUMMARY_STRICT);
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
FileOutcome InfoFile(const CommandLine &, const char *path, bool) {
    OpenStandardOutput();
    Report report{};
    BeginReport(report, path, false);
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
    bool unknown = walked == 1 && info.image.addresses.unknownLine != 0;
    if (unknown) ReportImageUnknown(report, info.image.addresses, texts::NO_MAP);
    if (walked == 1)
        walked = WalkHexFile(path, WALK_CHECK, ReportMalformed, &report, &tally,
                             CheckRecordStructure, &info.check);
    EndStructureCheck(info.check, walked == 1 ? tally.linesDone : -1);
    if (walked == 1)
        ReportFileInfo(report, info, tally);
    else
        ReportFailure(report, walked, tally);
    ReleaseHexImage(info.image);
    return {walked != 1 || unknown, false, false};
}

// A file whose values are refused gets no summary, as for --set.
FileOutcome CheckValuesFile(const CommandLine &command, const char *path, bool reporting) {
    Report report{};
    BeginReport(report, path, false);
    report.named = command.fileCount > 1;
    ImageValues read = ReadImageValues(command, path, report, reporting);
    if (read.walked == 1 && read.values.refused) return {true, false, false};
    bool values = command.checksumCount || command.settings.count;
    FileOutcome outcome = Summed(command, report, read.walked, read.tally, reporting,
                                 values ? texts::SUMMARY_CHECKSUMS : texts::SUMMARY_CHECKED,
                                 command.checksumCount ? read.values.checksums : -1,
                                 command.settings.count ? read.values.sets : -1);
    outcome.found = outcome.found || read.values.checksums > 0 || read.values.sets > 0;
    return outcome;
}

// The check's walk without its findings and summary: what it prints are the values.
FileOutcome PrintValuesFile(const CommandLine &command, const char *path, bool) {
    Report report{};
    BeginReport(report, path, false);
    report.named = command.fileCount > 1;
    ImageValues read = ReadImageValues(command, path, report, false);
    if (read.walked != 1) ReportFailure(report, read.walked, read.tally);
    return {read.walked != 1 || read.values.refused, false, false};
}

CallOutcome WalkEachFile(const CommandLine &command, FileWalk walk) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    CallOutcome call{};
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        FileOutcome outcome = walk(command, path.Text(), reporting);
        call.failed = call.failed || outcome.failed;
        call.found = call.found || outcome.found;
        call.files.written += outcome.written ? 1 : 0;
    }
    call.files.toWrite = walk == PatchFile ? command.fileCount : 0;
    return call;
}
