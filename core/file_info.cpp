// SPDX-License-Identifier: MIT
#include "core/file_info.h"

#include "core/record.h"

void BeginFileInfo(FileInfo &info) {
    info = FileInfo{};
    const ImageRange all{0, 0xFFFFFFFF, false};
    BeginHexImage(info.image, &all, 1);
}

int32_t FileInfoVisitor(void *context, int64_t line, int64_t position, char *record,
                        int32_t length) {
    FileInfo &info = *static_cast<FileInfo *>(context);
    info.record = record;
    CheckRecordStructure(&info.check, line, position, record, length);
    if (!length) return 0;
    const RecordPlace &place = info.check.place;
    if (place.type <= TYPE_LINEAR_START) info.counts[place.type] += 1;
    if (const char *digits = RecordCase(record, length))
        info.counts[digits == HEX_DIGITS ? 6 : 7] += 1;
    if ((place.type == TYPE_SEGMENT_START || place.type == TYPE_LINEAR_START) && place.count == 4 &&
        !place.afterEnd) {
        info.startType = place.type;
        for (int32_t k = 0; k < 8; ++k)
            info.start[k] = HEX_DIGITS[HexDigitValue(record[9 + k])];
    }
    return 0;
}

void ReleaseFileInfo(FileInfo &info) {
    ReleaseAddresses(info.check.held);
    ReleaseHexImage(info.image);
}
