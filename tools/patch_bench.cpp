// SPDX-License-Identifier: MIT
// Times PatchFileInPlace on one file inside this process: start-up of the runtime as the tool
// does it, one patch, and on standard output the elapsed wall-clock time in milliseconds followed
// by the number of ReadFile, WriteFile and SetFilePointer calls the patch made. With --check the
// same for the check that writes nothing, its findings counted (the report's own writing is
// left out), and the number of findings behind the file calls.
// Usage: patch_bench [--check] FILE
//        patch_bench --hold   (joins the desktop and waits until it is ended: keeps Wine's
//                              server and desktop up between the runs of a benchmark)
#include "core/patcher.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// The file calls of the runtime go through this program's import table. Their entries are
// pointed at wrappers that count each call and pass it on.
long reads = 0, writes = 0, seeks = 0;
decltype(&ReadFile) realReadFile = nullptr;
decltype(&WriteFile) realWriteFile = nullptr;
decltype(&SetFilePointer) realSetFilePointer = nullptr;

BOOL WINAPI CountedReadFile(HANDLE file, LPVOID buffer, DWORD length, LPDWORD got,
                            LPOVERLAPPED overlapped) {
    ++reads;
    return realReadFile(file, buffer, length, got, overlapped);
}

BOOL WINAPI CountedWriteFile(HANDLE file, LPCVOID buffer, DWORD length, LPDWORD written,
                             LPOVERLAPPED overlapped) {
    ++writes;
    return realWriteFile(file, buffer, length, written, overlapped);
}

DWORD WINAPI CountedSetFilePointer(HANDLE file, LONG low, PLONG high, DWORD method) {
    ++seeks;
    return realSetFilePointer(file, low, high, method);
}

template <typename Function> void Redirect(ULONG_PTR *slot, Function &real, Function counted) {
    real = reinterpret_cast<Function>(*slot);
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = reinterpret_cast<ULONG_PTR>(counted);
    VirtualProtect(slot, sizeof *slot, old, &old);
}

// Walks the import descriptors of this program and redirects the three calls by name.
bool CountFileCalls() {
    auto *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int found = 0;
    for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
         d->Name; ++d) {
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            const char *name = reinterpret_cast<const char *>(byName->Name);
            ULONG_PTR *slot = &slots->u1.Function;
            if (std::strcmp(name, "ReadFile") == 0) {
                Redirect(slot, realReadFile, &CountedReadFile);
                ++found;
            } else if (std::strcmp(name, "WriteFile") == 0) {
                Redirect(slot, realWriteFile, &CountedWriteFile);
                ++found;
            } else if (std::strcmp(name, "SetFilePointer") == 0) {
                Redirect(slot, realSetFilePointer, &CountedSetFilePointer);
                ++found;
            }
        }
    }
    return found == 3;
}

int64_t findings = 0;

void CountFinding(void *, const Finding &) {
    ++findings;
}

int Hold() {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    bool checking = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !checking) {
        std::fprintf(stderr, "usage: patch_bench [--check] FILE | patch_bench --hold\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--hold") == 0) return Hold();
    const char *path = argv[argc - 1];
    if (!CountFileCalls()) {
        std::fprintf(stderr, "patch_bench: file calls not found in the import table\n");
        return 2;
    }
    CreateMainHeap();
    CreateListHeap();
    InitFileChannels();
    InitStrings();
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int32_t ok = checking ? WalkHexFile(path, WALK_CHECK, CountFinding, nullptr, nullptr)
                          : PatchFileInPlace(path);
    QueryPerformanceCounter(&end);
    double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                static_cast<double>(frequency.QuadPart);
    std::printf("%.1f %ld %ld %ld %lld\n", ms, reads, writes, seeks,
                static_cast<long long>(findings));
    EndFileChannels();
    return ok == 1 ? 0 : 1;
}
