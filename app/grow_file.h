// SPDX-License-Identifier: MIT
/*
 * The records a call adds to its one file (--merge, then --pad), written into the new version of
 * the file (app/output_file.h) as core/hex_growth.h places them.
 *
 * GrowCopy reads the input (open, from its start): its image around what is added must be known
 * and its checksums right, as for every call by address. Each merged file's data (an Intel HEX
 * file's records, or a binary file's bytes at its address) goes where no record holds a byte;
 * where the file holds one too, both must be equal, or --overlap=ours keeps the file's and
 * --overlap=theirs takes the merged file's. Each pad
 * then fills the addresses of its ranges that neither holds. The input's bytes, with the new
 * records among them, go to the copy (open, empty). True when done, the records added in the
 * report; else false, reported (nothing is then to be written).
 */
#pragma once

#include "app/options.h"
#include "app/report.h"
#include "core/byte_settings.h"
#include "runtime/platform.h"

// With --overlap=theirs and merged bytes that differ from the file's, *settings gets the values
// to set in the new version as --set values are: those bytes where no --set value sets them,
// and the --set values (else it stays empty).
bool GrowCopy(const CommandLine &command, PlatformFile from, PlatformFile copy, Report &out,
              ByteSettingList *settings);
