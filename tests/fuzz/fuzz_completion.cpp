// SPDX-License-Identifier: MIT
/*
 * The record rule and the window's one-line completion on the fuzzer's bytes (up to the first
 * zero byte, as a String ends), against the tests' rule (tests/support/reference.h): the shape
 * and checksum ClassifyRecord gives, CompleteRecordChecksum, and CompleteRecordLine, which
 * completes the first line as the rule completes it (a record without its checksum field as if
 * "00" stood there), each leaving the workspace just behind its result.
 */
#include "core/record.h"
#include "runtime/strings.h"
#include "tests/fuzz/fuzz_start.h"
#include "tests/support/reference.h"

#include <cstdint>
#include <string>

namespace {

std::string Completed(const char *what, char *(*complete)(const char *, int32_t),
                      const std::string &text) {
    int32_t start = WorkspacePosition();
    std::string result = complete(text.c_str(), start);
    fuzz::Expect(what, std::to_string(start + static_cast<int32_t>(result.size())),
                 std::to_string(WorkspacePosition()));
    SetWorkspacePosition(start);
    return result;
}

void Classify(const std::string &line) {
    uint8_t checksum = 0x5A;
    RecordShape shape = ClassifyRecord(line.c_str(), static_cast<int64_t>(line.size()), &checksum);
    reference::Shape expected = reference::ShapeOf(line);
    int want = expected == reference::WITH_CHECKSUM      ? RECORD_WITH_CHECKSUM
               : expected == reference::WITHOUT_CHECKSUM ? RECORD_WITHOUT_CHECKSUM
                                                         : NOT_A_RECORD;
    fuzz::Expect("ClassifyRecord's shape", std::to_string(want), std::to_string(shape));
    char digits[2];
    ChecksumDigits(checksum, digits);
    std::string right = expected == reference::NOT_A_RECORD ? "5A"
                        : expected == reference::WITH_CHECKSUM
                            ? reference::RightDigits(line)
                            : reference::RightDigits(line + "00");
    fuzz::Expect("ClassifyRecord's checksum", right, std::string(digits, 2));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::StartRuntime();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.substr(0, text.find('\0'));
    Classify(text);
    fuzz::Expect("CompleteRecordChecksum", reference::Complete(text),
                 Completed("CompleteRecordChecksum", CompleteRecordChecksum, text));
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    bool bare = reference::ShapeOf(line) == reference::WITHOUT_CHECKSUM;
    fuzz::Expect("CompleteRecordLine", reference::Complete(line + (bare ? "00\r\n" : "\r\n")),
                 Completed("CompleteRecordLine", CompleteRecordLine, text));
    return 0;
}
