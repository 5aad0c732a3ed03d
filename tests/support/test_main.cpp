// SPDX-License-Identifier: MIT
// Entry point of every test executable: the runtime is initialised once, as start-up does.
#include "runtime/arguments.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    SetPlatformArguments(argc, argv);
    CreateMainHeap();
    CreateListHeap();
    InitStrings();
    testing::InitGoogleTest(&argc, argv);
    int failed = RUN_ALL_TESTS();
    testfiles::RemoveRoot();
    return failed;
}
