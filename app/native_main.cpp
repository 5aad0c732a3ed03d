// SPDX-License-Identifier: MIT
// Process entry of the native command line (Linux, macOS): the heaps and the libraries it needs,
// the files patched or checked, the libraries' ends, and the exit code (app/command_line.h).
#include "app/command_line.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <csignal>

namespace {

int32_t RunCommandLine() {
    CommandLine command = ReadCommandLine();
    switch (command.mode) {
    case COMMAND_PATCH: return PatchNamedFiles(command);
    case COMMAND_CHECK:
    case COMMAND_STRICT: return CheckNamedFiles(command);
    case COMMAND_SET: return SetNamedBytes(command);
    case COMMAND_USAGE: PrintUsage(STREAM_OUTPUT); return EXIT_DONE;
    case COMMAND_VERSION: PrintVersion(); return EXIT_DONE;
    default: PrintUsage(STREAM_ERROR); return EXIT_FAILED;
    }
}

} // namespace

int main(int argc, char **argv) {
    // A reader that goes away (checksumme --check *.hex | head) ends the report, not the work.
    std::signal(SIGPIPE, SIG_IGN);
    SetPlatformArguments(argc, argv);
    CreateMainHeap();
    CreateListHeap();
    InitFileChannels();
    InitArguments();
    InitStrings();

    int32_t exitCode = RunCommandLine();

    EndFileChannels();
    DestroyListHeap();
    DestroyMainHeap();
    return exitCode;
}
