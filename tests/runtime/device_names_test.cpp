// SPDX-License-Identifier: MIT
// Names that reach devices on Windows are refused as not regular files by both opens that the
// tool patches and checks through, before the system is asked to open anything; files whose
// names only look like devices' open.
#include "runtime/file_channels.h"

#include "runtime/strings.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/gui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DeviceNames, RefusedUnopenedWhileFilesNamedLikeThemOpen) {
    // Files named like devices, made on the Unix side; \\?\ names them as Z: and the Unix path.
    std::string unixFolder = gui::UnixScratch("devices");
    ASSERT_TRUE(
        gui::RunUnixCommand("mkdir -p " + unixFolder + " && cd " + unixFolder +
                            " && for f in nul.hex CON console.hex com10.hex nul1.hex lpt.hex;"
                            " do echo :00000001FF > $f; done"));
    const std::string folder = gui::WindowsPath(unixFolder) + "\\", verbatim = "\\\\?\\" + folder;
    // clang-format off
    const std::vector<std::string> devices = {
        "COM1:", "nul:", "C:\\d\\com1:x", folder + "Con .txt:s", "PRN", "C:aux", "CONOUT$.txt",
        folder + "conin$", folder + "LPT9", "COM\xC2\xB9", folder + "com\xC2\xB2.hex", "COM\xC2\xB3",
        "LPT\xC2\xB9", folder + "lpt\xC2\xB2 .eep", "LPT\xC2\xB3",
        "//./NUL", "\\/.\\NUL", "/\\.\\pipe\\x", "\\\\.\\pipe\\x", "\\??\\C:\\x", "\\\\?\\C:",
        "\\\\?\\GLOBALROOT\\Device\\Null", "//?/GLOBALROOT/Device/HarddiskVolume1/x.hex",
        "\\\\?/" + folder + "x", "\\\\server\\pipe\\x", "//localhost/PIPE/x",
        "\\\\?\\UNC\\host\\pipe\\x", "\\\\server\\MailSlot\\m"};
    const std::vector<std::string> files = {
        verbatim + "nul.hex", verbatim + "CON", folder + "console.hex", folder + "com10.hex",
        folder + "nul1.hex", folder + "lpt.hex"};
    // clang-format on
    InitFileChannels();
    for (bool device : {true, false}) {
        for (const std::string &path : device ? devices : files) {
            for (bool update : {true, false}) {
                SCOPED_TRACE(path + (update ? ", update" : ", read shared"));
                faults::Scope faults;
                faults::Fail(faults::OPEN, 0); // counts the system's opens
                intptr_t opened = update ? OpenChannelUpdate(1, path.c_str())
                                         : OpenChannelReadShared(1, path.c_str());
                EXPECT_EQ(opened == 0, device);
                if (device) {
                    EXPECT_EQ(ChannelOpenFailure(), FAILURE_CODE_NOT_REGULAR);
                    EXPECT_EQ(faults::Calls(faults::OPEN), 0);
                } else {
                    WorkspaceScope scope;
                    EXPECT_STREQ(ReadChannelLine(1, scope.Start()), ":00000001FF");
                }
                CloseChannel(1);
            }
        }
    }
    EndFileChannels();
    gui::RunUnixCommand("rm -rf " + unixFolder);
}

} // namespace
