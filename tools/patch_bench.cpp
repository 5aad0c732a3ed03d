// Times PatchFileInPlace on one file inside this process: start-up of the runtime as the tool
// does it, one patch, and the elapsed wall-clock time in milliseconds on standard output.
// Usage: patch_bench FILE
#include "core/patcher.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <windows.h>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: patch_bench FILE\n");
        return 2;
    }
    CreateMainHeap();
    CreateListHeap();
    InitFileChannels();
    InitStrings();
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int32_t ok = PatchFileInPlace(argv[1]);
    QueryPerformanceCounter(&end);
    double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                static_cast<double>(frequency.QuadPart);
    std::printf("%.1f\n", ms);
    EndFileChannels();
    return ok ? 0 : 1;
}
