// SPDX-License-Identifier: MIT
/*
 * A call that writes (patching, --set, --checksum) with -o FILE: the one input file is only
 * read, and FILE becomes what editing the input in place would have made of it, byte for byte.
 *
 * WriteOutputFile copies the input into a new file in FILE's folder (".checksumme-N.tmp", of
 * its owner alone until it takes FILE's place, and removed when a stop ends the process), edits
 * that copy in place as the call asks, the report naming FILE, and only when all of that
 * succeeded puts the copy in FILE's place in one step: FILE is its old self or the whole result,
 * never half, and it is written even when nothing in it changes. A new FILE gets the input's
 * permission bits, an existing one keeps its own. FILE that is the input itself (by its name or
 * a link) is a fault of the command line; FILE that is no regular file is refused as an input
 * would be. On any failure FILE stays as it was and the copy is removed. Returns the exit code.
 */
#pragma once

#include "app/command_line.h"
#include "app/options.h"

#include <cstdint>

CallOutcome WriteOutputFile(const CommandLine &command);
