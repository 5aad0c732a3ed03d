// SPDX-License-Identifier: MIT
#include "core/addresses.h"

#include "core/record_sum.h"

#include <cassert>

namespace {

void MakeUnknown(AddressWalk &walk, int64_t line, ImageUnknown why, int32_t type, int32_t count) {
    if (walk.unknownLine || walk.endLine) return;
    walk.unknownLine = line;
    walk.unknown = why;
    walk.unknownType = type;
    walk.unknownCount = count;
}

} // namespace

// The digits of a well-formed record, read without a table: this runs once a record.
RecordPlace PlaceRecord(AddressWalk &walk, int64_t line, const char *record) {
    auto pair = [record](int32_t index) {
        return static_cast<int32_t>(DigitPair(record + 1 + 2 * index));
    };
    int32_t type = pair(3), count = pair(0), offset = pair(1) << 8 | pair(2);
    RecordPlace place{type, count, walk.base + static_cast<uint64_t>(offset), count, 0, false};
    bool ended = walk.endLine != 0;
    if (!ended && type == TYPE_END) walk.endLine = line;
    place.afterEnd = walk.endLine != 0;
    if (type == TYPE_LINEAR || type == TYPE_SEGMENT) {
        if (count != 2) {
            if (!ended) MakeUnknown(walk, line, IMAGE_ADDRESS_RECORD, type, count);
            return place;
        }
        auto value = static_cast<uint64_t>(pair(4) << 8 | pair(5));
        walk.segmented = type == TYPE_SEGMENT;
        walk.base = walk.segmented ? value << 4 : value << 16;
    } else if (type == TYPE_DATA && walk.segmented && offset + count > 0x10000) {
        place.before = 0x10000 - offset;
        place.wrapped = walk.base;
    }
    assert(place.before >= 0 && place.before <= place.count);
    return place;
}

void NoteOtherLine(AddressWalk &walk, int64_t line, const char *text) {
    while (*text == ' ' || *text == '\t')
        ++text;
    if (*text == ':') MakeUnknown(walk, line, IMAGE_MALFORMED_LINE, 0, 0);
}

void NoteMalformedLine(AddressWalk &walk, int64_t line) {
    MakeUnknown(walk, line, IMAGE_MALFORMED_LINE, 0, 0);
}
