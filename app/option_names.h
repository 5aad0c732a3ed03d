// SPDX-License-Identifier: MIT
/*
 * The options' names: each spelling of each option (natively as spelled; on Windows also the
 * "/" switches, in any letter case), what an argument is (OptionOf: a file, an option, "--", or
 * an unknown option; *value set where it holds --set=VALUE and the option takes a value), and
 * which options take a value (IsValued), with the fault of each without it (NoValueFault).
 */
#pragma once

#include "app/options.h"

#include <cstdint>

enum Option : uint8_t {
    OPTION_NONE, // a file
    OPTION_UNKNOWN,
    OPTION_END, // --
    OPTION_CHECK,
    OPTION_STRICT,
    OPTION_SET,
    OPTION_CHECKSUM,
    OPTION_FILL,
    OPTION_GET,
    OPTION_OUTPUT,
    OPTION_PAD,
    OPTION_MERGE,
    OPTION_OVERLAP,
    OPTION_FIND,
    OPTION_BINARY,
    OPTION_INFO,
    OPTION_QUIET,
    OPTION_JSON,
    OPTION_VERSION,
    OPTION_HELP,
};

bool IsValued(Option option);
CommandFault NoValueFault(Option option);
Option OptionOf(const char *text, const char **value);
