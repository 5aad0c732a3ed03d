// SPDX-License-Identifier: MIT
/*
 * The walks' sinks for the tests: each one adds what it is given, as one line of text, to the
 * std::vector<std::string> that is its context, in the form tests/support/hex_model.h gives the
 * model's: "LINE checksum OLD NEW", "LINE line end", "LINE malformed LENGTH NOT-DIGIT ASKED";
 * "LINE KIND TYPE COUNT OTHER ADDRESS" for the structure; "LINE FROM LAST" for a stretch set.
 */
#pragma once

#include "core/patcher.h"
#include "core/structure_check.h"

#include <cstdint>

namespace collect {

void Finding(void *findings, const ::Finding &finding);
void Structure(void *findings, const StructureFinding &finding);
void Stretch(void *stretches, int64_t line, uint64_t from, uint64_t to);

} // namespace collect
