// SPDX-License-Identifier: MIT
/*
 * The texts of the file-open dialog as the system takes them, made from the program's own.
 *
 * ConvertFilter turns a filter of label and pattern pairs separated by vertical bars into the
 * system's pair list: every bar a zero byte, two zero bytes at the end; out has room for the
 * filter's length + 2 (a null filter is ""). SplitDefaultPath splits a default path at its last
 * backslash after the first character into folder and file name, and gives the folder's length
 * and the offset of the name; without such a backslash the folder is "" and the name is the
 * path. Neither fails.
 */
#pragma once

#include <cstdint>

void ConvertFilter(const char *filter, char *out);
void SplitDefaultPath(const char *path, int32_t *folderLength, int32_t *nameOffset);
