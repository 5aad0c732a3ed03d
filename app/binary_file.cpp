// SPDX-License-Identifier: MIT
#include "app/binary_file.h"

#include "app/image_values.h"
#include "core/hex_image.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"

#include <cstring>

bool MakeBinaryCopy(const CommandLine &command, PlatformFile copy, Report &out) {
    ImageRange all{0, 0xFFFFFFFF, false};
    if (command.binaryRanged) all = {command.binaryRange.first, command.binaryRange.last, false};
    HexImage image{};
    BeginHexImage(image, &all, 1);
    auto channel = static_cast<int32_t>(OpenChannelOnFile(AUTO_NUMBER, copy));
    WalkTally tally{};
    int32_t walked = channel ? WalkHexChannel(channel, WALK_CHECK, HexImageSink, &image, &tally,
                                              HexImageVisitor, &image)
                             : 0;
    bool done = walked == 1;
    if (!done) {
        if (!channel) tally.failure = ChannelOpenFailure();
        ReportFailure(out, walked, tally);
    }
    if (done) {
        EndHexImage(image);
        done = !RefuseImageItself(command, image, out, false);
    }
    // The image's extent, and the holes in it.
    uint64_t first = all.first, last = all.last;
    ImageRange range{}, before{};
    bool any = false, holes = false;
    for (ptrdiff_t next = 0; done && NextImageRange(image, &next, &range); any = true) {
        holes = holes || (any && range.first - uint64_t{before.last} > 0x1000000);
        if (!any) first = command.binaryRanged ? first : range.first;
        before = range;
    }
    if (!command.binaryRanged) last = any ? before.last : 0;
    if (done && holes && !command.binaryRanged) {
        ReportBinaryHoles(out, image);
        done = false;
    }
    // The bytes from first to last, the holes filled.
    auto *buffer = static_cast<uint8_t *>(MainHeapAlloc(65536));
    int64_t written = 0;
    if (done && SeekChannel(channel, 0) < 0) done = false;
    auto fill = [&](uint64_t from, uint64_t to) { // [from, to)
        std::memset(buffer, command.fill, 65536);
        for (uint64_t at = from; at < to;) {
            uint64_t count = to - at < 65536 ? to - at : 65536;
            WriteChannelBytes(channel, buffer, static_cast<int32_t>(count));
            at += count;
        }
    };
    uint64_t at = first;
    for (ptrdiff_t next = 0; done && any && NextImageRange(image, &next, &range);) {
        uint64_t from = range.first > first ? range.first : first;
        uint64_t to = uint64_t{range.last < last ? range.last : last} + 1;
        if (from >= to) continue;
        fill(at, from);
        for (uint64_t k = from; k < to;) {
            uint64_t count = to - k < 65536 ? to - k : 65536;
            int64_t line = 0;
            ReadImageBytes(image, static_cast<uint32_t>(k), static_cast<int32_t>(count), buffer,
                           &line);
            WriteChannelBytes(channel, buffer, static_cast<int32_t>(count));
            k += count;
        }
        at = to;
    }
    if (done && (any || command.binaryRanged)) fill(at, last + 1);
    written = done && (any || command.binaryRanged) ? static_cast<int64_t>(last + 1 - first) : 0;
    bool writing = false;
    uint32_t failure = channel ? ChannelFailure(channel, &writing) : 0;
    if (done && !failure) TruncatePlatformFile(copy, written, &failure);
    if (done && failure) {
        ReportNotCopied(out, failure, true);
        done = false;
    }
    if (channel) CloseChannel(channel);
    MainHeapFree(buffer);
    ReleaseHexImage(image);
    return done;
}
