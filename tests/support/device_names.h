// SPDX-License-Identifier: MIT
/*
 * The paths that reach devices on Windows, and files whose names only look like devices', in a
 * folder given as a Windows path (folder ends in a backslash; verbatim is the same behind \\?\):
 * one table for the rule alone (everywhere) and for the opens (under Wine).
 */
#pragma once

#include <string>
#include <vector>

namespace devicenames {

struct Table {
    std::vector<std::string> devices, files;
};

inline Table Paths(const std::string &folder, const std::string &verbatim) {
    // clang-format off
    return {{
        "COM1:", "nul:", "C:\\d\\com1:x", folder + "Con .txt:s", "PRN", "C:aux", "CONOUT$.txt",
        folder + "conin$", folder + "LPT9", "COM\xC2\xB9", folder + "com\xC2\xB2.hex", "COM\xC2\xB3",
        "LPT\xC2\xB9", folder + "lpt\xC2\xB2 .eep", "LPT\xC2\xB3",
        "//./NUL", "\\/.\\NUL", "/\\.\\pipe\\x", "\\\\.\\pipe\\x", "\\??\\C:\\x", "\\\\?\\C:",
        "\\\\?\\GLOBALROOT\\Device\\Null", "//?/GLOBALROOT/Device/HarddiskVolume1/x.hex",
        "\\\\?/" + folder + "x", "\\\\server\\pipe\\x", "//localhost/PIPE/x",
        "\\\\?\\UNC\\host\\pipe\\x", "\\\\server\\MailSlot\\m"},
       {
        verbatim + "nul.hex", verbatim + "CON", folder + "console.hex", folder + "com10.hex",
        folder + "nul1.hex", folder + "lpt.hex"}};
    // clang-format on
}

} // namespace devicenames
