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
    RecordPlace place = PlaceRecord(&check.base, record);
    if (check.endLine)
        Report(check, {line, STRUCTURE_AFTER_END, place.type, place.count, 0, check.endLine});
    else if (place.type == TYPE_END)
        check.endLine = line;
    static constexpr int32_t COUNTS[] = {0, 0, 2, 4, 2, 4}; // of each type but data
    if (place.type > TYPE_LINEAR_START)
        Report(check, {line, STRUCTURE_TYPE, place.type, place.count, 0, 0});
    else if (place.type != TYPE_DATA && place.count != COUNTS[place.type])
        Report(check, {line, STRUCTURE_BYTE_COUNT, place.type, place.count, 0, COUNTS[place.type]});
    if ((place.type == TYPE_SEGMENT || place.type == TYPE_LINEAR) &&
        (RecordPair(record, 1) | RecordPair(record, 2)))
        Report(check, {line, STRUCTURE_ADDRESS_FIELD, place.type, place.count, 0, 0});
    if (place.type != TYPE_DATA) return 0;
    check.data = true;
    uint64_t end = place.address + static_cast<uint64_t>(place.count);
    if (end > 0x100000000u)
        Report(check, {line, STRUCTURE_PAST_4G, place.type, place.count, end - 1, 0});
    HeldBefore before = HoldAddresses(check.held, place.address, end, line);
    if (before.line)
        Report(check,
               {line, STRUCTURE_OVERLAP, place.type, place.count, before.address, before.line});
    return 0;
}

void EndStructureCheck(StructureCheck &check, int64_t lastLine) {
    int64_t line = lastLine > 0 ? lastLine : 1;
    if (!check.endLine && lastLine >= 0) Report(check, {line, STRUCTURE_NO_END, 0, 0, 0, 0});
    if (!check.data && lastLine >= 0) Report(check, {line, STRUCTURE_NO_DATA, 0, 0, 0, 0});
    ReleaseAddresses(check.held);
}
