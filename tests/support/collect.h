// SPDX-License-Identifier: MIT
/*
 * The walks' sinks for the tests: each one adds what it is given, as one line of text, to the
 * std::vector<std::string> that is its context, in the form tests/support/hex_model.h gives the
 * model's: "LINE checksum OLD NEW", "LINE line end", "LINE malformed LENGTH NOT-DIGIT ASKED";
 * "LINE KIND TYPE COUNT OTHER ADDRESS" for the structure; "LINE FROM LAST" for a stretch set.
 */
#pragma once

#include "core/byte_settings.h"
#include "core/patcher.h"
#include "core/structure_check.h"

#include <cstdint>
#include <string>
#include <vector>

namespace collect {

void Finding(void *findings, const ::Finding &finding);
void Structure(void *findings, const StructureFinding &finding);
void Stretch(void *stretches, int64_t line, uint64_t from, uint64_t to);

// --set on one file in the command line's steps: the first walk into the file's image, its
// refusal in the model's form (tests/support/hex_model.h; "" for none), else the second walk (the
// records found alone when asked and the file allows it), its stretches and tally.
struct SetRun {
    int32_t read, written; // the walks' outcomes
    std::string refusal;
    WalkTally first, tally;
    bool shortcut, complete;
    int64_t records; // with bytes set
    std::vector<std::string> stretches;
};
SetRun SetAsTheTool(const char *path, const ByteSettingList &settings, bool shortcut);

} // namespace collect
