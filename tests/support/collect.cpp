// SPDX-License-Identifier: MIT
#include "tests/support/collect.h"

#include <string>
#include <vector>

namespace collect {

namespace {

void Add(void *lines, const std::string &line) {
    static_cast<std::vector<std::string> *>(lines)->push_back(line);
}

} // namespace

void Finding(void *findings, const ::Finding &finding) {
    std::string n = std::to_string(finding.line);
    if (finding.kind == FINDING_CHECKSUM)
        Add(findings, n + " checksum " + std::string(finding.written, 2) + " " +
                          std::string(finding.right, 2));
    else if (finding.kind == FINDING_LINE_END)
        Add(findings, n + " line end");
    else
        Add(findings, n + " malformed " + std::to_string(finding.length) + " " +
                          std::to_string(finding.notDigit) + " " +
                          std::to_string(finding.expected));
}

void Structure(void *findings, const StructureFinding &f) {
    Add(findings, std::to_string(f.line) + " " + std::to_string(f.kind) + " " +
                      std::to_string(f.type) + " " + std::to_string(f.count) + " " +
                      std::to_string(f.other) + " " + std::to_string(f.address));
}

void Stretch(void *stretches, int64_t line, uint64_t from, uint64_t to) {
    Add(stretches,
        std::to_string(line) + " " + std::to_string(from) + " " + std::to_string(to - 1));
}

} // namespace collect
