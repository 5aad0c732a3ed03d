// SPDX-License-Identifier: MIT
/*
 * The fields the report's lines share (app/report.h), for the files that write them: the file's
 * name (and with -o the input's), bytes, a record type, why a file failed, a value's ranges, a
 * number quoted for JSON, and the lines of a --checksum value. Fields made in the workspace end
 * with the caller's WorkspaceScope.
 */
#pragma once

#include "app/options.h"
#include "app/report.h"
#include "app/report_lines.h"

#include <cstdint>

namespace report_fields {

Field PathOf(const Report &report);
Field InputOf(const Report &report);
Field BytesField(const uint8_t *bytes, int32_t count, char *text);
Field TypeField(int32_t type, char *text);
void FormatReason(uint32_t failure, int32_t resultStart);
Field ReasonOf(uint32_t failure);
Field RangesOf(const ChecksumRange *ranges, int32_t count);
Field RangesOf(const ChecksumJob &job);
Field Quoted(Field number, char *text);
void JsonChecksum(Report &report, const ChecksumJob &job, const ChecksumValue &value,
                  const char *state, int64_t line, const ChecksumValue &stored);
void WriteQuietValue(Report &report, Field value);
void WriteImageChecksumLine(const char *text, Report &report, int64_t line, const ChecksumJob &job,
                            const ChecksumValue &value, const ChecksumValue &stored);

} // namespace report_fields
