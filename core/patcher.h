/*
 * In-place checksum patcher for Intel HEX files.
 *
 * PatchFileInPlace walks the file at path through file channel 1 and rewrites, in place, the
 * two checksum characters of every well-formed record line: ":" followed only by hexadecimal
 * digits, exactly 11 + 2 x its byte count long. The new checksum is upper case; a checksum that
 * is already right as written is not written again. Every other byte stays as it is: line ends
 * (CR LF, LF, CR, zero byte), blank lines, other lines. A last record without a line end gets
 * CR LF. Returns 1 when the file could be opened (and was patched), 0 when it could not (empty
 * path, missing file, directory, no access, sharing conflict); a missing file is never created.
 */
#pragma once

#include <cstdint>

int32_t PatchFileInPlace(const char *path);
