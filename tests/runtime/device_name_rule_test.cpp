// SPDX-License-Identifier: MIT
// The rule of which paths reach devices on Windows, alone, on every platform: the table of paths
// that the Windows test opens (tests/support/device_names.h).
#include "runtime/device_names.h"

#include "tests/support/device_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// UTF-8 as UTF-16 units: the table's characters are all below U+0800.
std::wstring Wide(const std::string &text) {
    std::wstring wide;
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0xC0 && i + 1 < text.size())
            wide += static_cast<wchar_t>((byte & 0x1F) << 6 | (text[++i] & 0x3F));
        else
            wide += static_cast<wchar_t>(byte);
    }
    return wide;
}

TEST(DeviceNames, TheRuleAlone) {
    const devicenames::Table table = devicenames::Paths("C:\\scratch\\", "\\\\?\\C:\\scratch\\");
    for (bool device : {true, false})
        for (const std::string &path : device ? table.devices : table.files) {
            std::wstring wide = Wide(path);
            EXPECT_EQ(NamesDevice(wide.c_str(), static_cast<int32_t>(wide.size())), device) << path;
        }
}

} // namespace
