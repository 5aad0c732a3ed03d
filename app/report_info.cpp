// SPDX-License-Identifier: MIT
// The report of --info: the file's map (app/report.h).
#include "app/report.h"

#include "app/report_fields.h"
#include "app/report_json.h"
#include "app/report_lines.h"
#include "app/texts.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>
#include <initializer_list>

using namespace report_fields;

namespace {

// A line of the map with counts: %2 the first of them, %3 the next, and so on.
void WriteCounts(Report &report, const char *text, const int64_t *counts, int32_t count) {
    char digits[8][DECIMAL_TEXT_SIZE];
    Field fields[9];
    fields[0] = PathOf(report);
    for (int32_t i = 0; i < count; ++i)
        fields[i + 1] = {digits[i], FormatDecimal(counts[i], digits[i])};
    WriteFields(text, fields, count + 1);
}

} // namespace

namespace {

// The map as the JSON object's "map": its ranges, start address, records by type and case, and
// lines by their ends.
void JsonFileInfo(Report &report, const FileInfo &info, const WalkTally &tally) {
    JsonAt(report, JSON_IN_MAP);
    WriteTemplate(texts::JSON_MAP_RANGES, {});
    ImageRange range{};
    ptrdiff_t next = 0;
    for (bool first = true;
         !info.image.addresses.unknownLine && NextImageRange(info.image, &next, &range);
         first = false) {
        if (!first) WriteTemplate(texts::JSON_BETWEEN, {});
        WriteTemplate(texts::JSON_MAP_RANGE, {Address(range.first), Address(range.last),
                                              Decimal(int64_t{range.last} - range.first + 1)});
    }
    const StructureCheck &check = info.check;
    char start[12] = {'"', '0', 'x'};
    std::memcpy(start + 3, check.start, 8);
    start[11] = '"';
    Field fields[9] = {check.startType ? Field(start, 12) : Field(texts::JSON_NULL)};
    Decimal counts[8] = {Decimal(check.counts[0]), Decimal(check.counts[1]),
                         Decimal(check.counts[2]), Decimal(check.counts[3]),
                         Decimal(check.counts[4]), Decimal(check.counts[5]),
                         Decimal(check.counts[6]), Decimal(check.counts[7])};
    for (int32_t i = 0; i < 8; ++i)
        fields[i + 1] = counts[i];
    WriteFields(texts::JSON_MAP_COUNTS, fields, 9);
    WriteTemplate(texts::JSON_MAP_ENDS, {Decimal(tally.lineEnds[0]), Decimal(tally.lineEnds[1]),
                                         Decimal(tally.lineEnds[2]), Decimal(tally.lineEnds[3])});
}

} // namespace

void ReportFileInfo(Report &report, const FileInfo &info, const WalkTally &tally) {
    if (report.form == FORM_JSON) {
        JsonFileInfo(report, info, tally);
        return;
    }
    ImageRange range{};
    ptrdiff_t next = 0;
    while (!info.image.addresses.unknownLine && NextImageRange(info.image, &next, &range))
        WriteTemplate(texts::INFO_RANGE, {PathOf(report), Address(range.first), Address(range.last),
                                          Decimal(int64_t{range.last} - range.first + 1)});
    const StructureCheck &check = info.check;
    if (check.startType == TYPE_SEGMENT_START) { // a segment and offset, and where they point
        uint32_t segment = 0, offset = 0;
        for (int32_t k = 0; k < 4; ++k) {
            segment = segment << 4 | static_cast<uint32_t>(HexDigitValue(check.start[k]));
            offset = offset << 4 | static_cast<uint32_t>(HexDigitValue(check.start[4 + k]));
        }
        WriteTemplate(texts::INFO_START_SEGMENT, {PathOf(report),
                                                  {check.start, 4},
                                                  {check.start + 4, 4},
                                                  Address(segment * 16 + offset)});
    } else if (check.startType == TYPE_LINEAR_START) {
        WriteTemplate(texts::INFO_START_LINEAR, {PathOf(report), {check.start, 8}});
    }
    WriteCounts(report, texts::INFO_RECORDS, check.counts, 6);
    for (int32_t number = TYPE_LINEAR_START + 1; number < 256; ++number) {
        const OtherType &other = info.otherTypes[number];
        char type[3];
        if (other.count)
            WriteTemplate(other.count == 1 ? texts::INFO_OTHER_TYPE : texts::INFO_OTHER_TYPES,
                          {PathOf(report), Decimal(other.count), TypeField(number, type),
                           Decimal(other.first)});
    }
    WriteCounts(report, texts::INFO_CASE, check.counts + 6, 2);
    WriteCounts(report, texts::INFO_LINE_ENDS, tally.lineEnds, 4);
}
