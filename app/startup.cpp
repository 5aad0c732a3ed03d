// Process entry: the heaps and every library in their fixed order, the main routine, then the
// libraries' ends in reverse and ExitProcess with the main routine's exit code.
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
