// SPDX-License-Identifier: MIT
// Process entry: the heaps and every library in their fixed order, the main routine, then the
// libraries' ends in reverse and the process's end with the main routine's exit code. Built
// with mingw-w64 the process starts right here, without the C runtime's start-up code (which is
// most of 8 KiB of the program): nothing here needs it, since the program has no static
// constructors, no thread-local data and no C stdio, reads its command line itself and ends
// through the platform (ExitProcess).
#include "app/main_window.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"
#include "ui/controls.h"
#include "ui/numbered_windows.h"

#include <windows.h>

namespace {

[[noreturn]] void Run() {
    CreateMainHeap();
    CreateListHeap();
    InitFileChannels();
    InitWindowLibrary();
    InitControlLibrary(); // with the common controls it uses
    InitArguments();
    InitStrings();

    int32_t exitCode = RunMainWindow();

    EndWindowLibrary();
    EndFileChannels();
    DestroyListHeap();
    DestroyMainHeap();
    EndProcess(static_cast<uint32_t>(exitCode));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Run();
}

#ifdef __MINGW32__
// The entry point that the linker looks for in a Windows program. A 32-bit process may start
// with its stack aligned to 4 bytes only: the code below assumes 16 (SSE2 data on the stack).
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup() {
    Run();
}
#endif
