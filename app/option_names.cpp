// SPDX-License-Identifier: MIT
#include "app/option_names.h"

#include <cstring>

namespace {

// The spellings of the options, in one text, and the option of each in the same order: the
// native ones, then those of Windows alone; on Windows all of them, in any letter case (ASCII
// letters only).
constexpr char SPELLINGS[] =
    "--\0--check\0--strict\0--set\0--checksum\0--fill\0--get\0-o\0--output\0"
    "--info\0-q\0--quiet\0--json\0--pad\0--merge\0--overlap\0--binary\0"
    "--find-checksum\0-V\0--version\0-h\0--help\0/check\0/strict\0/set\0"
    "/checksum\0/fill\0/get\0/o\0/output\0/info\0/q\0/json\0/pad\0/merge\0"
    "/overlap\0/binary\0/find-checksum\0-v\0/version\0/?\0";
constexpr Option SPELLED[] = {
    OPTION_END,      OPTION_CHECK,  OPTION_STRICT, OPTION_SET,     OPTION_CHECKSUM,
    OPTION_FILL,     OPTION_GET,    OPTION_OUTPUT, OPTION_OUTPUT,  OPTION_INFO,
    OPTION_QUIET,    OPTION_QUIET,  OPTION_JSON,   OPTION_PAD,     OPTION_MERGE,
    OPTION_OVERLAP,  OPTION_BINARY, OPTION_FIND,   OPTION_VERSION, OPTION_VERSION,
    OPTION_HELP,     OPTION_HELP,   OPTION_CHECK,  OPTION_STRICT,  OPTION_SET,
    OPTION_CHECKSUM, OPTION_FILL,   OPTION_GET,    OPTION_OUTPUT,  OPTION_OUTPUT,
    OPTION_INFO,     OPTION_QUIET,  OPTION_JSON,   OPTION_PAD,     OPTION_MERGE,
    OPTION_OVERLAP,  OPTION_BINARY, OPTION_FIND,   OPTION_VERSION, OPTION_VERSION,
    OPTION_HELP,
};
constexpr int32_t NATIVE_SPELLINGS = 22;
constexpr int32_t SPELLING_COUNT = NATIVE ? NATIVE_SPELLINGS : sizeof SPELLED / sizeof SPELLED[0];
static_assert(SPELLED[NATIVE_SPELLINGS - 1] == OPTION_HELP);

// The text matches the name up to its end, or up to a "=" where the name ends.
bool Matches(const char *text, const char *name, bool anyCase, const char **value) {
    for (; *name; ++text, ++name) {
        char c = *text;
        if (anyCase && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *name) return false;
    }
    if (*text == '=' && value) *value = text + 1;
    return *text == 0 || (*text == '=' && value);
}

// The options that take a value (OPTION_SET to OPTION_FIND), and the fault of each without it.
// --binary takes one only as --binary=RANGE.
constexpr CommandFault NO_VALUE_FAULTS[] = {FAULT_NO_VALUE, FAULT_NO_CHECKSUM,   FAULT_NO_FILL,
                                            FAULT_NO_GET,   FAULT_NO_OUTPUT,     FAULT_NO_PAD,
                                            FAULT_NO_MERGE, FAULT_OVERLAP_VALUE, FAULT_NO_FIND};

} // namespace

CommandFault NoValueFault(Option option) {
    return NO_VALUE_FAULTS[option - OPTION_SET];
}

bool IsValued(Option option) {
    return (option >= OPTION_SET && option <= OPTION_FIND) || option == OPTION_BINARY;
}

// What an argument is; *value is set for --set=VALUE. On Windows a switch spelled out is that
// switch, /set=VALUE so whatever VALUE holds; any other argument that starts with "/" is a path
// when it holds one of "/", "\", "." and ":" after it, else an unknown switch.
Option OptionOf(const char *text, const char **value) {
    *value = nullptr;
    bool slash = !NATIVE && text[0] == '/' && text[1];
    if ((text[0] != '-' || text[1] == 0) && !slash) return OPTION_NONE;
    const char *name = SPELLINGS;
    for (int32_t i = 0; i < SPELLING_COUNT; ++i, name += std::strlen(name) + 1) {
        const char **setValue = IsValued(SPELLED[i]) ? value : nullptr;
        if (Matches(text, name, !NATIVE, setValue)) return SPELLED[i];
    }
    return slash && std::strpbrk(text + 1, "/\\.:") ? OPTION_NONE : OPTION_UNKNOWN;
}
