// SPDX-License-Identifier: MIT
#include "tests/fuzz/fuzz_start.h"

#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"
#include "tests/support/temp_files.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

namespace {

std::string folder, path;

void RemoveScratch() {
    testfiles::Remove(path);
    testfiles::Remove(folder);
}

} // namespace

void StartRuntime() {
    static const char *program[] = {"checksumme", nullptr};
    SetPlatformArguments(1, const_cast<char **>(program));
    CreateMainHeap();
    CreateListHeap();
    InitStrings();
    InitFileChannels();
    InitArguments();
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/checksumme-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror(pattern.c_str());
        std::exit(2);
    }
    folder = pattern;
    path = folder + "/f.hex";
    std::atexit(RemoveScratch);
}

const std::string &ScratchPath() {
    return path;
}

void Differs(const char *what, const std::string &expected, const std::string &got) {
    std::fprintf(stderr, "\n=== %s differs from the model\n--- model:\n%s\n--- product:\n%s\n",
                 what, expected.c_str(), got.c_str());
    std::abort();
}

} // namespace fuzz
