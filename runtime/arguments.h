// SPDX-License-Identifier: MIT
/*
 * Command-line arguments.
 *
 * The arguments come from the platform (runtime/platform.h): on POSIX as main got them, on
 * Windows from the command line (GetCommandLineW, taken at the first call and kept in UTF-8, so
 * that names in every script come through), which FindToken splits into tokens at blanks only; a
 * token that starts with a double quote runs to the next double quote or the end, and scanning
 * goes on right after the closing quote. There are no escapes. Token 0 is the program name;
 * argument n is token n + 1. NextArgument hands out the argument at the cursor and moves the
 * cursor on; past the last argument it gives "" and the cursor stays. Results follow the
 * workspace convention of runtime/strings.h. Nothing fails.
 */
#pragma once

#include <cstdint>

void InitArguments();
char *NextArgument(int32_t resultStart);
char *ArgumentAt(int32_t index, int32_t resultStart);
int32_t ArgumentCount();

// The splitting itself, over a given command line: the token with the given index (0 is the
// program name) as a pointer into the line and its length. False if there is no such token.
bool FindToken(const char *commandLine, int32_t index, const char **token, int32_t *length);
int32_t CountTokens(const char *commandLine);
