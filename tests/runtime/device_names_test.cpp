// SPDX-License-Identifier: MIT
// Names that reach devices on Windows are refused as not regular files by both opens that the
// tool patches and checks through, before the system is asked to open anything; files whose
// names only look like devices' open.
#include "runtime/file_channels.h"

#include "runtime/strings.h"
#include "tests/support/device_names.h"
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
    const devicenames::Table table = devicenames::Paths(folder, verbatim);
    const std::vector<std::string> &devices = table.devices, &files = table.files;
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
