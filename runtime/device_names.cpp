// SPDX-License-Identifier: MIT
#include "runtime/device_names.h"

namespace {

int32_t Length(const wchar_t *text) {
    int32_t length = 0;
    while (text[length])
        ++length;
    return length;
}

wchar_t Lower(wchar_t c) {
    return c >= 'A' && c <= 'Z' ? static_cast<wchar_t>(c - 'A' + 'a') : c;
}

// Whether text starts with pattern (is pattern, when whole): letters in either case, a backslash
// for either slash, and '#' for a device's number: 1 to 9, or superscript 1, 2 or 3.
bool Like(const wchar_t *text, const wchar_t *pattern, bool whole) {
    for (; *pattern; ++text, ++pattern) {
        wchar_t c = *text;
        bool same = *pattern == '\\' ? c == '\\' || c == '/'
                    : *pattern == '#'
                        ? (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3
                        : Lower(c) == *pattern;
        if (!same) return false;
    }
    return !whole || *text == 0;
}

// Whether a path on a server, from the server's name on, is on its share PIPE or MAILSLOT.
bool PipeShare(const wchar_t *server) {
    static const wchar_t *const SHARES[] = {L"\\pipe", L"\\mailslot"};
    while (*server && *server != '\\' && *server != '/')
        ++server;
    for (const wchar_t *share : SHARES) {
        if (!Like(server, share, false)) continue;
        wchar_t after = server[Length(share)];
        if (after == 0 || after == '\\' || after == '/') return true;
    }
    return false;
}

} // namespace

bool NamesDevice(const wchar_t *path, int32_t length) {
    static const wchar_t *const NAMESPACES[] = {L"\\\\.\\", L"\\\\?\\", L"\\??\\"};
    static const wchar_t *const DEVICES[] = {L"con",  L"prn",  L"aux",    L"nul",
                                             L"com#", L"lpt#", L"conin$", L"conout$"};
    if (path[0] == '\\' && path[1] == '\\' && path[2] == '?' && path[3] == '\\') {
        const wchar_t *rest = path + 4;
        bool drive = ((rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z')) &&
                     rest[1] == ':' && rest[2] == '\\' && rest[3] != 0;
        if (Like(rest, L"unc\\", false)) return PipeShare(rest + 4);
        return !drive;
    }
    for (const wchar_t *space : NAMESPACES)
        if (Like(path, space, false)) return true;
    if (Like(path, L"\\\\", false) && PipeShare(path + 2)) return true;
    int32_t start = length;
    while (start > 0 && path[start - 1] != '\\' && path[start - 1] != '/')
        --start;
    if (start == 0 && length >= 2 && path[1] == ':')
        start = 2; // X:name, on a drive's current folder
    int32_t end = start;
    while (end < length && path[end] != '.' && path[end] != ':')
        ++end;
    while (end > start && path[end - 1] == ' ')
        --end;
    if (end - start < 3 || end - start > 7) return false;
    wchar_t base[8] = {};
    for (int32_t i = start; i < end; ++i)
        base[i - start] = path[i];
    for (const wchar_t *device : DEVICES)
        if (Like(base, device, true)) return true;
    return false;
}
