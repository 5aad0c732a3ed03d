// SPDX-License-Identifier: MIT
#include "app/set_files.h"

#include "app/report.h"

#include <cassert>
#include <cstring>

namespace {

// The values to write in a file's image, those in place already left out: the --set values
// first, then each --checksum value over the image in the order of the values (a value whose
// place lies in another's range comes before it), each put in its place before the next is taken.
void ComputeValues(const CommandLine &command, SetFile &file) {
    HexImage &image = file.image;
    for (int32_t i = 0; i < command.settings.count; ++i) {
        const ByteSetting &setting = command.settings.items[i];
        auto address = static_cast<uint32_t>(setting.address);
        uint8_t held[255];
        [[maybe_unused]] int32_t read =
            ReadImageBytes(image, address, setting.count, held, &file.setLines[i]);
        assert(read == setting.count); // every byte set lies in one record (RefuseImage)
        file.setInPlace[i] =
            std::memcmp(held, setting.bytes, static_cast<size_t>(setting.count)) == 0;
        if (file.setInPlace[i]) continue;
        OverlayImageBytes(image, address, setting.bytes, setting.count);
        AddByteSettingValue(file.own, setting);
    }
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        int32_t width = ChecksumWidth(job.algorithm);
        uint64_t value = ChecksumOfJob(image, job, command.fill);
        file.values[k] = value;
        if (job.printed) continue; // (nothing to store)
        uint64_t stored = 0;
        [[maybe_unused]] int32_t held = StoredValue(image, job, &stored, &file.lines[k]);
        assert(held == width); // every place lies in one record (RefuseImage)
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
        if (walked == 1 && !refused) ComputeValues(command, file);
        ReleaseImageBytes(file.image); // the records found stay for the write
        ready = ready && walked == 1 && !refused;
    }
    ReleaseRanges(ranges);
    return ready;
}
