// SPDX-License-Identifier: MIT
// Process entry of the native command line (Linux, macOS): the heaps and the libraries it needs,
// the call understood whole and done, the libraries' ends, and the exit code
// (app/command_line.h).
#include "app/command_line.h"
#include "app/options.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <csignal>

int main(int argc, char **argv) {
    // A reader that goes away (checksumme --check *.hex | head) ends the report, not the work.
    std::signal(SIGPIPE, SIG_IGN);
    ReserveStandardStreams();
    SetPlatformArguments(argc, argv);
    CreateMainHeap();
    CreateListHeap();
    InitFileChannels();
    InitArguments();
    InitStrings();

    CommandLine command = ReadCommandLine();
    int32_t exitCode = RunCommand(command);
    ReleaseCommandLine(command);

    EndFileChannels();
    DestroyListHeap();
    DestroyMainHeap();
    return exitCode;
}
