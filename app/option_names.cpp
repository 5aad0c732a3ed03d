// SPDX-License-Identifier: MIT
#include "app/option_names.h"

#include <cstring>

namespace {

// The spellings of each option: the native ones, then those of Windows alone; on Windows all
// of them, in any letter case (ASCII letters only).
struct Spelling {
    char name[11]; // in place: no pointer to each
    Option option;
};
constexpr Spelling SPELLINGS[] = {
    {"--", OPTION_END},
    {"--check", OPTION_CHECK},
    {"--strict", OPTION_STRICT},
    {"--set", OPTION_SET},
    {"--checksum", OPTION_CHECKSUM},
    {"--fill", OPTION_FILL},
    {"--get", OPTION_GET},
    {"-o", OPTION_OUTPUT},
    {"--output", OPTION_OUTPUT},
    {"--info", OPTION_INFO},
    {"-q", OPTION_QUIET},
    {"--quiet", OPTION_QUIET},
    {"--json", OPTION_JSON},
    {"--pad", OPTION_PAD},
    {"--merge", OPTION_MERGE},
    {"--overlap", OPTION_OVERLAP},
    {"--binary", OPTION_BINARY},
    {"-V", OPTION_VERSION},
    {"--version", OPTION_VERSION},
    {"-h", OPTION_HELP},
    {"--help", OPTION_HELP},
    // Windows alone
    {"/check", OPTION_CHECK},
    {"/strict", OPTION_STRICT},
    {"/set", OPTION_SET},
    {"/checksum", OPTION_CHECKSUM},
    {"/fill", OPTION_FILL},
    {"/get", OPTION_GET},
    {"/o", OPTION_OUTPUT},
    {"/output", OPTION_OUTPUT},
    {"/info", OPTION_INFO},
    {"/q", OPTION_QUIET},
    {"/json", OPTION_JSON},
    {"/pad", OPTION_PAD},
    {"/merge", OPTION_MERGE},
    {"/overlap", OPTION_OVERLAP},
    {"/binary", OPTION_BINARY},
    {"-v", OPTION_VERSION},
    {"/version", OPTION_VERSION},
    {"/?", OPTION_HELP},
};
constexpr int32_t NATIVE_SPELLINGS = 21;
constexpr int32_t SPELLING_COUNT =
    NATIVE ? NATIVE_SPELLINGS : sizeof SPELLINGS / sizeof SPELLINGS[0];
static_assert(SPELLINGS[NATIVE_SPELLINGS - 1].option == OPTION_HELP &&
              SPELLINGS[NATIVE_SPELLINGS].name[0] == '/');

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

// The options that take a value (OPTION_SET to OPTION_OVERLAP), and the fault of each without it.
// --binary takes one only as --binary=RANGE.
constexpr CommandFault NO_VALUE_FAULTS[] = {FAULT_NO_VALUE, FAULT_NO_CHECKSUM,  FAULT_NO_FILL,
                                            FAULT_NO_GET,   FAULT_NO_OUTPUT,    FAULT_NO_PAD,
                                            FAULT_NO_MERGE, FAULT_OVERLAP_VALUE};

} // namespace

CommandFault NoValueFault(Option option) {
    return NO_VALUE_FAULTS[option - OPTION_SET];
}

bool IsValued(Option option) {
    return (option >= OPTION_SET && option <= OPTION_OVERLAP) || option == OPTION_BINARY;
}

// What an argument is; *value is set for --set=VALUE. On Windows a switch spelled out is that
// switch, /set=VALUE so whatever VALUE holds; any other argument that starts with "/" is a path
// when it holds one of "/", "\", "." and ":" after it, else an unknown switch.
Option OptionOf(const char *text, const char **value) {
    *value = nullptr;
    bool slash = !NATIVE && text[0] == '/' && text[1];
    if ((text[0] != '-' || text[1] == 0) && !slash) return OPTION_NONE;
    for (int32_t i = 0; i < SPELLING_COUNT; ++i) {
        const Spelling &spelling = SPELLINGS[i];
        const char **setValue = IsValued(spelling.option) ? value : nullptr;
        if (Matches(text, spelling.name, !NATIVE, setValue)) return spelling.option;
    }
    return slash && std::strpbrk(text + 1, "/\\.:") ? OPTION_NONE : OPTION_UNKNOWN;
}
