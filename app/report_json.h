// SPDX-License-Identifier: MIT
/*
 * --json: a file's report as one JSON object on a line of its own (JSON Lines), made as the
 * report is made (app/report.h) and in this order: its head (the file, the input with -o, the
 * mode), the list "findings" and the list "values" item by item as they come, --info's "map",
 * then its tail (the counts, whether the file was written, its failure, its exit code). A part
 * that nothing filled is written empty (the map null), so that every object has every key.
 *
 * JsonItem writes an item of a list part (moving the object on to it), JsonAt moves it on to a
 * part whose text the caller writes, JsonEnd writes the tail. JsonString escapes a text as a JSON
 * string needs it (quotes, backslashes, control characters; each byte of no UTF-8 sequence as
 * U+FFFD, since JSON holds Unicode only), in the workspace. Nothing fails.
 */
#pragma once

#include "app/report.h"
#include "app/report_lines.h"

#include <cstdint>

enum JsonPart : int32_t { JSON_NONE, JSON_STARTED, JSON_IN_FINDINGS, JSON_IN_VALUES, JSON_IN_MAP };

void JsonAt(Report &report, JsonPart part);
void JsonItem(Report &report, JsonPart part, const char *text, Fields fields);
// The text at the workspace's end, escaped (the caller's WorkspaceScope ends it).
Field JsonString(const char *text, int32_t length);
void JsonEnd(Report &report, int32_t exitCode);
