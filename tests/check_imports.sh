#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: check_imports.sh OBJDUMP EXE... [DIR...]
# Fails when any given .exe (or any .exe found under a given folder) imports a DLL that is not
# part of Windows itself, such as a compiler runtime left dynamically linked.
set -euo pipefail
objdump=$1
shift
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|shell32|advapi32|bcrypt|msvcrt|ucrtbase|ws2_32|shlwapi|uxtheme|version|api-ms-win-[a-z0-9-]+)\.dll$'
exes=()
for arg in "$@"; do
    if [ -d "$arg" ]; then
        while IFS= read -r f; do exes+=("$f"); done < <(find "$arg" -maxdepth 2 -name '*.exe')
    else
        exes+=("$arg")
    fi
done
[ ${#exes[@]} -gt 0 ] || { echo "no executables given"; exit 1; }
bad=0
for exe in "${exes[@]}"; do
    while IFS= read -r dll; do
        lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
        if ! [[ $lower =~ $allowed ]]; then
            echo "$exe imports $dll"
            bad=1
        fi
    done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
[ $bad -eq 0 ] && echo "checked ${#exes[@]} executables: system DLLs only"
exit $bad
