// SPDX-License-Identifier: MIT
#include "ui/dialog_texts.h"

#include <cstring>

void ConvertFilter(const char *filter, char *out) {
    size_t length = filter ? std::strlen(filter) : 0;
    for (size_t i = 0; i < length; ++i)
        out[i] = filter[i] == '|' ? 0 : filter[i];
    out[length] = 0;
    out[length + 1] = 0;
}

void SplitDefaultPath(const char *path, int32_t *folderLength, int32_t *nameOffset) {
    const char *slash = path[0] ? std::strrchr(path + 1, '\\') : nullptr;
    *folderLength = slash ? static_cast<int32_t>(slash - path) : 0;
    *nameOffset = slash ? *folderLength + 1 : 0;
}
