// Placeholder entry until the main window exists: completes the record given on the command
// line (or a sample record) and shows the result.
#include "core/checksum.h"
#include "runtime/strings.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    InitStrings();
    const char *record =
        commandLine && commandLine[0] ? commandLine : ":10010000214601360121470136007EFE09D21901FF";
    OwnedString line;
    {
        WorkspaceScope scope;
        AppendString(record);
        AppendString("\r\n");
        line.TakeResult(scope.Start());
    }
    OwnedString completed;
    int32_t start = WorkspacePosition();
    CompleteRecordChecksum(line.Text(), start);
    completed.TakeResult(start);
    MessageBoxA(nullptr, completed.Text(), "checksumme", MB_OK);
    ExitProcess(0);
}
