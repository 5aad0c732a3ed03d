// Process entry: the heaps and every library in their fixed order, the main routine, then the
// libraries' ends in reverse and ExitProcess with the main routine's exit code. Built with
// mingw-w64 the process starts right here, without the C runtime's start-up code (which is
// most of 8 KiB of the program): nothing here needs it, since the program has no static
// constructors, no thread-local data and no C stdio, reads its command line itself and ends
// through ExitProcess.
#include "app/main_window.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "runtime/strings.h"
#include "ui/controls.h"
#include "ui/numbered_windows.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CreateMainHeap();
    CreateListHeap();
    InitFileChannels();
    InitWindowLibrary();
    InitControlLibrary();
    InitArguments();
    InitCommonControls();
    InitStrings();

    int32_t exitCode = RunMainWindow();

    EndWindowLibrary();
    EndFileChannels();
    DestroyListHeap();
    DestroyMainHeap();
    ExitProcess(static_cast<UINT>(exitCode));
}

#ifdef __MINGW32__
// The entry point that the linker looks for in a Windows program. A 32-bit process may start
// with its stack aligned to 4 bytes only: the code below assumes 16 (SSE2 data on the stack).
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup() {
    WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT);
}
#endif
