#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_lean.sh NM SHIPPED_EXE UNSTRIPPED_EXE
# Fails when the shipped program is larger than 89 KiB, or when the program links any part of
# the C++ runtime that the product never means to use: guarded statics and exception support
# (__cxa_*), threads (pthread_*) or the printf family (__mingw_pformat); or when it has
# dynamically initialised statics (_GLOBAL__sub_I_*) or pseudo-relocations, which nothing would
# run or apply: the program starts without the C runtime's start-up code.
set -euo pipefail
nm=$1 shipped=$2 unstripped=$3
size=$(stat -c %s "$shipped")
bad=0
if [ "$size" -gt 91136 ]; then
    echo "$shipped is $size bytes, more than 89 KiB"
    bad=1
fi
runtime=$("$nm" "$unstripped" |
    grep -E ' (_{1,2}cxa_|_?pthread_|_{1,2}mingw_pformat|_?_GLOBAL__sub_I_)' || true)
if [ -n "$runtime" ]; then
    echo "$unstripped links C++ runtime parts or static constructors:"
    echo "$runtime" | head -20
    bad=1
fi
# Nothing would apply pseudo-relocations (references to data in DLLs) either: their list is empty.
relocs=$("$nm" "$unstripped" | grep -E ' _?__RUNTIME_PSEUDO_RELOC_LIST(_END)?__$' | cut -d' ' -f1 |
    sort -u | wc -l)
if [ "$relocs" -ne 1 ]; then
    echo "$unstripped has pseudo-relocations, which nothing applies without the start-up code"
    bad=1
fi
[ $bad -eq 0 ] && echo "$shipped: $size bytes, no C++ runtime"
exit $bad
