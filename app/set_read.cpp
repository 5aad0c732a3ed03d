// SPDX-License-Identifier: MIT
#include "app/set_files.h"

#include "app/report.h"

#include <cassert>

namespace {

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
        uint64_t value = ChecksumOfJob(image, job, command.fill);
        file.values[k] = value;
        if (job.printed) continue; // (nothing to store)
        uint64_t stored = 0;
        [[maybe_unused]] bool held = StoredValue(image, job, &stored, &file.lines[k]);
        assert(held); // every place lies in one record (RefuseImage)
        ByteSetting place{job.address, width, job.argument, {}};
        ChecksumBytes(value, width, job.bigEndian, place.bytes);
        OverlayImageBytes(image, job.address, place.bytes, width);
        file.inPlace[k] = stored == value;
        if (!file.inPlace[k]) AddByteSettingValue(file.own, place);
    }
    SortByteSettings(file.own);
}

} // namespace

// The first walk over every file, which only reads: true when every file could be read and its
// image lets every byte be set (RefuseImage); else the failures and refusals are reported. The
// checksum values are computed then.
bool ReadSetFiles(const CommandLine &command, SetFile *files) {
    CallRanges ranges = RangesOf(command, true);
    bool ready = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        Report report{};
        BeginReport(report, NameOf(file), false);
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
    ReleaseRanges(ranges);
    return ready;
}
