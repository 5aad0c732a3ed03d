// Process entry: the heaps and every library in their fixed order, the main routine, then the
// libraries' ends in reverse and the process's end with the main routine's exit code.
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
