# SPDX-License-Identifier: MIT
# The fuzz build (./dev fuzz, build/fuzz): clang with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer over everything, product code included, and channels with the
# smallest buffer a record fits in (runtime/platform.h), so that records straddle spans, and the
# contracts' asserts on: a failed one is a finding. It builds the libFuzzer targets of tests/fuzz
# instead of the tests.
option(CHECKSUMME_FUZZ "Build the libFuzzer targets (clang) instead of the tests" OFF)
if(CHECKSUMME_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR WIN32)
        message(FATAL_ERROR "CHECKSUMME_FUZZ needs clang, natively")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer -g -UNDEBUG)
    add_link_options(-fsanitize=address,undefined)
    add_compile_definitions(CHECKSUMME_BUFFER_SIZE=524)
    set(CHECKSUMME_TESTS OFF CACHE BOOL "" FORCE)
endif()
