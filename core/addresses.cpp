// SPDX-License-Identifier: MIT
#include "core/addresses.h"

#include "core/record_sum.h"

// The digits of a well-formed record, read without a table: this runs once a record.
RecordPlace PlaceRecord(uint64_t *base, const char *record) {
    auto pair = [record](int32_t index) {
        return static_cast<int32_t>(DigitPair(record + 1 + 2 * index));
    };
    RecordPlace place{pair(3), pair(0), *base + static_cast<uint64_t>(pair(1) << 8 | pair(2))};
    if (place.count == 2 && (place.type == TYPE_LINEAR || place.type == TYPE_SEGMENT)) {
        uint64_t value = static_cast<uint64_t>(pair(4) << 8 | pair(5));
        *base = place.type == TYPE_LINEAR ? value << 16 : value << 4;
    }
    return place;
}
