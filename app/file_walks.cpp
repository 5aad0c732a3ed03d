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

// A walk of one file in a mode, and its summary: the outcome of the walk (its failure reported),
// with found set when it found a wrong checksum, a malformed line or no record at all.
FileOutcome Summed(const Report &report, int32_t walked, const WalkTally &tally, bool reporting,
                   const char *summary, int64_t extra) {
    if (walked != 1) {
        ReportFailure(report, walked, tally);
        return {true, false};
    }
    if (reporting) ReportSummary(report, tally, summary, extra);
    return {false, tally.checksums > 0 || tally.malformed > 0 || tally.records == 0};
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

// Each value computed over the file's image and compared with the one stored, and reported. -1
// when the image is refused or a value's place is in no record (reported), else the number of
// values that differ.
int32_t CheckValues(const CommandLine &command, const HexImage &image, const Report &report,
                    bool reporting) {
    if (RefuseImage(command, image, report, false)) return -1;
    int32_t differ = 0;
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        uint64_t value = ChecksumOfJob(image, job, command.fill);
        if (job.printed) {
            ReportChecksumPrinted(report, job, value, command.quiet);
            continue;
        }
        uint64_t stored = 0;
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

// Each --get value read from the file's image and printed: -1 when a byte is in no record
// (reported), else 0.
int32_t GetValues(const CommandLine &command, const HexImage &image, const Report &report) {
    for (int32_t i = 0; i < command.getCount; ++i) {
        const GetJob &get = command.gets[i];
        uint8_t held[255];
        int64_t line = 0;
        if (!ReadImageBytes(image, get.address, get.count, held, &line)) {
            ReportGetNotHeld(report, get.address);
            return -1;
        }
        ReportGot(report, line, get, held, command.quiet);
    }
    return 0;
}

// Each --set value's bytes read from the file's image and compared: -1 when a byte is in no
// record (reported), else whether one differs; each value reported.
int32_t CheckSetValues(const CommandLine &command, const HexImage &image, const Report &report,
                       bool reporting) {
    bool differs = false;
    for (int32_t i = 0; i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        uint8_t held[255];
        int64_t line = 0;
        if (!ReadImageBytes(image, static_cast<uint32_t>(setting.address), setting.count, held,
                            &line)) {
            ReportSetNotHeld(report, setting);
            return -1;
        }
        bool same = std::memcmp(held, setting.bytes, static_cast<size_t>(setting.count)) == 0;
        if (reporting) ReportSetChecked(report, line, setting, held);
        differs = differs || !same;
    }
    return differs ? 1 : 0;
}

// A file walked into its image over the call's ranges (its findings reported when reporting),
// and its values read from the image: the checksum values (compared or printed), the --set
// values compared, the --get values printed, up to the first refusal.
struct ImageValues {
    int32_t walked;
    WalkTally tally;
    bool refused;      // the image, or a value in no record (reported)
    int32_t checksums; // values that differ
    bool sets;         // a --set value differs
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
        read.checksums = CheckValues(command, image, report, reporting);
        int32_t sets = read.checksums < 0 ? -1 : CheckSetValues(command, image, report, reporting);
        read.refused = sets < 0 || GetValues(command, image, report) < 0;
        read.sets = sets > 0;
    }
    ReleaseHexImage(image);
    ReleaseRanges(ranges);
    return read;
}

// One walk of a file in a mode, reported as shown, with its summary; strict (SUMMARY_STRICT)
// with the check of its structure. A patch finds nothing.
FileOutcome WalkFile(const char *path, const char *shown, WalkMode mode, bool reporting,
                     const char *summary) {
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
    FileOutcome outcome = Summed(report, walked, tally, reporting, summary, check.findings);
    return {outcome.failed, mode != WALK_PATCH && (outcome.found || check.findings > 0)};
}

} // namespace

FileOutcome PatchFile(const CommandLine &, const char *path, bool reporting) {
    return PatchFileAs(path, path, reporting);
}

FileOutcome PatchFileAs(const char *path, const char *shown, bool reporting) {
    return WalkFile(path, shown, WALK_PATCH, reporting, texts::SUMMARY_PATCHED);
}

FileOutcome CheckFile(const CommandLine &, const char *path, bool reporting) {
    return WalkFile(path, path, WALK_CHECK, reporting, texts::SUMMARY_CHECKED);
}

FileOutcome StrictFile(const CommandLine &, const char *path, bool reporting) {
    return WalkFile(path, path, WALK_CHECK, reporting, texts::SUMMARY_STRICT);
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
    return {walked != 1 || unknown, false};
}

FileOutcome CheckValuesFile(const CommandLine &command, const char *path, bool reporting) {
    Report report{};
    BeginReport(report, path, false);
    ImageValues read = ReadImageValues(command, path, report, reporting);
    if (read.walked == 1 && read.refused) return {true, false}; // no summary, as for --set
    FileOutcome outcome = Summed(
        report, read.walked, read.tally, reporting,
        command.checksumCount ? texts::SUMMARY_CHECKSUMS : texts::SUMMARY_CHECKED, read.checksums);
    return {outcome.failed, outcome.found || read.checksums > 0 || read.sets};
}

// The check's walk without its findings and summary: what it prints are the values.
FileOutcome PrintValuesFile(const CommandLine &command, const char *path, bool) {
    return {CheckValuesFile(command, path, false).failed, false};
}

int32_t WalkEachFile(const CommandLine &command, FileWalk walk) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    bool failed = false, found = false;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        FileOutcome outcome = walk(command, path.Text(), reporting);
        failed = failed || outcome.failed;
        found = found || outcome.found;
    }
    if (!EndReport() || failed) return EXIT_FAILED;
    return found ? EXIT_FOUND_WRONG : EXIT_DONE;
}
