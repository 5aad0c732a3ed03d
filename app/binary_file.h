// SPDX-License-Identifier: MIT
/*
 * --binary with -o: the new version of OUT (app/output_file.h), edited as an Intel HEX file, made
 * the raw bytes of its image.
 */
#pragma once

#include "app/options.h"
#include "app/report.h"
#include "runtime/platform.h"

// --binary: the copy (open, edited), made raw bytes of its image over the call's range, or from
// its lowest to its highest held address (refused where holes larger than 16 MiB lie between),
// the bytes that no record holds as the --fill byte. True when done; else false, reported.
bool MakeBinaryCopy(const CommandLine &command, PlatformFile copy, Report &out);
