// SPDX-License-Identifier: MIT
#include "app/image_values.h"

#include "app/texts.h"
#include "runtime/registry.h"

CallRanges RangesOf(const CommandLine &command, bool writing) {
    int32_t count = command.settings.count + command.getCount;
    for (int32_t k = 0; k < command.checksumCount; ++k)
        count += command.checksums[k].rangeCount + (command.checksums[k].printed ? 0 : 1);
    CallRanges made{nullptr, count};
    if (!count) return made;
    made.ranges =
        static_cast<ImageRange *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(ImageRange)));
    ImageRange *range = made.ranges;
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        for (int32_t i = 0; i < job.rangeCount; ++i)
            *range++ = {job.ranges[i].first, job.ranges[i].last, false};
        if (!job.printed)
            *range++ = {job.address,
                        job.address + static_cast<uint32_t>(ChecksumWidth(job.algorithm)) - 1,
                        writing};
    }
    for (int32_t i = 0; i < command.getCount; ++i) {
        const GetJob &get = command.gets[i];
        *range++ = {get.address, get.address + static_cast<uint32_t>(get.count) - 1, false};
    }
    for (int32_t i = 0; i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        *range++ = {static_cast<uint32_t>(setting.address),
                    static_cast<uint32_t>(setting.address) + static_cast<uint32_t>(setting.count) -
                        1,
                    writing};
    }
    return made;
}

ChecksumValue ChecksumOfJob(const HexImage &image, const ChecksumJob &job, uint8_t fill) {
    ImageChecksum sum;
    BeginImageChecksum(sum, job.algorithm);
    for (int32_t i = 0; i < job.rangeCount; ++i)
        AddImageRange(sum, image, job.ranges[i].first, job.ranges[i].last, fill);
    return EndImageValue(sum);
}

int32_t StoredValue(const HexImage &image, const ChecksumJob &job, ChecksumValue *value,
                    int64_t *line) {
    uint8_t bytes[MOST_VALUE_BYTES] = {};
    int32_t width = ChecksumWidth(job.algorithm);
    if (int32_t held = ReadImageBytes(image, job.address, width, bytes, line); held != width)
        return held;
    *value = StoredBytesValue(bytes, job.algorithm, job.bigEndian);
    return width;
}

void ReleaseRanges(CallRanges &ranges) {
    if (ranges.ranges) MainHeapFree(ranges.ranges);
    ranges = CallRanges{};
}

// What a call refused on a file did not do: set, compare (a check) or read.
const char *NothingDone(const CommandLine &command, bool writing) {
    return writing                         ? texts::NOTHING_SET
           : command.mode == COMMAND_CHECK ? texts::NOTHING_COMPARED
                                           : texts::NOTHING_READ;
}

// The first of: an unknown image; a record with a wrong checksum, but for a check (whose
// finding it is); when writing, a byte set or a value's place that not exactly one data record
// holds; a --checksum range that no record holds a byte of (a mistyped address); bytes read
// that records hold with different values.
bool RefuseImage(const CommandLine &command, const HexImage &image, Report &report, bool writing) {
    const char *nothing = NothingDone(command, writing);
    if (image.addresses.unknownLine) {
        ReportImageUnknown(report, image.addresses, nothing);
        return true;
    }
    if (image.wrongLine && command.mode != COMMAND_CHECK) {
        ReportWrongChecksum(report, image.wrongLine, nothing);
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
        if (!job.printed && refused(WriteHolders(image, job.address, ChecksumWidth(job.algorithm))))
            return true;
    }
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        for (int32_t i = 0; i < job.rangeCount; ++i) {
            if (ImageHoldsAny(image, job.ranges[i].first, job.ranges[i].last)) continue;
            ReportRangeNotHeld(report, job.ranges[i], nothing);
            return true;
        }
    }
    if (ImageConflict conflict = ReadConflict(image); conflict.first) {
        ReportChecksumConflict(report, conflict, nothing);
        return true;
    }
    return false;
}

bool RefuseImageItself(const CommandLine &command, const HexImage &image, Report &report,
                       bool writing) {
    CommandLine bare = command;
    bare.settings = ByteSettingList{};
    bare.checksumCount = bare.getCount = 0;
    return RefuseImage(bare, image, report, writing);
}
