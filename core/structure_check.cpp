// SPDX-License-Identifier: MIT
#include "core/structure_check.h"

#include "core/addresses.h"
#include "core/record.h"

namespace {

void Report(StructureCheck &check, const StructureFinding &finding) {
    check.findings += 1;
    if (check.sink) check.sink(check.context, finding);
}

} // namespace

int32_t CheckRecordStructure(void *context, int64_t line, int64_t, char *record, int32_t length) {
    StructureCheck &check = *static_cast<StructureCheck *>(context);
    if (!length) {
        Report(check, {line, STRUCTURE_NOT_RECORD, 0, 0, 0, 0});
        return 0;
    }
    bool ended = check.addresses.endLine != 0;
    RecordPlace place = PlaceRecord(check.addresses, line, record);
    check.record = record;
    check.place = &place;
    if (const char *digits = RecordCase(record, length))
        check.counts[digits == HEX_DIGITS ? 6 : 7] += 1;
    if (ended)
        Report(check,
               {line, STRUCTURE_AFTER_END, place.type, place.count, 0, check.addresses.endLine});
    static constexpr int32_t COUNTS[] = {0, 0, 2, 4, 2, 4}; // of each type but data
    if (place.type <= TYPE_LINEAR_START) check.counts[place.type] += 1;
    if (place.type > TYPE_LINEAR_START) {
        Report(check, {line, STRUCTURE_TYPE, place.type, place.count, 0, 0});
    } else if (place.type != TYPE_DATA && place.count != COUNTS[place.type]) {
        Report(check, {line, STRUCTURE_BYTE_COUNT, place.type, place.count, 0, COUNTS[place.type]});
    } else if ((place.type == TYPE_SEGMENT_START || place.type == TYPE_LINEAR_START) && !ended) {
        check.startType = place.type;
        for (int32_t k = 0; k < 8; ++k)
            check.start[k] = HEX_DIGITS[HexDigitValue(record[9 + k])];
    }
    if ((place.type == TYPE_SEGMENT || place.type == TYPE_LINEAR) &&
        (RecordPair(record, 1) | RecordPair(record, 2)))
        Report(check, {line, STRUCTURE_ADDRESS_FIELD, place.type, place.count, 0, 0});
    if (place.type != TYPE_DATA) return 0;
    check.data = true;
    if (place.afterEnd) return 0; // holds no address
    if (place.before < place.count)
        Report(check, {line, STRUCTURE_WRAPS, place.type, place.count, place.wrapped, 0});
    uint64_t end = place.address + static_cast<uint64_t>(place.before);
    if (end > 0x100000000u)
        Report(check, {line, STRUCTURE_PAST_4G, place.type, place.count, end - 1, 0});
    // The lowest address that an earlier record holds, of either stretch.
    HeldBefore first{0, 0};
    EachStretch(place, [&](uint64_t address, int32_t, int32_t count) {
        HeldBefore before =
            HoldAddresses(check.held, address, address + static_cast<uint64_t>(count), line);
        if (before.line && (!first.line || before.address < first.address)) first = before;
    });
    if (first.line)
        Report(check,
               {line, STRUCTURE_OVERLAP, place.type, place.count, first.address, first.line});
    return 0;
}

void EndStructureCheck(StructureCheck &check, int64_t lastLine) {
    int64_t line = lastLine > 0 ? lastLine : 1;
    if (!check.addresses.endLine && lastLine >= 0)
        Report(check, {line, STRUCTURE_NO_END, 0, 0, 0, 0});
    if (!check.data && lastLine >= 0) Report(check, {line, STRUCTURE_NO_DATA, 0, 0, 0, 0});
    ReleaseAddresses(check.held);
}
