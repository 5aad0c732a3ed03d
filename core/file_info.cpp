// SPDX-License-Identifier: MIT
#include "core/file_info.h"

#include "core/hex_image.h"
#include "core/record.h"
#include "runtime/registry.h"

#include <cstring>

namespace {

// A finding of the structure check: data held twice is kept, the others go on.
void KeepOrPass(void *context, const StructureFinding &finding) {
    FileInfo &info = *static_cast<FileInfo *>(context);
    if (finding.kind != STRUCTURE_OVERLAP) {
        if (info.sink) info.sink(info.context, finding);
        return;
    }
    if (info.twiceCount == info.twiceCapacity) {
        int64_t capacity = info.twiceCapacity ? 2 * info.twiceCapacity : 16;
        auto *grown = static_cast<HeldTwice *>(
            MainHeapAlloc(static_cast<size_t>(capacity) * sizeof(HeldTwice)));
        if (info.twice) {
            std::memcpy(grown, info.twice,
                        static_cast<size_t>(info.twiceCount) * sizeof(HeldTwice));
            MainHeapFree(info.twice);
        }
        info.twice = grown;
        info.twiceCapacity = capacity;
    }
    info.twice[info.twiceCount++] = {finding, info.check.place};
}

} // namespace

void BeginFileInfo(FileInfo &info, StructureSink sink, void *context) {
    info = FileInfo{};
    info.sink = sink;
    info.context = context;
    info.check.sink = KeepOrPass;
    info.check.context = &info;
}

int32_t FileInfoVisitor(void *context, int64_t line, int64_t position, char *record,
                        int32_t length) {
    FileInfo &info = *static_cast<FileInfo *>(context);
    CheckRecordStructure(&info.check, line, position, record, length);
    if (!length) return 0;
    const RecordPlace &place = info.check.place;
    if (place.type <= TYPE_LINEAR_START) info.types[place.type] += 1;
    if (const char *digits = RecordCase(record, length)) info.cases[digits != HEX_DIGITS] += 1;
    if ((place.type == TYPE_SEGMENT_START || place.type == TYPE_LINEAR_START) && place.count == 4 &&
        !place.afterEnd) {
        info.startType = place.type;
        for (int32_t k = 0; k < 4; ++k)
            info.start[k] = RecordPair(record, 4 + k);
    }
    return 0;
}

int32_t CompareHeldTwice(const FileInfo &info, const char *path, HeldTwiceSink each, void *context,
                         WalkTally *tally) {
    // The addresses of the records held twice, below 4 GiB: two stretches each at most.
    auto *ranges = static_cast<ImageRange *>(
        MainHeapAlloc(static_cast<size_t>(2 * info.twiceCount) * sizeof(ImageRange)));
    int32_t count = 0;
    for (int64_t i = 0; i < info.twiceCount; ++i)
        EachStretch(info.twice[i].place, [&](uint64_t address, int32_t, int32_t bytes) {
            uint64_t last = address + static_cast<uint64_t>(bytes) - 1;
            if (address <= 0xFFFFFFFF)
                ranges[count++] = {static_cast<uint32_t>(address),
                                   static_cast<uint32_t>(last < 0xFFFFFFFF ? last : 0xFFFFFFFF),
                                   false};
        });
    HexImage image{};
    BeginHexImage(image, ranges, count);
    MainHeapFree(ranges);
    int32_t walked =
        WalkHexFile(path, WALK_CHECK, nullptr, nullptr, tally, HexImageVisitor, &image);
    if (walked == 1) {
        EndHexImage(image);
        for (int64_t i = 0; i < info.twiceCount; ++i) {
            const HeldTwice &twice = info.twice[i];
            bool alike = true;
            EachStretch(twice.place, [&](uint64_t address, int32_t, int32_t bytes) {
                alike = alike && HeldAlike(image, address, bytes, twice.finding.line);
            });
            each(context, twice.finding, alike);
        }
    }
    ReleaseHexImage(image);
    return walked;
}

void ReleaseFileInfo(FileInfo &info) {
    ReleaseAddresses(info.check.held);
    if (info.twice) MainHeapFree(info.twice);
    info = FileInfo{};
}
