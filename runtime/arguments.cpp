// SPDX-License-Identifier: MIT
#include "runtime/arguments.h"

#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

struct ArgumentState {
    int32_t cursor; // index of the argument that NextArgument returns next
};

ArgumentState *state = nullptr; // main heap; lives as long as the process

// Moves over the next token from *p; false at the end of the line.
bool ScanToken(const char *&p, const char *&start, int32_t &length) {
    while (*p == ' ')
        ++p;
    if (*p == 0) return false;
    if (*p == '"') {
        start = ++p;
        while (*p != 0 && *p != '"')
            ++p;
        length = static_cast<int32_t>(p - start);
        if (*p == '"') ++p;
        return true;
    }
    start = p;
    while (*p != 0 && *p != ' ')
        ++p;
    length = static_cast<int32_t>(p - start);
    if (*p == ' ') ++p;
    return true;
}

} // namespace

bool FindToken(const char *commandLine, int32_t index, const char **token, int32_t *length) {
    const char *p = commandLine ? commandLine : "";
    const char *start = nullptr;
    int32_t size = 0;
    for (int32_t i = 0; ScanToken(p, start, size); ++i) {
        if (i == index) {
            *token = start;
            *length = size;
            return true;
        }
    }
    return false;
}

int32_t CountTokens(const char *commandLine) {
    const char *p = commandLine ? commandLine : "";
    const char *start = nullptr;
    int32_t size = 0, count = 0;
    while (ScanToken(p, start, size))
        ++count;
    return count;
}

void InitArguments() {
    if (!state)
        state = static_cast<ArgumentState *>(AllocStateBlock(sizeof(ArgumentState), nullptr));
}

char *NextArgument(int32_t resultStart) {
    const char *token = nullptr;
    int32_t length = 0;
    const char *line = PlatformCommandLine();
    bool found = line ? FindToken(line, state->cursor + 1, &token, &length)
                      : PlatformArgument(state->cursor + 1, &token, &length);
    if (!found) {
        char *empty = ReserveResult(0, resultStart);
        empty[0] = 0;
        return empty;
    }
    state->cursor += 1;
    char *result = ReserveResult(length, resultStart);
    std::memcpy(result, token, static_cast<size_t>(length));
    result[length] = 0;
    return result;
}

char *ArgumentAt(int32_t index, int32_t resultStart) {
    if (index >= 0) state->cursor = index;
    return NextArgument(resultStart);
}

int32_t ArgumentCount() {
    const char *line = PlatformCommandLine();
    return (line ? CountTokens(line) : PlatformArgumentCount()) - 1;
}
