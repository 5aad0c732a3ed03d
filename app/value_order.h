// SPDX-License-Identifier: MIT
/*
 * The order and overlaps of a call's values, found once the command line is read: FindOverlap
 * gives the first two values whose bytes overlap (--set values, then a --set value and a
 * --checksum value's place, then two places) and the fault that names them, else FAULT_NONE;
 * OrderChecksums puts each --checksum value after those whose places lie in its range, else in
 * the order given, or names a cycle of them (command.cycle, main heap) and returns false.
 */
#pragma once

#include "app/options.h"

#include <cstdint>

CommandFault FindOverlap(CommandLine &command, int32_t *one, int32_t *other);
bool OrderChecksums(CommandLine &command);
