// SPDX-License-Identifier: MIT
#include "app/report_json.h"

#include "app/texts.h"
#include "runtime/strings.h"

namespace {

void Put(const char *text) {
    WriteOutputBytes(text, StringLength(text));
}

// The bytes of a UTF-8 sequence that starts at text[0], of at most left bytes: 0 for none (a
// stray continuation byte, an overlong form, a surrogate, past U+10FFFF, or cut short).
int32_t SequenceLength(const uint8_t *text, int32_t left) {
    uint8_t lead = text[0];
    int32_t length = lead < 0x80                   ? 1
                     : lead >= 0xC2 && lead < 0xE0 ? 2
                     : lead >= 0xE0 && lead < 0xF0 ? 3
                     : lead >= 0xF0 && lead < 0xF5 ? 4
                                                   : 0;
    if (!length || length > left) return 0;
    for (int32_t k = 1; k < length; ++k)
        if ((text[k] & 0xC0) != 0x80) return 0;
    if (lead == 0xE0 && text[1] < 0xA0) return 0;  // overlong
    if (lead == 0xED && text[1] >= 0xA0) return 0; // a surrogate
    if (lead == 0xF0 && text[1] < 0x90) return 0;  // overlong
    if (lead == 0xF4 && text[1] >= 0x90) return 0; // past U+10FFFF
    return length;
}

void Append(const char *bytes, int32_t length) {
    AppendToWorkspace(bytes, length);
}

} // namespace

// A text in the workspace itself is read by its offset there: the workspace may move as the
// escaped text grows behind it.
Field JsonString(const char *text, int32_t length) {
    int32_t start = WorkspacePosition();
    auto first = reinterpret_cast<uintptr_t>(WorkspaceAt(0)),
         at0 = reinterpret_cast<uintptr_t>(text);
    bool inside = at0 >= first && at0 < first + static_cast<uintptr_t>(start);
    auto offset = static_cast<int32_t>(at0 - first);
    for (int32_t at = 0; at < length;) {
        if (inside) text = WorkspaceAt(offset);
        const auto *bytes = reinterpret_cast<const uint8_t *>(text);
        uint8_t byte = bytes[at];
        if (byte == '"' || byte == '\\') {
            const char escaped[2] = {'\\', static_cast<char>(byte)};
            Append(escaped, 2);
            ++at;
        } else if (byte < 0x20 || byte == 0x7F) {
            const char escaped[6] = {
                '\\', 'u', '0', '0', HEX_DIGITS[byte >> 4], HEX_DIGITS[byte & 15]};
            Append(escaped, 6);
            ++at;
        } else if (int32_t sequence = SequenceLength(bytes + at, length - at)) {
            Append(text + at, sequence);
            at += sequence;
        } else {
            Append("\\uFFFD", 6);
            ++at;
        }
    }
    return {WorkspaceAt(start), WorkspacePosition() - start};
}

// The parts between the one written last and part: a list left is closed, a part passed over
// written empty, and part itself opened.
void JsonAt(Report &report, JsonPart part) {
    if (report.jsonPart == JSON_NONE) {
        WorkspaceScope scope;
        WriteTemplate(texts::JSON_HEAD, {JsonString(report.path, report.pathLength), report.mode});
        if (report.input)
            WriteTemplate(texts::JSON_INPUT,
                          {JsonString(report.input, StringLength(report.input))});
        report.jsonPart = JSON_STARTED;
    }
    static constexpr const char *OPENED[] = {nullptr, nullptr, texts::JSON_FINDINGS,
                                             texts::JSON_VALUES, texts::JSON_MAP};
    static constexpr const char *EMPTY[] = {nullptr, nullptr, texts::JSON_NO_FINDINGS,
                                            texts::JSON_NO_VALUES, texts::JSON_NO_MAP};
    if (report.jsonPart >= part) return;
    if (report.jsonPart == JSON_IN_FINDINGS || report.jsonPart == JSON_IN_VALUES)
        Put(texts::JSON_LIST_END);
    for (int32_t passed = report.jsonPart + 1; passed < part && passed <= JSON_IN_MAP; ++passed)
        Put(EMPTY[passed]);
    if (part <= JSON_IN_MAP) Put(OPENED[part]);
    report.jsonPart = part;
    report.jsonItems = false;
}

void JsonItem(Report &report, JsonPart part, const char *text, Fields fields) {
    JsonAt(report, part);
    if (report.jsonItems) Put(texts::JSON_BETWEEN);
    report.jsonItems = true;
    WriteTemplate(text, fields);
}

void JsonEnd(Report &report, int32_t exitCode) {
    JsonAt(report, static_cast<JsonPart>(JSON_IN_MAP + 1));
    const WalkTally &tally = report.tally;
    Decimal checksumsDiffer(report.checksumsDiffer), setsDiffer(report.setsDiffer),
        recordsSet(report.recordsSet), recordsAdded(report.recordsAdded);
    WriteTemplate(texts::JSON_COUNTS,
                  {report.read ? texts::JSON_TRUE : texts::JSON_FALSE, Decimal(tally.records),
                   Decimal(tally.checksums), Decimal(tally.malformed), Decimal(report.structure),
                   report.checksumsDiffer < 0 ? Field(texts::JSON_NULL) : Field(checksumsDiffer),
                   report.setsDiffer < 0 ? Field(texts::JSON_NULL) : Field(setsDiffer),
                   report.recordsSet < 0 ? Field(texts::JSON_NULL) : Field(recordsSet),
                   report.recordsAdded < 0 ? Field(texts::JSON_NULL) : Field(recordsAdded)});
    WorkspaceScope scope;
    if (report.mergeCount == 0) {
        WriteTemplate(texts::JSON_NOT_MERGED, {});
    } else {
        int32_t start = WorkspacePosition();
        for (int32_t k = 0; k < report.mergeCount; ++k) {
            if (k) AppendString(texts::JSON_BETWEEN);
            Append("\"", 1);
            JsonString(report.merges[k].path, StringLength(report.merges[k].path));
            Append("\"", 1);
        }
        WriteTemplate(texts::JSON_MERGED, {{WorkspaceAt(start), WorkspacePosition() - start}});
        SetWorkspacePosition(start);
    }
    Field failure = texts::JSON_NULL;
    if (report.failureLength) {
        int32_t start = WorkspacePosition();
        Append("\"", 1);
        JsonString(report.failure, report.failureLength);
        Append("\"", 1);
        failure = {WorkspaceAt(start), WorkspacePosition() - start};
    }
    WriteTemplate(texts::JSON_END, {report.written ? texts::JSON_TRUE : texts::JSON_FALSE, failure,
                                    Decimal(exitCode)});
}
