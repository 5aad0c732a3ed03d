// SPDX-License-Identifier: MIT
#include "core/addresses.h"

#include "core/record.h"

RecordPlace PlaceRecord(uint64_t *base, const char *record) {
    RecordPlace place{RecordPair(record, 3), RecordPair(record, 0),
                      *base + (RecordPair(record, 1) << 8 | RecordPair(record, 2))};
    if (place.count == 2 && (place.type == TYPE_LINEAR || place.type == TYPE_SEGMENT)) {
        uint64_t value = static_cast<uint64_t>(RecordPair(record, 4) << 8 | RecordPair(record, 5));
        *base = place.type == TYPE_LINEAR ? value << 16 : value << 4;
    }
    return place;
}
