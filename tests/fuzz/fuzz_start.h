// SPDX-License-Identifier: MIT
/*
 * What every fuzz target shares: the runtime started as the program starts it (heaps, strings,
 * file channels, arguments), a scratch folder of its own, and the end of a run that found the
 * product differing from a model: both sides on the error stream, then abort(), which libFuzzer
 * reports as a crash and keeps the input of.
 */
#pragma once

#include <string>

namespace fuzz {

void StartRuntime();
// A file path in the scratch folder (under TMPDIR), removed again when the process ends.
const std::string &ScratchPath();
[[noreturn]] void Differs(const char *what, const std::string &expected, const std::string &got);
// Differs unless expected == got.
inline void Expect(const char *what, const std::string &expected, const std::string &got) {
    if (expected != got) Differs(what, expected, got);
}
// The strings one per line, for a comparison of lists.
std::string Lines(const auto &texts) {
    std::string joined;
    for (const std::string &text : texts)
        joined += text + "\n";
    return joined;
}

} // namespace fuzz
